// korvel-capture-shot FOLDER: the capture screen recording the test camera,
// written as capture.png for the documentation. Run under a real X server
// (xvfb-run) or the offscreen platform.

#include "capture/capturecontrol.h"
#include "capture/capturepanelsmodel.h"
#include "capture/capturescreenmodel.h"
#include "capture/previewform.h"
#include "shell/consoleprompt.h"
#include "shell/settings.h"
#include "shell/sharedstate.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

using namespace korvel;

namespace
{

struct NoHandOver : CaptureScreenListener {
    void setMeasureSkier(const QString&, const QString&) override {}
    void showReview(const Jump&) override {}
    void showMainScreen() override {}
    QString selectSkier() override { return {}; }
};

// Only the test camera, whatever the machine has.
struct TestCameraOnly : DeviceDirectory {
    QList<VideoDevice> videoDevices() override { return {}; }
    QList<SoundDevice> soundDevices() override { return {}; }
    std::unique_ptr<CaptureSource> open(const VideoDevice& d) override
    {
        return systemDevices()->open(d);
    }
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: korvel-capture-shot FOLDER\n", stderr);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir scratch;
    Settings settings(scratch.path() + QStringLiteral("/korvel.ini"));
    settings.save(Setting::VideoResolution, QStringLiteral("1")); // 640 x 480
    settings.save(Setting::CaptureTime, QStringLiteral("4"));
    ConsolePrompt prompt;
    SharedState shared;
    shared.VideoDir = scratch.path();
    CaptureControl control(std::make_unique<TestCameraOnly>());
    CapturePanelsModel panels(control, settings, prompt);
    panels.populate();
    CaptureScreenModel model(control, panels, shared, settings, prompt);
    NoHandOver listener;
    model.setListener(&listener);
    model.load();
    model.setSkierName(QStringLiteral("Sample Skier"));
    PreviewForm form(model, control);
    form.resize(1100, 560);
    shared.LastScreen = ScreenTag::Setup;
    control.setPreview(true);
    form.show();

    int code = 0;
    // Start after the camera films, press Contact at touch-down (2 s into
    // the recording), take the picture a little later.
    QTimer::singleShot(1500, &app, [&] { model.startRecording(); });
    QTimer::singleShot(3500, &app, [&] { model.contact(); });
    QTimer::singleShot(4100, &app, [&] {
        if (!form.grab().save(out + QStringLiteral("/capture.png")))
            code = 1;
        model.escape();
        app.quit();
    });
    app.exec();
    return code;
}
