#pragma once
// Grid_Setup: where the operator calibrates a camera view. A still picture
// from the camera at 1:1 scale, the five markers placed on it by clicking,
// the survey values typed beside it. All rules live in GridSetupModel; this
// screen lays out the controls under their own names, forwards what the
// operator does, and draws.

#include "grid/gridsetupmodel.h"
#include "shell/boxbinder.h"

#include <QMainWindow>
#include <QPointer>

#include <array>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTimer;

namespace korvel
{

class PictureView;

class GridSetupScreen : public QMainWindow, private GridSetupPainter
{
    Q_OBJECT
public:
    GridSetupScreen(GridSetupModel& model, SharedState& shared, Settings& settings, Prompt& prompt,
                    QWidget* parent = nullptr);
    ~GridSetupScreen() override;

    GridSetupModel& model() { return m_model; }
    PictureView* picture() { return m_picture; }

    // Shown by another screen: after frame selection the exported frame
    // becomes the background.
    void enter();
    // Makes a picture the background and sets the picture size boxes.
    void setBackground(const QImage& picture);

    // Draws the five markers' circles (the "Draw Buoys" button).
    void Show_grid();
    // Refreshes every control from the model.
    void sync();

protected:
    // The window's close button leaves as "E&xit" does.
    void closeEvent(QCloseEvent* e) override;

private:
    // GridSetupPainter
    void eraseDrawing() override;
    void markPredictedCheckBuoy(const ScreenPoint& p) override;
    void redrawBuoys() override;
    void markerMoved(int marker, const ScreenPoint& from, const ScreenPoint& to) override;
    void showLineLabels(const AccuracyLattice& lattice) override;
    void hideLineLabels() override;

    void buildMenus();
    QWidget* buildPanel();
    void buildOverlays();
    QColor markerColour() const;
    double markerSize() const;
    void loadPictureFromFile();
    void pastePicture();
    void runAccuracyCheck();
    void snapToBuoy();
    void placeIndicators();
    void leave();

    GridSetupModel& m_model;
    SharedState& m_shared;
    Settings& m_settings;
    Prompt& m_prompt;

    PictureView* m_picture = nullptr;
    BoxBinder<GridControl> m_binder{m_model, [this] { sync(); }};
    QLineEdit* m_fileName = nullptr; // ipt_file_description, where a chosen marker sends the keys
    QButtonGroup* m_markerGroup = nullptr;
    std::array<QRadioButton*, kMarkerCount> m_markerOptions{};
    QPushButton* m_complete = nullptr;
    QPushButton* m_gridSelect = nullptr;
    QCheckBox* m_lock = nullptr;
    QLabel* m_stateIcon = nullptr;
    QLabel* m_cbHint = nullptr;
    QWidget* m_lockNotice = nullptr;
    QLabel* m_snapStatus = nullptr;
    QScrollBar* m_crossSize = nullptr;
    double m_eraseRadius = 0; // twice the marker size at form load
    QPushButton* m_accuracyButton = nullptr;
    QGroupBox* m_accuracyDisplay = nullptr;
    QGroupBox* m_accuracyConfig = nullptr;
    QRadioButton* m_optStandard = nullptr;
    QRadioButton* m_optAdvanced = nullptr;
    QRadioButton* m_optDistance = nullptr;
    QRadioButton* m_optDetail = nullptr;
    QRadioButton* m_optHomLevel = nullptr;
    std::array<QLabel*, 51> m_indicators{};
    std::array<QLabel*, 11> m_lineLabels{};
    QTimer* m_keyTimer = nullptr;
};

} // namespace korvel
