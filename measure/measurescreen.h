#pragma once
// Measure: where the operator measures one jump. The frozen frame of first
// contact at 1:1 scale with the grid's buoys drawn over it, the impact clicked
// and nudged on it, the outcome chosen and recorded beside it. The rules live
// in MeasureModel; this screen lays out the controls under their own names,
// forwards what the operator does, fetches and writes pictures, and draws.

#include "measure/jumptrace.h"
#include "measure/measuremodel.h"
#include "shell/boxbinder.h"

#include <QMainWindow>

#include <array>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTimer;
class QToolButton;

namespace korvel
{

class PictureView;
class ResultsViewer;

class MeasureScreen : public QMainWindow
{
    Q_OBJECT
public:
    MeasureScreen(MeasureModel& model, SharedState& shared, Settings& settings, Prompt& prompt,
                  QWidget* parent = nullptr);
    ~MeasureScreen() override;

    MeasureModel& model() { return m_model; }
    PictureView* picture() { return m_picture; }

    // Shown by another screen: after frame selection the exported contact
    // frame is loaded first; the grid is drawn and the arrow keys polled.
    void enter();

    // A picture becomes the frozen frame; source is what gif_file_name shows.
    // source is shown under the grid; traced (the file's full path, when
    // it differs) goes into the trace of what is recorded from it.
    void freezePicture(const QImage& picture, const QString& source, const QString& traced = {});
    // The results viewer's "Open Video or Picture".
    void openTraced(const JumpTrace& t);
    // A picture file shown as the frame (Load Picture, the picture-log
    // viewer): gif_file_name shows its path just below the grid description.
    // False, with a message, when the file is not a picture.
    bool showPictureFile(const QString& path);

    // The grid's buoy marks and distance labels, and its description.
    void show_the_grid();
    // "Clear": the frame is done, the jump number moves on.
    void Clear();
    // The names the configuration offers in Skier_name.
    void setSkierNames(const QStringList& names);
    // The colours of the configuration: the impact colour, and the message
    // colour (labelcolor) or each label's own default colour.
    void applyColours();

    // What Save Picture writes: the frame with the buoy marks and the impact
    // mark on it.
    QImage composedPicture() const;

    // Refreshes every control from the model.
    void sync();

protected:
    void changeEvent(QEvent* e) override;
    // The window's close button leaves as "E&xit" does.
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildPanel();
    void buildOverlays();
    void buildMenus();
    void placeImpactLines();
    void placeLine(QFrame* line, const Segment& s);
    void autoLoadTick();
    void pasteClipboard();
    void loadSnapshot();
    void loadPictureCommand();
    void savePictureCommand();
    void showResults();
    void exitCommand();
    void calibrateCommand();
    void viewLogCommand();
    void nextJumpCommand();
    void placeFileNameBelowGrid();
    QString writePicture(const QString& path) const;

    MeasureModel& m_model;
    SharedState& m_shared;
    Settings& m_settings;
    Prompt& m_prompt;

    PictureView* m_picture = nullptr;
    BoxBinder<MeasureControl> m_binder{m_model, [this] { sync(); }};
    QLineEdit* m_comment = nullptr;
    QLabel* m_pixelWorth = nullptr;
    QLineEdit* m_barefoot = nullptr;
    QLineEdit* m_gridDescription = nullptr;
    std::array<QLineEdit*, 5> m_readouts{};
    QComboBox* m_skier = nullptr;
    QPushButton* m_setGrid = nullptr;
    QPushButton* m_verify = nullptr;
    QPushButton* m_showGrid = nullptr;
    QButtonGroup* m_outcomes = nullptr;
    std::array<QRadioButton*, 7> m_outcomeOptions{};
    QLabel* m_unofficial = nullptr;
    QLabel* m_frozenSign = nullptr;
    QWidget* m_gridGroup = nullptr;
    QWidget* m_adjustGroup = nullptr;
    QLineEdit* m_fileName = nullptr;
    QScrollBar* m_crossSize = nullptr;
    QFrame* m_lineHorizontal = nullptr;
    QFrame* m_lineVertical = nullptr;
    QFrame* m_lineSplash = nullptr;
    QWidget* m_proposedTouch = nullptr;    // review's proposed touch-down
    std::array<QLabel*, 4> m_buoyLabels{}; // maxbuoy, minbuoy, maxbuoym, minbuoym
    QCheckBox* m_autoLoad = nullptr;
    QTimer* m_keyTimer = nullptr;
    QTimer* m_loadTimer = nullptr;
    ResultsViewer* m_results = nullptr;
    bool m_gridDescriptionShown = false;
    bool m_fileNameShown = false;
};

} // namespace korvel
