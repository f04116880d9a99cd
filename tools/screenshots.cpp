// Renders korvel's screens on the sample lake for the documentation:
// korvel-shots FOLDER writes grid-setup.png, measure.png (the sample jump
// measured on the grid calibrated for the first) and buoy-snap.png (a marker
// clicked a pixel off the upper-left buoy and snapped to its centre). Run under a real X server
// (xvfb-run) or the offscreen platform.

#include "grid/gridsetupmodel.h"
#include "grid/gridsetupscreen.h"
#include "grid/sample/lakescene.h"
#include "grid/sample/samplegrid.h"
#include "measure/measurescreen.h"
#include "shell/consoleprompt.h"
#include "shell/prompt.h"
#include "shell/settings.h"
#include "shell/textrules.h"

#include <QApplication>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

using namespace korvel;

namespace
{

// The pictures are of the measure screen alone: it hands over to no other.
struct StaysOnMeasure : MeasureListener {
    void showMainScreen() override {}
    void showCapture() override {}
    void openPictureLog() override {}
    void openCalibration() override {}
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: korvel-shots FOLDER\n", stderr);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir scratch;
    Settings settings(scratch.path() + QStringLiteral("/korvel.ini"));
    // Every message printed; the accuracy check's line question answered "4".
    ConsolePrompt prompt;
    prompt.yes = true;
    prompt.inputAnswer = QStringLiteral("4");
    SharedState shared;
    shared.VideoDir = scratch.path();
    GridState grids;
    GridSetupModel model(grids, shared, settings, prompt);
    model.setWithoutResultsFile(WithoutResultsFile::Quiet);
    GridSetupScreen screen(model, shared, settings, prompt);

    const sample::SampleScene scene = sample::makeSampleScene();
    screen.setBackground(scene.picture);
    sample::enterSampleGrid(model, scene);
    model.setText(GridControl::Description, "Sample lake, shore camera");
    model.complete();
    screen.sync();
    screen.Show_grid();
    // Advanced display: every lattice point graded on the picture.
    screen.findChild<QRadioButton*>(QStringLiteral("optAdvancedAccuracy"))->setChecked(true);
    model.accuracyCheck();
    screen.sync();
    screen.Show_grid();
    screen.show();

    // The sample skier's contact clicked and recorded on grid 1.
    shared.ResultsFile = scratch.path() + QStringLiteral("/JumpMeasurementResults.txt");
    shared.CapturesDir = scratch.path();
    shared.CurrentGrid = 1;
    // Red stands out against the white of the splash.
    settings.save(Setting::ImpactColor, QStringLiteral("red"));
    StaysOnMeasure aroundMeasure;
    MeasureModel measureModel(grids, shared, settings, prompt, aroundMeasure);
    MeasureScreen measure(measureModel, shared, settings, prompt);
    const sample::SampleScene jump = sample::makeSampleScene({.skier = true});
    measure.freezePicture(jump.picture, QStringLiteral("Sample jump"));
    measureModel.setText(MeasureControl::SkierName, QStringLiteral("Sample Skier"));
    const QPoint contact = jump.impact->click();
    measureModel.clickPicture(contact.x() * 15.0, contact.y() * 15.0);
    measureModel.Record();
    measure.show_the_grid();
    measure.show();

    // A marker clicked beside the upper-left buoy, then "Snap to Buoy".
    GridState snapGrids;
    SharedState snapShared;
    GridSetupModel snapModel(snapGrids, snapShared, settings, prompt);
    GridSetupScreen snapScreen(snapModel, snapShared, settings, prompt);
    snapScreen.setBackground(scene.picture);
    snapScreen.findChild<QRadioButton*>(QStringLiteral("upper_left_button"))->setChecked(true);
    snapModel.selectMarker(Marker::UpperLeft);
    const QPoint beside = scene.buoy(sample::BuoySlot::UpperLeft).click() + QPoint(2, -1);
    snapModel.clickPicture(beside.x() * 15.0, beside.y() * 15.0);
    snapModel.snapToBuoy(scene.picture);
    snapScreen.sync();
    snapScreen.show();

    int code = 0;
    QTimer::singleShot(800, &app, [&] {
        if (!snapScreen.grab().save(out + QStringLiteral("/buoy-snap.png")))
            code = 1;
        if (!screen.grab().save(out + QStringLiteral("/grid-setup.png")))
            code = 1;
        if (!measure.grab().save(out + QStringLiteral("/measure.png")))
            code = 1;
        app.quit();
    });
    app.exec();
    return code;
}
