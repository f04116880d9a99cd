#include "grid/gridsetupmodel.h"

#include "grid/gridsolver.h"
#include "shell/prompt.h"
#include "shell/settings.h"
#include "shell/textrules.h"

#include <QDateTime>

#include <cmath>

namespace korvel
{

namespace
{

struct BoxSpec {
    const char* name;
    const char* initial;
};

// Boxes in the order "Complete" checks them for placeholders, then the rest.
const BoxSpec kBoxes[] = {
    {"upper_left_x", "auto"},
    {"upper_left_y", "auto"},
    {"upper_right_x", "auto"},
    {"upper_right_y", "auto"},
    {"lower_left_x", "auto"},
    {"lower_left_y", "auto"},
    {"lower_right_x", "auto"},
    {"lower_right_y", "auto"},
    {"ul_survey_x", "input"},
    {"ul_survey_y", "input"},
    {"ur_survey_x", "input"},
    {"ur_survey_y", "input"},
    {"ll_survey_x", "input"},
    {"ll_survey_y", "input"},
    {"lr_survey_x", "input"},
    {"lr_survey_y", "input"},
    {"jump_x", "jump x"},
    {"jump_y", "jump y"},
    {"txtCheckX", "CheckX"},
    {"txtCheckY", "CheckY"},
    {"txtCheckXpix", ""},
    {"txtCheckYpix", ""},
    {"ipt_file_description", "No File"},
    {"ipt_file_description_2", ""},
    {"txtPicWidth", "12000"},
    {"txtPicHeight", "9000"},
};
constexpr int kPlaceholderBoxes = 20;

// Marker order of the screen -> its boxes and its buoy slot (0 = check buoy).
struct MarkerSpec {
    const char* xBox;
    const char* yBox;
    int slot;
};
const MarkerSpec kMarkers[kMarkerCount] = {
    {"upper_left_x", "upper_left_y", UpperLeft}, {"upper_right_x", "upper_right_y", UpperRight},
    {"lower_left_x", "lower_left_y", LowerLeft}, {"lower_right_x", "lower_right_y", LowerRight},
    {"txtCheckXpix", "txtCheckYpix", 0},
};

// Survey boxes -> slot and axis.
struct SurveySpec {
    const char* box;
    int slot;
    bool isY;
};
const SurveySpec kSurveyBoxes[] = {
    {"ur_survey_x", UpperRight, false}, {"ur_survey_y", UpperRight, true},
    {"lr_survey_x", LowerRight, false}, {"lr_survey_y", LowerRight, true},
    {"ul_survey_x", UpperLeft, false},  {"ul_survey_y", UpperLeft, true},
    {"ll_survey_x", LowerLeft, false},  {"ll_survey_y", LowerLeft, true},
};

const char* kSurveyBoxOfSlot[5][2] = {
    {nullptr, nullptr},
    {"ur_survey_x", "ur_survey_y"},
    {"lr_survey_x", "lr_survey_y"},
    {"ul_survey_x", "ul_survey_y"},
    {"ll_survey_x", "ll_survey_y"},
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

const QStringList& GridSetupModel::boxNames()
{
    static const QStringList names = [] {
        QStringList n;
        for (const BoxSpec& b : kBoxes)
            n << QString::fromLatin1(b.name);
        return n;
    }();
    return names;
}

QString GridSetupModel::placeholder(const QString& box)
{
    for (int k = 0; k < kPlaceholderBoxes; ++k) {
        if (box == QLatin1String(kBoxes[k].name))
            return QString::fromLatin1(kBoxes[k].initial);
    }
    return {};
}

GridSetupModel::GridSetupModel(GridState& grids, SharedState& shared, Settings& settings,
                               Prompt& prompt)
    : m_grids(grids), m_shared(shared), m_settings(settings), m_prompt(prompt)
{
    for (const BoxSpec& b : kBoxes)
        m_texts.insert(QString::fromLatin1(b.name), QString::fromLatin1(b.initial));
    m_gridNumber = (shared.CurrentGrid >= 1 && shared.CurrentGrid <= 3) ? shared.CurrentGrid : 1;
    m_shared.GridsReady = 0;
}

void GridSetupModel::setText(const QString& box, const QString& text)
{
    if (!m_texts.contains(box))
        return;
    m_texts[box] = text;
    applyEdit(box);
}

void GridSetupModel::applyEdit(const QString& box)
{
    bool gridData = false;
    const double v = leadingNumber(m_texts.value(box));
    for (const SurveySpec& s : kSurveyBoxes) {
        if (box == QLatin1String(s.box)) {
            (s.isY ? m_grids.surveyY : m_grids.surveyX)[s.slot] = v;
            gridData = true;
        }
    }
    if (box == QLatin1String("jump_x")) {
        m_grids.jump.X = v;
        m_grids.storedJump.X = v;
        gridData = true;
    } else if (box == QLatin1String("jump_y")) {
        m_grids.jump.Y = v;
        m_grids.storedJump.Y = v;
        gridData = true;
    } else if (box == QLatin1String("txtCheckX")) {
        m_grids.checkSurvey.X = v;
        gridData = true;
    } else if (box == QLatin1String("txtCheckY")) {
        m_grids.checkSurvey.Y = v;
        gridData = true;
    }
    for (const MarkerSpec& m : kMarkers) {
        if (box == QLatin1String(m.xBox) || box == QLatin1String(m.yBox))
            gridData = true;
    }
    if (!gridData || m_filling)
        return;

    m_valid = false;
    m_accuracyVisible = false;
    if (box == QLatin1String("ll_survey_y"))
        clear_accuracy_indicator(); // the near-left Y only moves the accuracy lattice
    else
        m_shared.GridsReady = 0;
    if (!m_shared.LoadingGrids)
        markChanged();
}

void GridSetupModel::markChanged()
{
    m_settings.save(QStringLiteral("grid%1File").arg(m_gridNumber), QString());
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
    m_grids.jump = m_grids.storedJump;
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
    return saveGrid(g, *path, *description);
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
        for (const char* box : {"upper_left_x", "upper_right_x", "lower_left_x", "lower_right_x"}) {
            if (m_texts.value(QString::fromLatin1(box)) == QLatin1String("auto"))
                on = false;
        }
        if (m_texts.value(QStringLiteral("txtCheckX")) == QLatin1String("CheckX"))
            on = false;
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
    const MarkerSpec& m = kMarkers[index];
    const ScreenPoint p = m_markers[index];
    setText(QString::fromLatin1(m.xBox), numberText(p.x));
    setText(QString::fromLatin1(m.yBox), numberText(p.y));
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
    for (int k = 0; k < kMarkerCount; ++k) {
        const bool selected = m_selected && static_cast<int>(*m_selected) == k;
        if (selected || m_locked)
            moveMarker(k, {m_markers[k].x + dx, m_markers[k].y + dy});
    }
}

double GridSetupModel::pictureWidth() const
{
    const double w = leadingNumber(m_texts.value(QStringLiteral("txtPicWidth")));
    return w > 0 ? w : 12000;
}

void GridSetupModel::updateGridsReady()
{
    if (m_grids.allConfiguredReady(m_shared.GridCount))
        m_shared.GridsReady = 1;
}

bool GridSetupModel::appendToResults(const QStringList& lines)
{
    // korvel-tool works on grid files alone, without a results file; in
    // korvel the configuration never leaves the path empty unnoticed.
    if (m_shared.ResultsFile.isEmpty())
        return true;
    const FileResult r = appendLines(m_shared.ResultsFile, lines);
    if (!r) {
        m_prompt.message(QStringLiteral("The results file could not be written:\n%1\n%2")
                             .arg(m_shared.ResultsFile, r.error),
                         kErrorTitle, Icon::Exclamation);
        return false;
    }
    return true;
}

void GridSetupModel::appendSetupBlock(SetupBlockVariant variant, const SetupBlockCheckBuoy& check)
{
    appendToResults(setupBlockLines(
        variant, QDateTime::currentDateTime(), m_gridNumber,
        [this](const QString& b) { return text(b); }, check));
}

bool GridSetupModel::complete()
{
    m_valid = false;

    // Completeness: the first box still showing its placeholder stops the solve.
    for (int k = 0; k < kPlaceholderBoxes; ++k) {
        const QString name = QString::fromLatin1(kBoxes[k].name);
        if (m_texts.value(name) == QLatin1String(kBoxes[k].initial)) {
            m_prompt.message(kNotAllSetUp, kErrorTitle, Icon::Exclamation);
            return false;
        }
    }
    if (leadingNumber(m_texts.value(QStringLiteral("txtCheckXpix"))) == 0) {
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
    const double cx = leadingNumber(m_texts.value(QStringLiteral("txtCheckX")));
    const double cy = leadingNumber(m_texts.value(QStringLiteral("txtCheckY")));
    const ScreenPoint placed{leadingNumber(m_texts.value(QStringLiteral("txtCheckXpix"))),
                             leadingNumber(m_texts.value(QStringLiteral("txtCheckYpix")))};
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
    const auto sightL = sightLine(c, leadingNumber(text(QStringLiteral("lower_left_x"))),
                                  leadingNumber(text(QStringLiteral("lower_left_y"))));
    const auto sightR = sightLine(c, leadingNumber(text(QStringLiteral("lower_right_x"))),
                                  leadingNumber(text(QStringLiteral("lower_right_y"))));
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
    m_grids.gridFile[g] = text(QStringLiteral("ipt_file_description"));
    m_grids.gridDescription[g] = text(QStringLiteral("ipt_file_description_2"));
    m_grids.checkScreen = placed;
    m_grids.checkSurvey = {cx, cy};
    m_grids.storeRecord(g);
    if (m_listener)
        m_listener->gridActivated(g, m_grids.gridDescription[g], false);
    updateGridsReady();
    m_grids.surveyXDirection = leadingNumber(text(QStringLiteral("ur_survey_x"))) <
                                       leadingNumber(text(QStringLiteral("ul_survey_x")))
                                   ? 1
                                   : -1;
    appendSetupBlock(SetupBlockVariant::Solved, {true, placed.x, placed.y, cx, cy});
    grid_check();
    return true;
}

AccuracyCorners GridSetupModel::corners() const
{
    auto at = [this](const char* x, const char* y) {
        return ScreenPoint{leadingNumber(text(QString::fromLatin1(x))),
                           leadingNumber(text(QString::fromLatin1(y)))};
    };
    return {at("upper_left_x", "upper_left_y"), at("lower_left_x", "lower_left_y"),
            at("upper_right_x", "upper_right_y"), at("lower_right_x", "lower_right_y")};
}

void GridSetupModel::grid_check()
{
    if (const auto msg = frontRatioMessage(frontBackRatios(corners(), pictureWidth()).front))
        m_prompt.message(*msg);
}

void GridSetupModel::clear_accuracy_indicator()
{
    m_indicators.fill(false);
    ++m_accuracyClears;
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
        [this](const QString& b) { return text(b); }, m_grids.checkScreen, *lattice);
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
    d.hasCheckBuoy = true;
    d.checkScreen = m_grids.checkScreen;
    d.checkSurveyXText = text(QStringLiteral("txtCheckX"));
    d.checkSurveyYText = text(QStringLiteral("txtCheckY"));
    d.checkSurvey = {leadingNumber(d.checkSurveyXText), leadingNumber(d.checkSurveyYText)};

    if (const FileResult r = writeGridFiles(path, d); !r) {
        m_prompt.message(QStringLiteral("The grid could not be saved:\n") + r.error, kErrorTitle,
                         Icon::Exclamation);
        return false;
    }
    m_grids.gridFile[g] = path;
    m_grids.gridDescription[g] = description;
    m_grids.storedJump = d.jump;
    m_grids.checkSurvey = d.checkSurvey;
    m_grids.storeRecord(g);
    m_filling = true;
    setText(QStringLiteral("ipt_file_description"), path);
    setText(QStringLiteral("ipt_file_description_2"), description);
    m_filling = false;
    m_settings.save(QStringLiteral("grid%1File").arg(g), path);
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
        setText(QString::fromLatin1(kMarkers[k].xBox), numberText(m_markers[k].x));
        setText(QString::fromLatin1(kMarkers[k].yBox), numberText(m_markers[k].y));
        setText(QString::fromLatin1(kSurveyBoxOfSlot[slot][0]), boxText(m_grids.surveyX[slot]));
        setText(QString::fromLatin1(kSurveyBoxOfSlot[slot][1]), boxText(m_grids.surveyY[slot]));
    }
    setText(QStringLiteral("jump_x"), boxText(m_grids.storedJump.X));
    setText(QStringLiteral("jump_y"), boxText(m_grids.storedJump.Y));
    if (withCheckBuoy) {
        m_markers[4] = m_grids.checkScreen;
        setText(QStringLiteral("txtCheckXpix"), numberText(m_grids.checkScreen.x));
        setText(QStringLiteral("txtCheckYpix"), numberText(m_grids.checkScreen.y));
        setText(QStringLiteral("txtCheckX"), boxText(m_grids.checkSurvey.X));
        setText(QStringLiteral("txtCheckY"), boxText(m_grids.checkSurvey.Y));
    } else {
        m_markers[4] = {};
        setText(QStringLiteral("txtCheckXpix"), QStringLiteral("auto"));
        setText(QStringLiteral("txtCheckYpix"), QStringLiteral("auto"));
        setText(QStringLiteral("txtCheckX"), QString());
        setText(QStringLiteral("txtCheckY"), QString());
    }
    setText(QStringLiteral("ipt_file_description"), m_grids.gridFile[m_gridNumber]);
    setText(QStringLiteral("ipt_file_description_2"), m_grids.gridDescription[m_gridNumber]);
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
    m_grids.storeRecord(g);
    m_grids.table[g][rec::Ten] = d.ten;
    m_grids.table[g][rec::Two] = d.two;
    m_grids.table[g][rec::GridNumber] = d.gridNumber;
    m_grids.surveyXDirection = d.buoys[UpperRight].X < d.buoys[UpperLeft].X ? 1 : -1;
    fillBoxesFromWorkingSet(d.hasCheckBuoy);
    m_settings.save(QStringLiteral("grid%1File").arg(g), path);

    if (!d.hasCheckBuoy) {
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
