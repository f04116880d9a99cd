#pragma once
// The grid set-up screen without its widgets: the text boxes (with their
// placeholders), the five markers, the edit rules, and the commands that
// solve, save and load a grid. The screen binds widgets to this model; tests
// and korvel-tool drive it directly.

#include "grid/accuracy.h"
#include "grid/gridfile.h"
#include "grid/gridsetupcontrols.h"
#include "grid/gridstate.h"
#include "grid/setupblock.h"
#include "shell/sharedstate.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <optional>

namespace korvel
{

class Prompt;
class Settings;

// What the rest of the program hears from grid set-up: the main screen's grid
// indicators and the measure screen's labels implement it.
class GridSetupListener
{
public:
    virtual ~GridSetupListener() = default;
    // Grid g was solved (saved = false) or loaded from a file (saved = true).
    virtual void gridActivated(int /*g*/, const QString& /*description*/, bool /*saved*/) {}
    // Grid g's data was edited: it must be solved or loaded again.
    virtual void gridChanged(int /*g*/) {}
    // A grid was saved with this description.
    virtual void gridDescriptionSaved(int /*g*/, const QString& /*description*/) {}
    // The operator leaves grid set-up; with every grid ready, grid 1 is the
    // current one in the working set and the measure screen may be prepared.
    virtual void gridSetupLeft(bool /*allReady*/) {}
    // "&Calibrate": false when the calibration line tool is not there to open.
    virtual bool openCalibration() { return false; }
};

// Drawing requests to the screen's picture.
class GridSetupPainter
{
public:
    virtual ~GridSetupPainter() = default;
    virtual void eraseDrawing() {}
    virtual void markPredictedCheckBuoy(const ScreenPoint& /*p*/) {}
    virtual void redrawBuoys() {}
    virtual void markerMoved(int /*marker*/, const ScreenPoint& /*from*/, const ScreenPoint& /*to*/)
    {
    }
    // The accuracy check offers the lattice rows as lines while it asks.
    virtual void showLineLabels(const AccuracyLattice& /*lattice*/) {}
    virtual void hideLineLabels() {}
};

// The five markers in the order the screen handles them.
enum class Marker { UpperLeft = 0, UpperRight = 1, LowerLeft = 2, LowerRight = 3, CheckBuoy = 4 };
constexpr int kMarkerCount = 5;

// The boxes of a marker: where it sits on the picture (twips) and the survey
// position typed for it (the check buoy's are CheckX and CheckY).
struct BoxPair {
    GridControl x;
    GridControl y;
};
BoxPair screenBoxes(Marker m);
BoxPair surveyBoxes(Marker m);

// A grid solved or loaded while no results file is set: korvel tells the
// operator its set-up block went nowhere; korvel-tool, which works on grid
// files alone, says nothing.
enum class WithoutResultsFile { Report, Quiet };

class GridSetupModel
{
public:
    GridSetupModel(GridState& grids, SharedState& shared, Settings& settings, Prompt& prompt);

    void setWithoutResultsFile(WithoutResultsFile w) { m_withoutResults = w; }

    void setListener(GridSetupListener* l) { m_listener = l; }
    GridSetupListener* listener() const { return m_listener; }
    void setPainter(GridSetupPainter* p) { m_painter = p; }

    // The text boxes (isGridBox), each starting at its table row's initial text.
    static QString placeholder(GridControl box); // empty when the box has none
    QString text(GridControl box) const { return m_texts[box]; }
    // A typed or program-made change of a box, with the edit rules.
    void setText(GridControl box, const QString& text);

    // Markers.
    std::optional<Marker> selectedMarker() const { return m_selected; }
    void selectMarker(std::optional<Marker> m) { m_selected = m; }
    ScreenPoint markerPosition(Marker m) const { return m_markers[static_cast<int>(m)]; }
    bool locked() const { return m_locked; }
    // Ticking the lock is refused until all four buoys and the check buoy are in.
    bool setLocked(bool on);
    // A click on the picture (twips): moves the selected marker there, and with
    // the lock on every other marker by the same offset. Nothing without a selection.
    void clickPicture(double x, double y);
    // Micro-adjust by (dx, dy) twips.
    void adjust(double dx, double dy);
    // Moves the selected marker to the centre of the buoy under it in the
    // picture, as an adjust step moves it. False when there is nothing to
    // snap, the grid is locked or no buoy lies under the marker: the marker
    // stays. snapStatus() says what happened, for a line on the screen.
    bool snapToBuoy(const QImage& picture);
    QString snapStatus() const { return m_snapStatus; }

    // Grid number from the caption of grid_select ("Grid 1" ...).
    QString gridSelectCaption() const { return QStringLiteral("Grid %1").arg(m_gridNumber); }
    int gridNumber() const { return m_gridNumber; }
    void setGridNumber(int g);

    // The state picture: valid after a solve, a load or the selection of a ready grid.
    bool gridValid() const { return m_valid; }
    bool accuracyControlsVisible() const { return m_accuracyVisible; }
    bool checkBuoyHintVisible() const { return m_cbHintVisible; }
    ScreenPoint checkBuoyHintPosition() const { return m_cbHintPos; }
    bool advancedAccuracy() const { return m_advanced; }
    void setAdvancedAccuracy(bool on) { m_advanced = on; }

    // "Complete": solve and validate. True when the grid was stored.
    bool complete();

    // Writes the grid files for grid g and stores the record (the save command
    // after its dialog and questions). False, with a message, on a failed write.
    bool saveGrid(int g, const QString& path, const QString& description);
    // Reads the grid files into grid g. False, with a message, when the files
    // cannot be read or parse; nothing changes then.
    bool loadGrid(int g, const QString& path);

    // grid_select: the next configured grid, its record copied into the
    // working set and every box filled from it.
    void grid_select();
    // Shows grid g's record in the boxes (grid selection, leaving set-up).
    void showGrid(int g);

    // The "&Save" and "&Load File" menu commands with their dialog and
    // questions. False when cancelled or failed (nothing changed then).
    bool gridSaveCommand();
    bool gridLoadCommand();
    // "E&xit": true when the screen may be left.
    bool gridExit();

    // The front-ratio check after every solve and load.
    void grid_check();

    // The accuracy check: grades the lattice, appends the day's report in the
    // video folder and, in Standard display, asks for the skier's line and
    // leaves only that row's indicators visible. False, with a message, when
    // the report cannot be written or a lattice point has no distance.
    bool accuracyCheck();
    AccuracyDisplay accuracyDisplay() const { return m_display; }
    void setAccuracyDisplay(AccuracyDisplay d) { m_display = d; }
    const std::optional<AccuracyLattice>& lattice() const { return m_lattice; }
    // Indicator label 7 i + j of lattice point (i, j).
    bool indicatorVisible(int index) const
    {
        return index >= 0 && index < 49 && m_indicators[index];
    }
    void clear_accuracy_indicator();
    // The row offered as the skier's line, asked until a whole number 1..7;
    // nullopt when the operator cancels.
    std::optional<int> askAccuracyLine();
    AccuracyCorners corners() const;
    double pictureWidth() const;
    // The background picture's size in pixels, which a grid solved on it
    // records; not valid without one.
    QSize backgroundSize() const { return m_backgroundSize; }
    void setBackgroundSize(const QSize& pixels) { m_backgroundSize = pixels; }

private:
    void applyEdit(GridControl box);
    void markChanged();
    void moveMarker(int index, const ScreenPoint& to);
    void writeMarkerBoxes(int index);
    void fillBoxesFromWorkingSet(bool withCheckBuoy);
    void appendSetupBlock(SetupBlockVariant variant, const SetupBlockCheckBuoy& check);
    // A box as the set-up block and the accuracy report head their grid with:
    // the file is "Not saved yet" for a grid set up since its last load or save.
    QString headingText(GridControl box) const;
    bool appendToResults(const QStringList& lines);
    void updateGridsReady();
    std::optional<int> askGridNumber(const QString& question);

    GridState& m_grids;
    SharedState& m_shared;
    Settings& m_settings;
    Prompt& m_prompt;
    GridSetupListener* m_listener = nullptr;
    WithoutResultsFile m_withoutResults = WithoutResultsFile::Report;
    GridSetupPainter* m_painter = nullptr;

    ControlTexts<GridControl> m_texts;
    ScreenPoint m_markers[kMarkerCount];
    std::optional<Marker> m_selected;
    bool m_locked = false;
    QString m_snapStatus;
    int m_gridNumber = 1;
    // The picture size of the grid in the working set (solved, loaded or shown).
    QSize m_workingSize;
    QSize m_backgroundSize;
    // The working set is the grid of the file in the FileName box (just
    // loaded, saved, or shown and not edited since).
    bool m_fromFile = false;
    bool m_valid = false;
    bool m_accuracyVisible = false;
    bool m_cbHintVisible = false;
    ScreenPoint m_cbHintPos;
    bool m_advanced = false;
    bool m_filling = false; // the program fills boxes from a record: no "changed" marks
    AccuracyDisplay m_display = AccuracyDisplay::Grades;
    std::optional<AccuracyLattice> m_lattice;
    std::array<bool, 49> m_indicators{};
};

} // namespace korvel
