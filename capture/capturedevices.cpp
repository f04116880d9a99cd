#include "capture/capturedevices.h"

#include "capture/libavcamera.h"
#include "capture/testcamera.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>

#ifdef __linux__
#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace korvel
{

VideoDevice testCameraDevice()
{
    VideoDevice d;
    d.name = kTestCameraName;
    d.id = QStringLiteral("test");
    d.colourFormats = {QStringLiteral("RGB32")};
    d.sizes = TestCamera::sizes();
    d.currentSize = QSize(640, 480);
    d.inputs = {QStringLiteral("Sample lake")};
    d.rate = 30;
    d.testCamera = true;
    return d;
}

VideoDevice lavfiDevice(const QString& name, const QString& graph, QSize size, double rate)
{
    VideoDevice d;
    d.name = name;
    d.id = QStringLiteral("lavfi:") + graph;
    d.colourFormats = {QStringLiteral("I420")};
    d.sizes = {size};
    d.currentSize = size;
    d.rate = rate;
    return d;
}

namespace
{

#ifdef __linux__
int ioctlRetry(int fd, unsigned long request, void* arg)
{
    int rc;
    do
        rc = ioctl(fd, request, arg);
    while (rc < 0 && errno == EINTR);
    return rc;
}

QString fourcc(std::uint32_t f)
{
    QString s;
    for (int i = 0; i < 4; ++i)
        s += QChar(char((f >> (8 * i)) & 0xFF));
    return s.trimmed();
}

void addSize(QList<QSize>& sizes, QSize s)
{
    if (!sizes.contains(s))
        sizes.append(s);
}

// What one /dev/video node can do; nothing when it cannot capture pictures
// (metadata nodes, output devices, codecs).
std::optional<VideoDevice> describe(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    VideoDevice d;
    d.id = path;
    v4l2_capability cap{};
    bool ok = ioctlRetry(fd, VIDIOC_QUERYCAP, &cap) == 0;
    if (ok) {
        const std::uint32_t caps =
            (cap.capabilities & V4L2_CAP_DEVICE_CAPS) ? cap.device_caps : cap.capabilities;
        ok = (caps & V4L2_CAP_VIDEO_CAPTURE) && (caps & (V4L2_CAP_STREAMING | V4L2_CAP_READWRITE));
        d.name = QString::fromUtf8(reinterpret_cast<const char*>(cap.card)).trimmed();
    }
    for (std::uint32_t i = 0; ok; ++i) {
        v4l2_fmtdesc fmt{};
        fmt.index = i;
        fmt.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (ioctlRetry(fd, VIDIOC_ENUM_FMT, &fmt) != 0)
            break;
        d.colourFormats.append(fourcc(fmt.pixelformat));
        for (std::uint32_t k = 0;; ++k) {
            v4l2_frmsizeenum size{};
            size.index = k;
            size.pixel_format = fmt.pixelformat;
            if (ioctlRetry(fd, VIDIOC_ENUM_FRAMESIZES, &size) != 0)
                break;
            if (size.type == V4L2_FRMSIZE_TYPE_DISCRETE) {
                addSize(d.sizes, QSize(int(size.discrete.width), int(size.discrete.height)));
                continue;
            }
            // A range: the usual sizes inside it.
            for (QSize s : {QSize(320, 240), QSize(640, 480), QSize(800, 600), QSize(1280, 720),
                            QSize(1920, 1080)}) {
                if (s.width() >= int(size.stepwise.min_width) &&
                    s.width() <= int(size.stepwise.max_width) &&
                    s.height() >= int(size.stepwise.min_height) &&
                    s.height() <= int(size.stepwise.max_height))
                    addSize(d.sizes, s);
            }
            break;
        }
    }
    for (std::uint32_t i = 0; ok; ++i) {
        v4l2_input input{};
        input.index = i;
        if (ioctlRetry(fd, VIDIOC_ENUMINPUT, &input) != 0)
            break;
        d.inputs.append(QString::fromUtf8(reinterpret_cast<const char*>(input.name)).trimmed());
    }
    v4l2_format current{};
    current.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (ok && ioctlRetry(fd, VIDIOC_G_FMT, &current) == 0)
        d.currentSize = QSize(int(current.fmt.pix.width), int(current.fmt.pix.height));
    v4l2_streamparm parm{};
    parm.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (ok && ioctlRetry(fd, VIDIOC_G_PARM, &parm) == 0 &&
        parm.parm.capture.timeperframe.numerator > 0)
        d.rate = double(parm.parm.capture.timeperframe.denominator) /
                 parm.parm.capture.timeperframe.numerator;
    ::close(fd);
    if (!ok || d.colourFormats.isEmpty())
        return std::nullopt;
    std::sort(d.sizes.begin(), d.sizes.end(),
              [](QSize a, QSize b) { return a.width() * a.height() < b.width() * b.height(); });
    if (d.inputs.isEmpty())
        d.inputs.append(QStringLiteral("Camera"));
    return d;
}
#endif

class SystemDevices : public DeviceDirectory
{
public:
    QList<VideoDevice> videoDevices() override
    {
        QList<VideoDevice> devices;
#ifdef __linux__
        QStringList nodes = QDir(QStringLiteral("/dev"))
                                .entryList({QStringLiteral("video*")}, QDir::System | QDir::Files);
        std::sort(nodes.begin(), nodes.end(), [](const QString& a, const QString& b) {
            return a.mid(5).toInt() < b.mid(5).toInt();
        });
        for (const QString& node : nodes) {
            if (auto d = describe(QStringLiteral("/dev/") + node))
                devices.append(*d);
        }
        // Two cameras of one model: the node tells them apart.
        for (VideoDevice& d : devices) {
            if (std::count_if(devices.begin(), devices.end(),
                              [&](const VideoDevice& o) { return o.name == d.name; }) > 1)
                d.name += QStringLiteral(" (%1)").arg(d.id);
        }
#endif
        return devices;
    }

    QList<SoundDevice> soundDevices() override
    {
        // "00-00: ALC892 Analog : ALC892 Analog : playback 1 : capture 1"
        QList<SoundDevice> devices;
        QFile pcm(QStringLiteral("/proc/asound/pcm"));
        if (!pcm.open(QIODevice::ReadOnly | QIODevice::Text))
            return devices;
        static const QRegularExpression line(QStringLiteral("^(\\d+)-(\\d+):\\s*([^:]*):"));
        for (const QByteArray& raw : pcm.readAll().split('\n')) {
            const QString text = QString::fromUtf8(raw);
            const auto m = line.match(text);
            if (!m.hasMatch() || !text.contains(QLatin1String("capture")))
                continue;
            devices.append(
                {m.captured(3).trimmed(),
                 QStringLiteral("hw:%1,%2").arg(m.captured(1).toInt()).arg(m.captured(2).toInt())});
        }
        return devices;
    }

    std::unique_ptr<CaptureSource> open(const VideoDevice& device) override
    {
        if (device.testCamera)
            return std::make_unique<TestCamera>();
        return std::make_unique<LibavCamera>(device.id);
    }

    QString watchedFolder() const override
    {
        return QStringLiteral("/dev");
    }
};

} // namespace

std::unique_ptr<DeviceDirectory> systemDevices()
{
    return std::make_unique<SystemDevices>();
}

} // namespace korvel
