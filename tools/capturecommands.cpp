// korvel-tool's capture commands: the devices a recording can come from, and
// a recording made through the same capture control the capture screen uses,
// for technical controllers checking a camera and for scripts.

#include "tools/commands.h"
#include "tools/toolsupport.h"

#include "capture/capturecontrol.h"
#include "capture/libavcamera.h"
#include "capture/testcamera.h"
#include "shell/readfile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cmath>

namespace korvel::tool
{

namespace
{

// The machine's devices, plus a filter-graph stand-in named on the command
// line ("lavfi:GRAPH").
class ToolDevices : public DeviceDirectory
{
public:
    explicit ToolDevices(const QString& standIn) : m_system(systemDevices()), m_standIn(standIn) {}
    QList<VideoDevice> videoDevices() override
    {
        QList<VideoDevice> list = m_system->videoDevices();
        if (!m_standIn.isEmpty())
            list.append(lavfiDevice(m_standIn, m_standIn.mid(6), QSize(), 0));
        return list;
    }
    QList<SoundDevice> soundDevices() override { return m_system->soundDevices(); }
    std::unique_ptr<CaptureSource> open(const VideoDevice& d) override { return m_system->open(d); }

private:
    std::unique_ptr<DeviceDirectory> m_system;
    QString m_standIn;
};

int devices(const QStringList& args)
{
    if (!args.isEmpty()) {
        err(QStringLiteral("usage: korvel-tool devices"));
        return 2;
    }
    CaptureControl control(systemDevices(), CaptureControl::TestCameraListing::Always);
    for (int n = 0; n < control.videoDeviceCount(); ++n) {
        const VideoDevice* d = control.device(n);
        QStringList sizes;
        for (QSize s : d->sizes)
            sizes << sizeText(s);
        out(QStringLiteral("%1: %2 (%3)").arg(n).arg(d->name, d->id));
        out(QStringLiteral("   colour formats: %1").arg(d->colourFormats.join(", ")));
        out(QStringLiteral("   sizes: %1").arg(sizes.join(", ")));
        out(QStringLiteral("   inputs: %1").arg(d->inputs.join(", ")));
        out(QStringLiteral("   frame rate: %1").arg(d->rate));
    }
    for (int n = 0; n < control.count(CaptureList::AudioDevice); ++n)
        out(QStringLiteral("sound %1: %2").arg(n).arg(control.name(CaptureList::AudioDevice, n)));
    return 0;
}

int capture(const QStringList& args)
{
    return guarded([&] {
        if (args.size() < 3)
            throw UsageError{QStringLiteral(
                "usage: korvel-tool capture DEVICE SECONDS OUT.avi [--size WxH] [--rate R] "
                "[--contact S]")};
        const QString deviceArg = args[0];
        const double seconds = oneNumber(QStringLiteral("SECONDS"), args[1]);
        if (seconds <= 0 || seconds > 600)
            throw UsageError{QStringLiteral("SECONDS must lie between 0 and 600")};
        const QString outPath = args[2];
        // A pipe would hold the recording until something reads it, a device
        // would take it and keep nothing.
        if (const QString kind = notAPlainFile(outPath); !kind.isEmpty())
            throw UsageError{
                QStringLiteral("%1: %2; nothing is recorded into it").arg(outPath, kind)};
        const auto opts = options(args.mid(3), {"--size", "--rate", "--contact"});
        QSize size(640, 480);
        if (opts.contains("--size")) {
            size = parseSize(opts["--size"]);
            if (!size.isValid() || size.width() > 8192 || size.height() > 8192)
                throw UsageError{QStringLiteral("--size takes WIDTHxHEIGHT up to 8192x8192, not "
                                                "\"%1\"")
                                     .arg(opts["--size"])};
        }
        const double rate = opts.contains("--rate") ? oneNumber("--rate", opts["--rate"]) : 30.0;
        if (rate <= 0 || rate > 240)
            throw UsageError{QStringLiteral("--rate must lie between 0 and 240")};
        const double contact =
            opts.contains("--contact") ? oneNumber("--contact", opts["--contact"]) : -1.0;
        if (opts.contains("--contact") && !(contact >= 0 && contact <= seconds))
            throw UsageError{QStringLiteral("--contact must lie between 0 and SECONDS")};

        const bool standIn = deviceArg.startsWith(QLatin1String("lavfi:"));
        CaptureControl control(std::make_unique<ToolDevices>(standIn ? deviceArg : QString()),
                               CaptureControl::TestCameraListing::Always);
        // DEVICE: its number in `devices`, its name, or a stand-in graph.
        int device = -1;
        bool isNumber = false;
        const int number = deviceArg.toInt(&isNumber);
        for (int n = 0; n < control.videoDeviceCount(); ++n) {
            if ((isNumber && n == number) ||
                control.videoDeviceName(n).compare(deviceArg, Qt::CaseInsensitive) == 0 ||
                control.device(n)->id == deviceArg)
                device = n;
        }
        if (device < 0)
            throw UsageError{QStringLiteral("no capture device \"%1\" (see korvel-tool devices)")
                                 .arg(deviceArg)};
        QString problem;
        QObject::connect(&control, &CaptureControl::warning,
                         [&](const QString& text) { problem = text; });
        control.setFrameRate(rate);
        if (!control.connectDevice(device)) {
            err(QStringLiteral("korvel-tool: ") + problem);
            return 1;
        }
        const VideoDevice* d = control.device(device);
        const int sizeIndex = int(d->sizes.indexOf(size));
        if (sizeIndex >= 0)
            control.setCurrent(CaptureList::Resolution, sizeIndex);
        else if (!standIn)
            throw UsageError{QStringLiteral("%1 does not film at %2").arg(d->name, sizeText(size))};
        control.setStreamFileName(outPath);
        control.setTimeLimit(seconds);
        // Filming before the start, as under the capture screen's preview,
        // so the recording starts with the next frame.
        {
            QEventLoop filming;
            QObject::connect(&control, &CaptureControl::previewFrame, &filming, &QEventLoop::quit);
            QObject::connect(&control, &CaptureControl::warning, &filming, &QEventLoop::quit);
            QTimer::singleShot(10000, &filming, &QEventLoop::quit);
            control.setPreview(true);
            filming.exec();
        }

        QEventLoop loop;
        bool failed = false;
        QObject::connect(&control, &CaptureControl::status, [&](int code, const QString& text) {
            if (code == CaptureStatus::Failed) {
                failed = true;
                problem = text;
                loop.quit();
            } else if (code == CaptureStatus::StatisticsReady) {
                loop.quit();
            }
        });
        // Contact: the frame being recorded when it is pressed, as on the
        // capture screen; without it the middle of the recording.
        std::int64_t contactFrame = std::int64_t(std::floor(rate * seconds / 2));
        QTimer contactTimer;
        contactTimer.setSingleShot(true);
        QObject::connect(&contactTimer, &QTimer::timeout,
                         [&] { contactFrame = control.framesCaptured(); });
        if (!control.startStreamCapture()) {
            err(QStringLiteral("korvel-tool: ") + problem);
            return 1;
        }
        if (contact >= 0)
            contactTimer.start(int(contact * 1000));
        QTimer::singleShot(int(seconds * 1000) + 10000, &loop, [&] {
            failed = true;
            problem = QStringLiteral("the device delivered no more pictures");
            loop.quit();
        });
        loop.exec();
        control.stopCapture();
        const CaptureStatistics stats = control.statistics();
        out(QStringLiteral("frames captured: %1").arg(stats.framesCaptured));
        out(QStringLiteral("frames dropped: %1").arg(stats.framesDropped));
        out(QStringLiteral("contact frame: %1").arg(contactFrame));
        out(QStringLiteral("time (ms): %1").arg(stats.timeMs));
        if (stats.audioSamples > 0)
            out(QStringLiteral("audio samples: %1").arg(stats.audioSamples));
        if (failed) {
            err(QStringLiteral("korvel-tool: ") + problem);
            return 1;
        }
        return 0;
    });
}

} // namespace

QList<Command> captureCommands()
{
    return {
        {"devices",
         "  devices                 the capture devices, their formats, sizes and inputs", devices},
        {"capture",
         "  capture DEVICE SECONDS OUT.avi [--size WxH] [--rate R] [--contact S]\n"
         "                          records through the capture control (DEVICE: number or\n"
         "                          name from `devices`, or lavfi:GRAPH); prints frames\n"
         "                          captured and dropped and the contact frame (pressed after\n"
         "                          S seconds, else the middle frame)",
         capture},
    };
}

} // namespace korvel::tool
