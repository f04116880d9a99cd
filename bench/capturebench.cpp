// Capture benchmark: 6 s recordings from the test camera and from the
// filter-graph stand-in camera, with the preview on (each preview picture
// scaled as the screen paints it), at 640 x 480 30 fps and 1280 x 720 60 fps,
// MJPEG. For each: frames captured and dropped, their ratio to the source's
// frames, the process's CPU use while recording, the file size, and every
// frame read back and its counter checked.
//   korvel-capture-bench WORKDIR [SECONDS]

#include "capture/capturecontrol.h"
#include "capture/framecounter.h"
#include "capture/libavcamera.h"
#include "capture/testcamera.h"
#include "media/ffmpegframesource.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>

using namespace korvel;

namespace
{

struct Devices : DeviceDirectory {
    QList<VideoDevice> list;
    QList<VideoDevice> videoDevices() override { return list; }
    QList<SoundDevice> soundDevices() override { return {}; }
    std::unique_ptr<CaptureSource> open(const VideoDevice& d) override
    {
        if (d.testCamera)
            return std::make_unique<TestCamera>();
        return std::make_unique<LibavCamera>(d.id);
    }
};

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec +
           u.ru_stime.tv_usec / 1e6;
}

void run(const QString& label, const VideoDevice& device, QSize size, int rate, double seconds,
         const QString& path)
{
    auto devices = std::make_unique<Devices>();
    devices->list = {device};
    CaptureControl control(std::move(devices));
    control.setFrameRate(rate);
    if (!control.connectDevice(0)) {
        std::printf("%s: cannot connect\n", qPrintable(label));
        return;
    }
    const int sizeIndex = int(device.sizes.indexOf(size));
    if (sizeIndex >= 0)
        control.setCurrent(CaptureList::Resolution, sizeIndex);
    control.setStreamFileName(path);
    control.setTimeLimit(seconds);
    int previews = 0;
    QObject::connect(&control, &CaptureControl::previewFrame, [&](const QImage& picture) {
        // What the screen does with it: scaled into a 640 x 480 view.
        const QImage shown = picture.scaled(640, 480, Qt::KeepAspectRatio, Qt::FastTransformation);
        previews += shown.isNull() ? 0 : 1;
    });
    QEventLoop filming;
    QObject::connect(&control, &CaptureControl::previewFrame, &filming, &QEventLoop::quit);
    control.setPreview(true);
    QTimer::singleShot(10000, &filming, &QEventLoop::quit);
    filming.exec();

    QEventLoop loop;
    QString failure;
    QObject::connect(&control, &CaptureControl::status, [&](int code, const QString& text) {
        if (code == CaptureStatus::StatisticsReady || code == CaptureStatus::Failed) {
            if (code == CaptureStatus::Failed)
                failure = text;
            loop.quit();
        }
    });
    previews = 0;
    const double cpu0 = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    control.startStreamCapture();
    QTimer::singleShot(int(seconds * 1000) + 10000, &loop, &QEventLoop::quit);
    loop.exec();
    const double cpu = cpuSeconds() - cpu0;
    const double elapsed = wall.elapsed() / 1000.0;
    control.setPreview(false);
    const CaptureStatistics stats = control.statistics();

    // Every frame back, its counter checked: a recorded frame shows its own
    // number (counted from the first frame's: the stand-in's graph counts
    // from when the preview opened it), an empty chunk the frame before it.
    int own = 0, wrong = 0, previous = -1, base = 0;
    OpenResult opened = openVideo(path);
    std::int64_t frames = 0;
    if (opened.source) {
        frames = opened.source->properties().frameCount;
        for (std::int64_t n = 0; n < frames; ++n) {
            const FrameResult f = opened.source->frame(n);
            const auto c = f ? readFrameCounter(*f.picture) : std::nullopt;
            if (n == 0 && c)
                base = int(*c);
            const int v = c ? int(*c) - base : -2;
            if (v == n)
                ++own;
            else if (v != previous)
                ++wrong;
            previous = v;
        }
    }
    const double expected = seconds * rate;
    const double recorded = double(stats.framesCaptured - stats.framesDropped);
    std::printf(
        "| %s | %lld | %lld | %.3f | %.2f | %d | %.0f %% | %.1f | %.1f | %lld / %lld own, %d "
        "wrong | %s\n",
        qPrintable(label), (long long)stats.framesCaptured, (long long)stats.framesDropped,
        recorded / expected, elapsed, previews, 100.0 * cpu / elapsed,
        1000.0 * cpu / std::max(1.0, recorded), QFileInfo(path).size() / 1e6, (long long)own,
        (long long)frames, wrong, qPrintable(failure));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fputs("usage: korvel-capture-bench WORKDIR [SECONDS]\n", stderr);
        return 2;
    }
    const QString work = QString::fromLocal8Bit(argv[1]);
    const double seconds = argc > 2 ? std::atof(argv[2]) : 6.0;
    std::printf("| source | frames | dropped | recorded / source frames | wall s | previews | CPU "
                "(of one core) | CPU ms / frame | MB | read back | failure\n"
                "|---|---|---|---|---|---|---|---|---|---|---|\n");
    for (auto [w, h, rate] : {std::tuple{640, 480, 30}, std::tuple{1280, 720, 60}}) {
        const QSize size(w, h);
        run(QStringLiteral("test camera %1x%2 %3 fps").arg(w).arg(h).arg(rate), testCameraDevice(),
            size, rate, seconds, work + QStringLiteral("/test-%1.avi").arg(h));
        run(QStringLiteral("lavfi stand-in %1x%2 %3 fps").arg(w).arg(h).arg(rate),
            lavfiDevice(QStringLiteral("stand-in"), counterTestGraph(w, h, rate) + ",realtime",
                        size, rate),
            size, rate, seconds, work + QStringLiteral("/lavfi-%1.avi").arg(h));
    }
    return 0;
}
