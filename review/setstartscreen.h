#pragma once
// frmSetStart: the review screen. The player on the left, the video's path,
// the step buttons and the two "Use displayed frame" buttons on the right, the
// disk space above. The rules live in ReviewModel; this screen lays out the
// controls under their own names at their places, forwards what the operator
// does and shows the model's state.

#include "review/heldkey.h"
#include "review/reviewmodel.h"

#include <QElapsedTimer>

#include <QWidget>

#include <memory>
#include <utility>
#include <vector>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace korvel
{

class MediaPlayer;

class SetStartScreen : public QWidget
{
    Q_OBJECT
public:
    SetStartScreen(SharedState& shared, Settings& settings, Prompt& prompt, ReviewListener& screens,
                   FreeSpaceQuery freeSpace = {}, QWidget* parent = nullptr);
    ~SetStartScreen() override;

    // 10935 x 10305 twips: the window with the player at its standard size,
    // and the smallest it gets. A video larger than the player's standard
    // size opens the window large enough to show it at its own size, within
    // the display; a window made larger still shows it larger, by whole steps.
    static QSize clientSize();

    ReviewModel& model() { return *m_model; }
    MediaPlayer* player() { return m_player; }

    // Shown by another screen: the arrival, then the screen.
    void enter();
    // Shows the model's state in the controls.
    void sync();

protected:
    void changeEvent(QEvent* e) override;
    // The window's close button goes back to the main screen, as
    // "Go Back To Main Screen" does.
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void useDisplayedFrame(bool forSetup);
    // The window sized for the video loaded, within the display.
    void fitToVideo();
    void keepOnDisplay();
    // The player takes the room the window gives it; the controls beside it
    // keep their order and distances.
    void relayout();

    MediaPlayer* m_player = nullptr;
    std::unique_ptr<ReviewModel> m_model;
    QLabel* m_label10 = nullptr;
    QLabel* m_diskSpace = nullptr;
    QLabel* m_lowSpace = nullptr;
    QLabel* m_instruction = nullptr;
    QLabel* m_barefoot = nullptr;
    QLabel* m_proposed = nullptr;
    QPushButton* m_goToProposed = nullptr;
    QPlainTextEdit* m_video = nullptr;
    QPushButton* m_markStart = nullptr;
    QPushButton* m_goToSetup = nullptr;
    QTimer* m_timer2 = nullptr;
    HeldKeySteps m_held;
    // The controls beside the player, at their places for the standard size.
    std::vector<std::pair<QWidget*, QRect>> m_beside;
    QSize m_fitted; // the window size fitToVideo set last
    QElapsedTimer m_clock;
};

} // namespace korvel
