#include "grid/gridsetupmodel.h"

#include "grid/buoyfinder.h"
#include "grid/gridsolver.h"
#include "shell/prompt.h"
#include "shell/settings.h"
#include "shell/textrules.h"
#include "shell/twips.h"

#include <QDateTime>

#include <cmath>

namespace korvel
{

namespace
{

// Marker order of the screen -> its boxes and its buoy slot (0 = check buoy).
struct MarkerBoxes {
    GridControl x;
    GridControl y;
    int slot;
};
const MarkerBoxes kMarkers[kMarkerCount] = {
    {GridControl::UpperLeftX, GridControl::UpperLeftY, UpperLeft},
    {GridControl::UpperRightX, GridControl::UpperRightY, UpperRight},
    {GridControl::LowerLeftX, GridControl::LowerLeftY, LowerLeft},
    {GridControl::LowerRightX, GridControl::LowerRightY, LowerRight},
    {GridControl::CheckXPix, GridControl::CheckYPix, 0},
};

// Survey boxes -> slot and axis.
struct SurveyBox {
    GridControl box;
    int slot;
    bool isY;
};
const SurveyBox kSurveyBoxes[] = {
    {GridControl::UrSurveyX, UpperRight, false}, {GridControl::UrSurveyY, UpperRight, true},
    {GridControl::LrSurveyX, LowerRight, false}, {GridControl::LrSurveyY, LowerRight, true},
    {GridControl::UlSurveyX, UpperLeft, false},  {GridControl::UlSurveyY, UpperLeft, true},
    {GridControl::LlSurveyX, LowerLeft, false},  {GridControl::LlSurveyY, LowerLeft, true},
};

const GridControl kSurveyBoxOfSlot[5][2] = {
    {GridControl::CheckX, GridControl::CheckY}, // slot 0 is the check buoy, filled apart
    {GridControl::UrSurveyX, GridControl::UrSurveyY},
    {GridControl::LrSurveyX, GridControl::LrSurveyY},
    {GridControl::UlSurveyX, GridControl::UlSurveyY},
    {GridControl::LlSurveyX, GridControl::LlSurveyY},
};

const QString kErrorTitle = QStringLiteral("Error Message");
const QString kNotAllSetUp =
    QStringLiteral("Warning - Not all parameters have been set up on grid");

// Values the program puts into survey boxes: plain, without the sign blank.
QString boxText(double v)
{
    return numberText(v).trimmed();
}

} // namespace

BoxPair screenBoxes(Marker m)
{
    const MarkerBoxes& b = kMarkers[static_cast<int>(m)];
    return {b.x, b.y};
}

BoxPair surveyBoxes(Marker m)
{
    const int slot = kMarkers[static_cast<int>(m)].slot;
    return {kSurveyBoxOfSlot[slot][0], kSurveyBoxOfSlot[slot][1]};
}

QString GridSetupModel::placeholder(GridControl box)
{
    return hasPlaceholder(box) ? controlInitial(box) : QString();
}

GridSetupModel::GridSetupModel(GridState& grids, SharedState& shared, Settings& settings,
                               Prompt& prompt)
    : m_grids(grids), m_shared(shared), m_settings(settings), m_prompt(prompt)
{
    m_gridNumber = (shared.CurrentGrid >= 1 && shared.CurrentGrid <= 3) ? shared.CurrentGrid : 1;
    m_shared.GridsReady = 0;
}

void GridSetupModel::setText(GridControl box, const QString& text)
{
    if (!isGridBox(box))
        return;
    m_texts[box] = text;
    applyEdit(box);
}

void GridSetupModel::applyEdit(GridControl box)
{
    bool gridData = false;
    const double v = leadingNumber(m_texts[box]);
    for (const SurveyBox& s : kSurveyBoxes) {
        if (box == s.box) {
            (s.isY ? m_grids.surveyY : m_grids.surveyX)[s.slot] = v;
            gridData = true;
        }
    }
    if (box == GridControl::JumpX) {
        m_grids.jump.X = v;
        m_grids.storedJump.X = v;
        gridData = true;
    } else if (box == GridControl::JumpY) {
        m_grids.jump.Y = v;
        m_grids.storedJump.Y = v;
        gridData = true;
    } else if (box == GridControl::CheckX) {
        m_grids.checkSurvey.X = v;
        gridData = true;
    } else if (box == GridControl::CheckY) {
        m_grids.checkSurvey.Y = v;
        gridData = true;
    }
    for (const MarkerBoxes& m : kMarkers) {
        if (box == m.x || box == m.y)
            gridData = true;
    }
    if (!gridData || m_filling)
        return;

    m_valid = false;
    m_accuracyVisible = false;
    if (box == GridControl::LlSurveyY)
        clear_accuracy_indicator(); // the near-left Y only moves the accuracy lattice
    else
        m_shared.GridsReady = 0;
    if (!m_shared.LoadingGrids)
        markChanged();
}

void GridSetupModel::markChanged()
{
    // From the first edit on, the working set is no longer the file it was
    // read from or saved to: the boxes stop naming that file and its
    // description, so no set-up block or report heads this grid with another's.
    if (m_fromFile) {
        m_fromFile = false;
        m_filling = true;
        setText(GridControl::FileName, controlInitial(GridControl::FileName));
        setText(GridControl::Description, QString());
        m_filling = false;
    }
    m_settings.save(gridFileSetting(m_gridNumber), QString());
    if (m_listener)
        m_listener->gridChanged(m_gridNumber);
}

void GridSetupModel::grid_select()
{
    int next = m_gridNumber + 1;
    if (next > m_shared.GridCount || next > 3)
        next = 1;
    showGrid(next);
}

void GridSetupModel::showGrid(int g)
{
    if (g < 1 || g > 3)
        return;
    m_gridNumber = g;
    m_grids.readRecord(g);
    m_workingSize = m_grids.pictureSize[g];
    m_grids.jump = m_grids.storedJump;
    m_fromFile = !m_grids.gridFile[g].isEmpty();
    fillBoxesFromWorkingSet(true);
    m_valid = m_grids.gridReady[g];
    m_accuracyVisible = m_valid;
    m_cbHintVisible = false;
    m_indicators.fill(false);
    if (m_painter)
        m_painter->redrawBuoys();
}

std::optional<int> GridSetupModel::askGridNumber(const QString& question)
{
    while (true) {
        const auto answer = m_prompt.input(question, QStringLiteral("Grid Number"), QString());
        if (!answer)
            return std::nullopt; // the operator backed out
        const double v = leadingNumber(*answer);
        if (v >= 1 && v <= m_shared.GridCount && v == std::floor(v))
            return static_cast<int>(v);
    }
}

bool GridSetupModel::gridSaveCommand()
{
    m_locked = false;
    const auto path = m_prompt.saveFile(
        QStringLiteral("Save Grid"),
        QStringLiteral(
            "All Files (*.*)|*.*|Text Files (*.TXT)|*.TXT|Parameter Files (*.IPT)|*.IPT|"),
        m_shared.SetupDir, QStringLiteral("ipt"));
    if (!path || path->isEmpty())
        return false;
    int g = m_gridNumber;
    const auto description = m_prompt.input(QStringLiteral("Enter descriptive line about grid"),
                                            QStringLiteral("Grid Description"), QString());
    if (!description)
        return false;
    if (!m_prompt.askYesNo(QStringLiteral("Save ") + gridSelectCaption(),
                           QStringLiteral("Current Grid"), Icon::None, true)) {
        const auto chosen = askGridNumber(QStringLiteral("What grid are you saving?"));
        if (!chosen)
            return false;
        g = *chosen;
    }
    return saveGrid(g, *path, oneLine(*description));
}

bool GridSetupModel::gridLoadCommand()
{
    m_locked = false;
    int g = m_gridNumber;
    if (!m_prompt.askYesNo(QStringLiteral("Load ") + gridSelectCaption(),
                           QStringLiteral("Current Grid"), Icon::None, true)) {
        const auto chosen = askGridNumber(QStringLiteral("What grid are you loading?"));
        if (!chosen)
            return false;
        g = *chosen;
        m_gridNumber = g;
    }
    const auto path = m_prompt.openFile(
        QStringLiteral("Load Grid"),
        QStringLiteral(
            "All Files (*.*)|*.*|Text Files (*.TXT)|*.TXT|Parameter Files (*.ipt)|*.ipt|"),
        m_shared.SetupDir);
    if (!path || path->isEmpty())
        return false;
    return loadGrid(g, *path);
}

bool GridSetupModel::gridExit()
{
    if (m_shared.GridsReady != 1) {
        if (!m_prompt.askYesNo(
                QStringLiteral("Do you want to leave the grid setup with all configured "
                               "grids not setup?"),
                QStringLiteral("Grid Setup Error"), Icon::None, false))
            return false;
        if (m_listener)
            m_listener->gridSetupLeft(false);
        return true;
    }
    showGrid(1);
    m_shared.CurrentGrid = 1;
    if (m_listener)
        m_listener->gridSetupLeft(true);
    return true;
}

void GridSetupModel::setGridNumber(int g)
{
    if (g < 1 || g > 3)
        return;
    m_gridNumber = g;
}

bool GridSetupModel::setLocked(bool on)
{
    if (on) {
        for (const GridControl box :
             {GridControl::UpperLeftX, GridControl::UpperRightX, GridControl::LowerLeftX,
              GridControl::LowerRightX, GridControl::CheckX}) {
            if (m_texts[box] == placeholder(box))
                on = false;
        }
        if (!on) {
            m_prompt.message(QStringLiteral("Cannot Lock Grid Until buoy positions have been "
                                            "entered for all four buoys and check buoy"));
            m_locked = false;
            return false;
        }
    }
    m_locked = on;
    return true;
}

void GridSetupModel::writeMarkerBoxes(int index)
{
    const MarkerBoxes& m = kMarkers[index];
    const ScreenPoint p = m_markers[index];
    setText(m.x, numberText(p.x));
    setText(m.y, numberText(p.y));
    if (m.slot == 0) {
        m_grids.checkScreen = p;
    } else {
        m_grids.screenX[m.slot] = p.x;
        m_grids.screenY[m.slot] = p.y;
    }
}

void GridSetupModel::moveMarker(int index, const ScreenPoint& to)
{
    const ScreenPoint from = m_markers[index];
    m_markers[index] = to;
    if (m_painter)
        m_painter->markerMoved(index, from, to);
    writeMarkerBoxes(index);
}

void GridSetupModel::clickPicture(double x, double y)
{
    if (!m_selected)
        return;
    m_snapStatus.clear();
    const int sel = static_cast<int>(*m_selected);
    const double dx = x - m_markers[sel].x;
    const double dy = y - m_markers[sel].y;
    for (int k = 0; k < kMarkerCount; ++k) {
        if (k == sel)
            moveMarker(k, {x, y});
        else if (m_locked)
            moveMarker(k, {m_markers[k].x + dx, m_markers[k].y + dy});
    }
}

void GridSetupModel::adjust(double dx, double dy)
{
    m_snapStatus.clear();
    for (int k = 0; k < kMarkerCount; ++k) {
        const bool selected = m_selected && static_cast<int>(*m_selected) == k;
        if (selected || m_locked)
            moveMarker(k, {m_markers[k].x + dx, m_markers[k].y + dy});
    }
}

bool GridSetupModel::snapToBuoy(const QImage& picture)
{
    static const char* const names[kMarkerCount] = {"upper left", "upper right", "lower left",
                                                    "lower right", "check buoy"};
    if (!m_selected) {
        m_snapStatus = QStringLiteral("Choose the marker to snap to its buoy first.");
        return false;
    }
    const int sel = static_cast<int>(*m_selected);
    const QString name = QString::fromLatin1(names[sel]);
    // Locked markers move together; snapping one alone would bend the grid
    // the operator locked, and moving all by one buoy's correction is no snap.
    if (m_locked) {
        m_snapStatus = QStringLiteral("The grid is locked: untick \"Lock Grid Buoys\" to snap "
                                      "the %1 marker to its buoy.")
                           .arg(name);
        return false;
    }
    const ScreenPoint at = m_markers[sel];
    if (at.x == 0 && at.y == 0) {
        m_snapStatus = QStringLiteral("Place the %1 marker on its buoy first.").arg(name);
        return false;
    }
    const BuoyFinding f = findBuoy(picture, at);
    if (!f.found) {
        m_snapStatus =
            QStringLiteral("No buoy under the %1 marker; it stays. %2").arg(name, f.reason);
        return false;
    }
    const double moved = std::hypot(f.centre.x - at.x, f.centre.y - at.y) / kTwipsPerPixel;
    if (moved == 0) {
        m_snapStatus = QStringLiteral("The %1 marker is on its buoy's centre.").arg(name);
        return true;
    }
    moveMarker(sel, f.centre);
    m_snapStatus =
        QStringLiteral("The %1 marker moved %2 pixels to its buoy's centre (a buoy "
                       "%3 pixels across).")
            .arg(name, QString::number(moved, 'f', 2), QString::number(f.diameter, 'f', 1));
    return true;
}

double GridSetupModel::pictureWidth() const
{
    const double w = leadingNumber(m_texts[GridControl::PicWidth]);
    return w > 0 ? w : 12000;
}

void GridSetupModel::updateGridsReady()
{
    if (m_grids.allConfiguredReady(m_shared.GridCount))
        m_shared.GridsReady = 1;
}

bool GridSetupModel::appendToResults(const QStringList& lines)
{
    if (m_shared.ResultsFile.isEmpty()) {
        // The grid is ready all the same: the block only records the set-up
        // beside the day's results.
        if (m_withoutResults == WithoutResultsFile::Report)
            m_prompt.message(QStringLiteral("No results file is set, so the set-up of grid %1 "
                                            "was not written to it. Choose the results file on "
                                            "the configuration screen.")
                                 .arg(m_gridNumber),
                             QString(), Icon::Exclamation);
        return false;
    }
    const FileResult r = appendLines(m_shared.ResultsFile, lines);
    if (!r) {
        m_prompt.message(QStringLiteral("The results file could not be written:\n%1\n%2")
                             .arg(m_shared.ResultsFile, r.error),
                         kErrorTitle, Icon::Exclamation);
        return false;
    }
    return true;
}

QString GridSetupModel::headingText(GridControl box) const
{
    if (box == GridControl::FileName && !m_fromFile)
        return QStringLiteral("Not saved yet");
    return text(box);
}

void GridSetupModel::appendSetupBlock(SetupBlockVariant variant, const SetupBlockCheckBuoy& check)
{
    appendToResults(setupBlockLines(
        variant, QDateTime::currentDateTime(), m_gridNumber,
        [this](GridControl b) { return headingText(b); }, check));
}

bool GridSetupModel::complete()
{
    m_valid = false;

    // Completeness: the first box still showing its placeholder stops the solve.
    for (const ControlRow<GridControl>& row : kGridControls) {
        if (hasPlaceholder(row.id) && m_texts[row.id] == placeholder(row.id)) {
            m_prompt.message(kNotAllSetUp, kErrorTitle, Icon::Exclamation);
            return false;
        }
    }
    if (leadingNumber(m_texts[GridControl::CheckXPix]) == 0) {
        m_prompt.message(QStringLiteral("Setup of Check Buoy is Mandatory"));
        m_prompt.message(kNotAllSetUp, kErrorTitle, Icon::Exclamation);
        return false;
    }

    // The accuracy controls appear only with a grid that passed every check:
    // grading a grid that failed its check buoy would mislead the operator.
    m_accuracyVisible = false;
    m_cbHintVisible = false;
    if (m_painter)
        m_painter->eraseDrawing();

    if (!solveSurvey(m_grids)) {
        m_prompt.message(QStringLiteral("No Unique Solution - Re-enter data"), kErrorTitle,
                         Icon::Exclamation);
        return false;
    }
    const Coefficients c = m_grids.coefficients();

    // Check buoy: where the new grid says it should be, against where it was placed.
    const double cx = leadingNumber(m_texts[GridControl::CheckX]);
    const double cy = leadingNumber(m_texts[GridControl::CheckY]);
    const ScreenPoint placed{leadingNumber(m_texts[GridControl::CheckXPix]),
                             leadingNumber(m_texts[GridControl::CheckYPix])};
    const auto predicted = SurveyToScreen(c, cx, cy);
    if (!predicted) {
        m_prompt.message(QStringLiteral("The check buoy's survey position lies on the horizon of "
                                        "this grid. Check the survey values and the buoy markers."),
                         kErrorTitle, Icon::Exclamation);
        return false;
    }
    if (!checkBuoyValidates(placed, *predicted)) {
        if (m_painter)
            m_painter->markPredictedCheckBuoy(*predicted);
        m_cbHintVisible = true;
        m_cbHintPos = {predicted->x + 15, predicted->y - 105};
        m_prompt.message(QStringLiteral("Check Buoy Does not Validate"));
        if (m_painter)
            m_painter->redrawBuoys();
        return false;
    }

    // Field of view at the near buoys.
    const auto sightL = sightLine(c, leadingNumber(text(GridControl::LowerLeftX)),
                                  leadingNumber(text(GridControl::LowerLeftY)));
    const auto sightR = sightLine(c, leadingNumber(text(GridControl::LowerRightX)),
                                  leadingNumber(text(GridControl::LowerRightY)));
    if (!sightL || !sightR) {
        m_prompt.message(
            QStringLiteral("The field of view cannot be measured at the near buoys "
                           "of this grid. Check the survey values and the buoy markers."),
            kErrorTitle, Icon::Exclamation);
        return false;
    }
    const double fov = fieldOfView(*sightL, *sightR);
    if (fov > kFieldOfViewLimit) {
        m_prompt.message(QStringLiteral("Setup is not valid, Field of View is ") + numberText(fov) +
                         QStringLiteral(" degrees where the maximum allowed is 35 degrees"));
        return false;
    }

    // The grid is good: make it the current one and store it.
    m_valid = true;
    m_accuracyVisible = true;
    const int g = m_gridNumber;
    m_shared.CurrentGrid = g;
    m_grids.gridReady[g] = true;
    // Solved, not saved: the grid has no file until "&Save" gives it one.
    m_grids.gridFile[g] = m_fromFile ? text(GridControl::FileName) : QString();
    m_grids.gridDescription[g] = text(GridControl::Description);
    m_grids.checkScreen = placed;
    m_grids.checkSurvey = {cx, cy};
    m_grids.storeRecord(g);
    // The markers were placed on the picture in the background: pictures
    // measured with this grid must be of its size.
    m_workingSize = m_backgroundSize;
    m_grids.pictureSize[g] = m_workingSize;
    if (m_listener)
        m_listener->gridActivated(g, m_grids.gridDescription[g], false);
    updateGridsReady();
    m_grids.surveyXDirection =
        leadingNumber(text(GridControl::UrSurveyX)) < leadingNumber(text(GridControl::UlSurveyX))
            ? 1
            : -1;
    appendSetupBlock(SetupBlockVariant::Solved, {true, placed.x, placed.y, cx, cy});
    grid_check();
    return true;
}

AccuracyCorners GridSetupModel::corners() const
{
    auto at = [this](GridControl x, GridControl y) {
        return ScreenPoint{leadingNumber(text(x)), leadingNumber(text(y))};
    };
    return {at(GridControl::UpperLeftX, GridControl::UpperLeftY),
            at(GridControl::LowerLeftX, GridControl::LowerLeftY),
            at(GridControl::UpperRightX, GridControl::UpperRightY),
            at(GridControl::LowerRightX, GridControl::LowerRightY)};
}

void GridSetupModel::grid_check()
{
    if (const auto msg = frontRatioMessage(frontBackRatios(corners(), pictureWidth()).front))
        m_prompt.message(*msg);
}

void GridSetupModel::clear_accuracy_indicator()
{
    m_indicators.fill(false);
}

std::optional<int> GridSetupModel::askAccuracyLine()
{
    while (true) {
        const auto answer = m_prompt.input(
            QStringLiteral("Pick the line number that best represents where the skier will land"),
            QStringLiteral("Input the skier path line"), QString());
        if (!answer)
            return std::nullopt;
        if (const auto line = accuracyLineAnswer(*answer))
            return line;
    }
}

bool GridSetupModel::accuracyCheck()
{
    if (!m_advanced)
        m_display = AccuracyDisplay::Grades; // Standard always shows grades
    m_indicators.fill(false);

    AccuracyInput in;
    in.c = m_grids.coefficients();
    in.jump = m_grids.jump;
    in.barefoot = m_shared.BarefootMode;
    in.sitSki = m_shared.SitSkiMode;
    in.corners = corners();
    in.display = m_display;
    ScreenPoint failed;
    auto lattice = computeAccuracy(in, &failed);
    if (!lattice) {
        m_prompt.message(
            QStringLiteral("The accuracy check stopped: the lattice point at%1,%2 twips "
                           "lies on the horizon of this grid.")
                .arg(numberText(failed.x), numberText(failed.y)),
            kErrorTitle, Icon::Exclamation);
        return false;
    }
    if (m_shared.VideoDir.isEmpty()) {
        m_prompt.message(
            QStringLiteral("No video folder is set, so the accuracy report has nowhere to go. "
                           "Choose the video folder on the main screen first."),
            kErrorTitle, Icon::Exclamation);
        return false;
    }
    const QDateTime now = QDateTime::currentDateTime();
    const QStringList report = accuracyReportLines(
        now, m_gridNumber, frontBackRatios(in.corners, pictureWidth()),
        [this](GridControl b) { return headingText(b); }, m_grids.checkScreen, *lattice);
    const QString path = accuracyReportPath(m_shared.VideoDir, now.date());
    if (const FileResult r = appendLines(path, report); !r) {
        m_prompt.message(
            QStringLiteral("The accuracy report could not be written:\n%1\n%2").arg(path, r.error),
            kErrorTitle, Icon::Exclamation);
        return false;
    }
    m_lattice = std::move(lattice);
    if (m_advanced) {
        m_indicators.fill(true);
        return true;
    }
    if (m_painter)
        m_painter->showLineLabels(*m_lattice);
    const auto line = askAccuracyLine();
    if (m_painter) {
        m_painter->eraseDrawing();
        m_painter->hideLineLabels();
    }
    if (line) {
        for (int i = 0; i <= 6; ++i)
            m_indicators[7 * i + (*line - 1)] = true;
    }
    return true;
}

bool GridSetupModel::saveGrid(int g, const QString& path, const QString& description)
{
    m_locked = false;
    GridFileData d;
    d.path = path;
    d.description = description;
    for (int slot = 1; slot <= 4; ++slot)
        d.buoys[slot] = {m_grids.screenX[slot], m_grids.screenY[slot], m_grids.surveyX[slot],
                         m_grids.surveyY[slot]};
    d.c = m_grids.coefficients();
    d.jump = m_grids.jump;
    d.gridNumber = g;
    d.pictureSize = m_workingSize;
    d.hasCheckBuoy = true;
    d.checkScreen = m_grids.checkScreen;
    d.checkSurveyXText = text(GridControl::CheckX);
    d.checkSurveyYText = text(GridControl::CheckY);
    d.checkSurvey = {leadingNumber(d.checkSurveyXText), leadingNumber(d.checkSurveyYText)};

    if (const FileResult r = writeGridFiles(path, d); !r) {
        m_prompt.message(QStringLiteral("The grid could not be saved:\n") + r.error, kErrorTitle,
                         Icon::Exclamation);
        return false;
    }
    m_grids.gridFile[g] = path;
    m_grids.gridDescription[g] = description;
    m_grids.pictureSize[g] = m_workingSize;
    m_grids.storedJump = d.jump;
    m_grids.checkSurvey = d.checkSurvey;
    m_grids.storeRecord(g);
    m_filling = true;
    setText(GridControl::FileName, path);
    setText(GridControl::Description, description);
    m_filling = false;
    m_fromFile = true;
    // The results name the file the solved grid now lives in.
    appendSetupBlock(SetupBlockVariant::Solved, {true, m_grids.checkScreen.x, m_grids.checkScreen.y,
                                                 d.checkSurvey.X, d.checkSurvey.Y});
    m_settings.save(gridFileSetting(g), path);
    if (m_listener)
        m_listener->gridDescriptionSaved(g, description);
    return true;
}

void GridSetupModel::fillBoxesFromWorkingSet(bool withCheckBuoy)
{
    m_filling = true;
    for (int k = 0; k < 4; ++k) {
        const int slot = kMarkers[k].slot;
        m_markers[k] = {m_grids.screenX[slot], m_grids.screenY[slot]};
        setText(kMarkers[k].x, numberText(m_markers[k].x));
        setText(kMarkers[k].y, numberText(m_markers[k].y));
        setText(kSurveyBoxOfSlot[slot][0], boxText(m_grids.surveyX[slot]));
        setText(kSurveyBoxOfSlot[slot][1], boxText(m_grids.surveyY[slot]));
    }
    setText(GridControl::JumpX, boxText(m_grids.storedJump.X));
    setText(GridControl::JumpY, boxText(m_grids.storedJump.Y));
    if (withCheckBuoy) {
        m_markers[4] = m_grids.checkScreen;
        setText(GridControl::CheckXPix, numberText(m_grids.checkScreen.x));
        setText(GridControl::CheckYPix, numberText(m_grids.checkScreen.y));
        setText(GridControl::CheckX, boxText(m_grids.checkSurvey.X));
        setText(GridControl::CheckY, boxText(m_grids.checkSurvey.Y));
    } else {
        m_markers[4] = {};
        setText(GridControl::CheckXPix, QStringLiteral("auto"));
        setText(GridControl::CheckYPix, QStringLiteral("auto"));
        setText(GridControl::CheckX, QString());
        setText(GridControl::CheckY, QString());
    }
    setText(GridControl::FileName, m_grids.gridFile[m_gridNumber]);
    setText(GridControl::Description, m_grids.gridDescription[m_gridNumber]);
    m_filling = false;
}

bool GridSetupModel::loadGrid(int g, const QString& path)
{
    m_locked = false;
    // Every check comes before the first change: a refused file leaves the
    // record, the boxes and the grid's setting as they were.
    auto result = loadGridFile(path);
    if (auto* e = std::get_if<GridFileError>(&result)) {
        m_prompt.message(
            QStringLiteral("The grid file could not be loaded; nothing was changed.\n") +
                e->message,
            kErrorTitle, Icon::Exclamation);
        return false;
    }
    const GridFileData& d = std::get<GridFileData>(result);
    if (!d.finishedSave.isEmpty())
        m_prompt.message(d.finishedSave, kErrorTitle, Icon::Exclamation);

    // Commit the whole record at once: a grid never mixes two files.
    m_gridNumber = g;
    for (int slot = 1; slot <= 4; ++slot) {
        m_grids.screenX[slot] = d.buoys[slot].x;
        m_grids.screenY[slot] = d.buoys[slot].y;
        m_grids.surveyX[slot] = d.buoys[slot].X;
        m_grids.surveyY[slot] = d.buoys[slot].Y;
    }
    m_grids.setCoefficients(d.c);
    m_grids.jump = d.jump;
    m_grids.storedJump = d.jump;
    m_grids.checkScreen = d.hasCheckBuoy ? d.checkScreen : ScreenPoint{};
    m_grids.checkSurvey = d.hasCheckBuoy ? d.checkSurvey : SurveyPoint{};
    m_grids.gridFile[g] = path;
    m_grids.gridDescription[g] = d.description;
    m_grids.pictureSize[g] = d.pictureSize;
    m_workingSize = d.pictureSize;
    m_fromFile = true;
    m_grids.storeRecord(g);
    m_grids.table[g][rec::Ten] = d.ten;
    m_grids.table[g][rec::Two] = d.two;
    m_grids.table[g][rec::GridNumber] = d.gridNumber;
    m_grids.surveyXDirection = d.buoys[UpperRight].X < d.buoys[UpperLeft].X ? 1 : -1;
    fillBoxesFromWorkingSet(d.hasCheckBuoy);
    m_settings.save(gridFileSetting(g), path);

    if (!d.hasCheckBuoy && m_shared.LoadingGrids) {
        // Read back at the start: the day's grid is not one to measure with.
        m_prompt.message(QStringLiteral("Error in load - no check buoy found - setup grid again"));
    } else if (!d.hasCheckBuoy) {
        m_prompt.message(
            QStringLiteral("I cannot find a  check  buoy file for this setup.  That means ") +
                QStringLiteral("you are inputting an old set-up file that does not") +
                QStringLiteral(" have a check buoy.  To complete the set up correctly,") +
                QStringLiteral(" you must have a check buoy input to the set up."),
            QString(), Icon::Critical);
    }

    m_valid = true;
    m_accuracyVisible = true;
    m_grids.gridReady[g] = true;
    m_shared.CurrentGrid = g;
    if (m_listener)
        m_listener->gridActivated(g, d.description, true);
    updateGridsReady();
    appendSetupBlock(SetupBlockVariant::Loaded, {d.hasCheckBuoy, d.checkScreen.x, d.checkScreen.y,
                                                 d.checkSurvey.X, d.checkSurvey.Y});
    // The camera advice belongs to set-up; the grids read back at every
    // start were judged when they were set up.
    if (!m_shared.LoadingGrids)
        grid_check();
    return true;
}

} // namespace korvel
