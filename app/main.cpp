// korvel: the measurement program. Until the main screen joins it, korvel
// opens on grid set-up, with the sample lake as its picture when no frame
// has been exported yet, so a newcomer can calibrate a grid at once. Leaving
// set-up with every grid ready opens the measure screen, on the sample jump
// when there is no other picture, and the calibration line tool opens from
// both screens. "korvel VIDEO.avi" opens the review screen on that video;
// the way back from measurement and from set-up with grids not ready leads
// to the review screen, where the next video is chosen.

#include "grid/gridsetupmodel.h"
#include "grid/gridsetupscreen.h"
#include "grid/sample/lakescene.h"
#include "grid/sample/samplegrid.h"
#include "grid/sample/scenefile.h"
#include "measure/calibrationscreen.h"
#include "measure/measurescreen.h"
#include "review/setstartscreen.h"
#include "shell/paths.h"
#include "shell/pictureview.h"
#include "shell/qtprompt.h"
#include "shell/settings.h"
#include "shell/sharedstate.h"
#include "shell/textrules.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

using namespace korvel;

namespace
{

// Stands in for the main screen: it joins grid set-up, measurement and the
// calibration line tool, and says plainly what is not there yet.
class Hub : public GridSetupListener
{
public:
    Hub(GridState& grids, SharedState& shared, Prompt& prompt, GridSetupScreen& setup,
        MeasureScreen& measure, CalibrationScreen& calibration)
        : m_grids(grids), m_shared(shared), m_prompt(prompt), m_setup(setup), m_measure(measure),
          m_calibration(calibration)
    {
    }

    // GridSetupListener
    void gridSetupLeft(bool allReady) override
    {
        if (!allReady) {
            showReview();
            return;
        }
        m_measure.model().selectGrid(m_shared.CurrentGrid);
        // A newcomer without a contact frame of their own measures the sample jump.
        if (m_shared.LastScreen != ScreenTag::SelectFrame && !m_measure.picture()->hasPicture())
            m_measure.freezePicture(sample::makeSampleScene({.skier = true}).picture,
                                    QStringLiteral("Sample jump"));
        m_measure.enter();
    }
    bool openCalibration() override
    {
        const int g = m_setup.model().gridNumber();
        m_calibration.open([this, g]() -> std::optional<ActiveGrid> {
            if (!m_grids.gridReady[g])
                return std::nullopt;
            return ActiveGrid::fromRecord(m_grids, g);
        });
        return true;
    }

    void setReview(SetStartScreen* review) { m_review = review; }
    // Where the main screen would send the operator for the next video.
    void showReview()
    {
        m_shared.LastScreen = ScreenTag::Setup;
        m_review->enter();
    }
    bool measureLeft()
    {
        showReview();
        return true;
    }
    bool mainScreenWanted()
    {
        m_prompt.message(
            QStringLiteral("There is no main screen in this version of korvel, so it closes now."));
        QApplication::quit();
        return true;
    }
    // The measure screen's own "&Calibrate" uses the grid chosen there.
    bool openMeasureCalibration()
    {
        m_calibration.open([this]() -> std::optional<ActiveGrid> {
            const ActiveGrid& a = m_measure.model().activeGrid();
            if (!m_grids.gridReady[a.number])
                return std::nullopt;
            return a;
        });
        return true;
    }

private:
    GridState& m_grids;
    SharedState& m_shared;
    Prompt& m_prompt;
    GridSetupScreen& m_setup;
    MeasureScreen& m_measure;
    CalibrationScreen& m_calibration;
    SetStartScreen* m_review = nullptr;
};

// The review screen's side: the frame goes to measurement or grid set-up.
class ReviewSide : public ReviewListener
{
public:
    ReviewSide(Hub& hub, GridSetupScreen& setup, MeasureScreen& measure)
        : m_hub(hub), m_setup(setup), m_measure(measure)
    {
    }
    void showMeasure() override { m_measure.enter(); }
    void showGridSetup() override { m_setup.enter(); }
    bool showMainScreen() override { return m_hub.mainScreenWanted(); }

private:
    Hub& m_hub;
    GridSetupScreen& m_setup;
    MeasureScreen& m_measure;
};

// The measure screen's side of the stand-in: its "&Calibrate" takes the grid
// chosen there, not set-up's; capture and the picture-log viewer are missing.
class MeasureSide : public MeasureListener
{
public:
    explicit MeasureSide(Hub& hub) : m_hub(hub) {}
    bool showMainScreen() override { return m_hub.measureLeft(); }
    bool openCalibration() override { return m_hub.openMeasureCalibration(); }

private:
    Hub& m_hub;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("korvel"));

    Settings settings;
    QtPrompt prompt;
    SharedState shared;
    GridState grids;

    QString videoDir = StripTrailingBackslash(settings.get(QStringLiteral("logpath"), QString()));
    if (videoDir.isEmpty() || !PathExists(videoDir, PathKind::Folder)) {
        videoDir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                   QStringLiteral("/korvel/videos");
        QDir().mkpath(videoDir);
    }
    shared.VideoDir = videoDir;
    shared.LogFileName =
        QStringLiteral("JumpMeasurementLog") + dateStamp() + QStringLiteral(".txt");
    shared.ResultsFile = joinPath(videoDir, QStringLiteral("JumpMeasurementResults") + dateStamp() +
                                                QStringLiteral(".txt"));
    shared.SetupDir = settings.get(QStringLiteral("SetupFiles"));
    if (shared.SetupDir.isEmpty()) {
        // Nothing configured yet: the sample lake's pictures, its description
        // and a solved sample grid, so "&Load File" has something to open.
        const QString sampleDir =
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
            QStringLiteral("/korvel/sample");
        const QString sampleGrid = joinPath(sampleDir, QStringLiteral("sample-lake.ipt"));
        if (!PathExists(sampleGrid, PathKind::File)) {
            const sample::SampleScene lake = sample::makeSampleScene();
            const sample::SampleScene jump = sample::makeSampleScene({.skier = true});
            QString problem = sample::writeSampleFiles(sampleDir, lake, &jump);
            if (problem.isEmpty())
                problem = sample::writeSampleGrid(sampleGrid, lake);
            if (!problem.isEmpty())
                prompt.message(QStringLiteral("The sample lake could not be written to %1: %2")
                                   .arg(sampleDir, problem),
                               QString(), Icon::Exclamation);
        }
        shared.SetupDir = sampleDir;
    }
    shared.CapturesDir = videoDir;
    const int gridCount = settings.getWhole(QStringLiteral("grids"), 0, prompt);
    shared.GridCount = (gridCount >= 1 && gridCount <= 3) ? gridCount : 1;

    GridSetupModel model(grids, shared, settings, prompt);
    GridSetupScreen screen(model, shared, settings, prompt);
    MeasureModel measureModel(grids, shared, settings, prompt);
    MeasureScreen measure(measureModel, shared, settings, prompt);
    CalibrationLine line(prompt);
    CalibrationScreen calibration(line);
    calibration.setPictures({measure.picture(), screen.picture()});

    SetStartScreen review(shared, settings, prompt);

    Hub hub(grids, shared, prompt, screen, measure, calibration);
    MeasureSide measureSide(hub);
    ReviewSide reviewSide(hub, screen, measure);
    hub.setReview(&review);
    model.setListener(&hub);
    measureModel.setListener(&measureSide);
    review.model().setListener(&reviewSide);

    const QString frame = joinPath(programFolder(), QStringLiteral("currentcapture.bmp"));
    if (PathExists(frame, PathKind::File)) {
        shared.LastScreen = ScreenTag::SelectFrame;
    } else {
        screen.setBackground(sample::makeSampleScene().picture);
    }
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (!args.isEmpty()) {
        // A video named on the command line: reviewed as one from the log.
        shared.LastScreen = ScreenTag::View;
        review.model().setFileToView(QFileInfo(args.first()).absoluteFilePath());
        review.enter();
    } else {
        screen.enter();
    }
    QObject::connect(&app, &QApplication::lastWindowClosed, &app, &QApplication::quit);
    return app.exec();
}
