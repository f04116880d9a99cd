#include "capture/capturecontrol.h"

#include "capture/capturesession.h"
#include "capture/testcamera.h"
#include "shell/picturefile.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QPainter>
#include <QPointer>

#include <cmath>
#include <mutex>

namespace korvel
{

QString sizeText(QSize size)
{
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

QSize parseSize(const QString& text)
{
    const QStringList parts = text.toLower().split(QLatin1Char('x'));
    if (parts.size() != 2)
        return {};
    bool okW = false, okH = false;
    const int w = parts[0].trimmed().toInt(&okW), h = parts[1].trimmed().toInt(&okH);
    return okW && okH && w > 0 && h > 0 ? QSize(w, h) : QSize();
}

namespace
{

const QStringList kCompressors = {QStringLiteral("MJPEG")};

std::mutex& eventHandOver()
{
    static std::mutex m;
    return m;
}

} // namespace

CaptureControl::CaptureControl(std::unique_ptr<DeviceDirectory> devices, TestCameraListing listing,
                               QObject* parent)
    : QObject(parent), m_directory(std::move(devices)), m_listing(listing)
{
    listDevices();
    const QString folder = m_directory->watchedFolder();
    if (!folder.isEmpty() && QFileInfo(folder).isDir()) {
        m_watcher = new QFileSystemWatcher({folder}, this);
        connect(m_watcher, &QFileSystemWatcher::directoryChanged, this,
                &CaptureControl::refreshDevices);
    }
}

CaptureControl::~CaptureControl()
{
    m_session.reset();
}

void CaptureControl::listDevices()
{
    m_devices = m_directory->videoDevices();
    if (m_listing == TestCameraListing::Always || m_devices.isEmpty())
        m_devices.append(testCameraDevice());
    m_sound = m_directory->soundDevices();
    const bool test = std::any_of(m_devices.begin(), m_devices.end(),
                                  [](const VideoDevice& d) { return d.testCamera; });
    if (test)
        m_sound.append({kTestBeepName, QStringLiteral("beep")});
    if (m_audioDevice >= m_sound.size())
        m_audioDevice = -1;
}

QString CaptureControl::videoDeviceName(int n) const
{
    return n >= 0 && n < m_devices.size() ? m_devices[n].name : QString();
}

const VideoDevice* CaptureControl::device(int n) const
{
    return n >= 0 && n < m_devices.size() ? &m_devices[n] : nullptr;
}

void CaptureControl::setTestCameraListing(TestCameraListing listing)
{
    m_listing = listing;
    refreshDevices();
}

void CaptureControl::refreshDevices()
{
    const QList<VideoDevice> before = m_devices;
    listDevices();
    auto has = [](const QList<VideoDevice>& list, const VideoDevice& d) {
        return std::any_of(list.begin(), list.end(),
                           [&](const VideoDevice& o) { return o.id == d.id; });
    };
    // The connected device keeps its place in our eyes by its node, not its
    // list position.
    m_current = -1;
    for (int i = 0; i < m_devices.size(); ++i) {
        if (!m_connectedId.isEmpty() && m_devices[i].id == m_connectedId)
            m_current = i;
    }
    for (const VideoDevice& d : before) {
        if (!has(m_devices, d))
            emit deviceChanged(DeviceEvent::Removal, kVideoCaptureSources, d.name);
    }
    for (const VideoDevice& d : m_devices) {
        if (!has(before, d))
            emit deviceChanged(DeviceEvent::Arrival, kVideoCaptureSources, d.name);
    }
}

bool CaptureControl::connectDevice(int n)
{
    const VideoDevice* d = device(n);
    if (!d) {
        emit warning(QStringLiteral("There is no capture device %1").arg(n));
        return false;
    }
    disconnectDevice();
    std::unique_ptr<CaptureSource> source = m_directory->open(*d);
    if (!source) {
        emit warning(QStringLiteral("%1 cannot be used").arg(d->name));
        return false;
    }
    m_current = n;
    m_connectedId = d->id;
    // Start at the size the device reports it films at; one that reports
    // none starts at 640 x 480 where it has it, the size most tournament
    // cameras record at and grids are solved on.
    m_resolution = int(d->sizes.indexOf(d->currentSize));
    if (m_resolution < 0)
        m_resolution = std::max(0, int(d->sizes.indexOf(QSize(640, 480))));
    m_colourFormat = 0;
    m_input = 0;
    if (m_rate <= 0)
        m_rate = d->rate;
    QPointer<CaptureControl> self(this);
    m_session =
        std::make_unique<CaptureSession>(std::move(source), [self](const CaptureSession::Event& e) {
            // From the device's thread to ours. Qt's event queue orders the
            // two, but under a lock a race detector cannot see; this one
            // says the same in a way it can, so a real race of the
            // recording's threads is never lost among false ones.
            std::lock_guard posting(eventHandOver());
            QMetaObject::invokeMethod(
                self.data(),
                [self, e] {
                    {
                        std::lock_guard taking(eventHandOver());
                    }
                    if (self)
                        self->onSessionEvent(int(e.kind), e.code, e.text);
                },
                Qt::QueuedConnection);
        });
    pushSettings();
    m_session->setPreview(m_preview);
    emit statusText(QStringLiteral("Connected to ") + d->name);
    return true;
}

void CaptureControl::disconnectDevice()
{
    if (!m_session)
        return;
    if (m_session->recording())
        stopCapture();
    m_session.reset();
    m_connectedId.clear();
    emit statusText(QStringLiteral("Disconnected"));
}

void CaptureControl::onSessionEvent(int kind, int code, const QString& text)
{
    switch (CaptureSession::Event::Kind(kind)) {
    case CaptureSession::Event::Kind::Status:
        if (m_session && code != CaptureStatus::Started)
            m_lastStats = m_session->statistics();
        emit status(code, text);
        emit statusText(text);
        if (code == CaptureStatus::Failed)
            emit warning(text);
        break;
    case CaptureSession::Event::Kind::Warning:
        emit warning(text);
        break;
    case CaptureSession::Event::Kind::Preview:
        if (m_session) {
            const QImage picture = m_session->takePreview();
            if (!picture.isNull() && m_preview)
                emit previewFrame(picture);
        }
        break;
    }
}

void CaptureControl::setPreview(bool on)
{
    m_preview = on;
    if (m_session)
        m_session->setPreview(on);
}

QSize CaptureControl::currentSize() const
{
    const VideoDevice* d = device(m_current);
    if (!d || d->sizes.isEmpty())
        return QSize(640, 480);
    return d->sizes.value(m_resolution, d->sizes.first());
}

void CaptureControl::pushSettings()
{
    if (!m_session)
        return;
    const VideoDevice* d = device(m_current);
    SourceSettings s;
    s.size = currentSize();
    // Whole rates exactly; others (29.97) to a thousandth.
    if (std::abs(m_rate - std::round(m_rate)) < 1e-9) {
        s.rateNumerator = int(std::lround(std::max(1.0, m_rate)));
        s.rateDenominator = 1;
    } else {
        s.rateNumerator = int(std::lround(m_rate * 1000));
        s.rateDenominator = 1000;
    }
    s.colourFormat = d ? d->colourFormats.value(m_colourFormat) : QString();
    s.input = m_input;
    s.passJpeg = m_compressor >= 0;
    s.audio = m_audio;
    s.audioDevice = m_audioDevice >= 0 ? m_sound.value(m_audioDevice).id : QString();
    m_session->configure(s);
}

int CaptureControl::count(CaptureList list) const
{
    const VideoDevice* d = device(m_current);
    switch (list) {
    case CaptureList::Resolution:
        return connected() && d ? int(d->sizes.size()) : 0;
    case CaptureList::ColorFormat:
        return connected() && d ? int(d->colourFormats.size()) : 0;
    case CaptureList::VideoInput:
        return connected() && d ? int(d->inputs.size()) : 0;
    case CaptureList::Compressor:
        return int(kCompressors.size());
    case CaptureList::AudioCompressor:
        return 0; // sound is recorded as PCM
    case CaptureList::AudioDevice:
        return int(m_sound.size());
    }
    return 0;
}

QString CaptureControl::name(CaptureList list, int n) const
{
    if (n < 0 || n >= count(list))
        return {};
    const VideoDevice* d = device(m_current);
    switch (list) {
    case CaptureList::Resolution:
        return sizeText(d->sizes[n]);
    case CaptureList::ColorFormat:
        return d->colourFormats[n];
    case CaptureList::VideoInput:
        return d->inputs[n];
    case CaptureList::Compressor:
        return kCompressors[n];
    case CaptureList::AudioCompressor:
        return {};
    case CaptureList::AudioDevice:
        return m_sound[n].name;
    }
    return {};
}

int CaptureControl::current(CaptureList list) const
{
    switch (list) {
    case CaptureList::Resolution:
        return m_resolution;
    case CaptureList::ColorFormat:
        return m_colourFormat;
    case CaptureList::VideoInput:
        return m_input;
    case CaptureList::Compressor:
        return m_compressor;
    case CaptureList::AudioCompressor:
        return m_audioCompressor;
    case CaptureList::AudioDevice:
        return m_audioDevice;
    }
    return -1;
}

void CaptureControl::setCurrent(CaptureList list, int n)
{
    const bool none = list == CaptureList::Compressor || list == CaptureList::AudioCompressor ||
                      list == CaptureList::AudioDevice;
    if (n < (none ? -1 : 0) || n >= count(list))
        return;
    switch (list) {
    case CaptureList::Resolution:
        m_resolution = n;
        break;
    case CaptureList::ColorFormat:
        m_colourFormat = n;
        break;
    case CaptureList::VideoInput:
        m_input = n;
        break;
    case CaptureList::Compressor:
        m_compressor = n;
        break;
    case CaptureList::AudioCompressor:
        m_audioCompressor = n;
        break;
    case CaptureList::AudioDevice:
        m_audioDevice = n;
        break;
    }
    pushSettings();
}

void CaptureControl::setFrameRate(double fps)
{
    if (!(fps > 0) || fps > 240)
        return;
    m_rate = fps;
    pushSettings();
}

void CaptureControl::setAudioFormat(const AudioFormat& format)
{
    if ((format.bits != 8 && format.bits != 16) || format.channels < 1 || format.channels > 2 ||
        format.sampleRate < 1000 || format.sampleRate > 192000)
        return;
    m_audio = format;
    pushSettings();
}

bool CaptureControl::capturing() const
{
    return m_session && m_session->recording();
}

CaptureStatistics CaptureControl::statistics() const
{
    return m_session ? m_session->statistics() : m_lastStats;
}

bool CaptureControl::captureFrame()
{
    if (!m_session) {
        emit warning(QStringLiteral("Connect a capture device first"));
        return false;
    }
    if (m_frameFile.isEmpty()) {
        emit warning(QStringLiteral("No file name for the picture"));
        return false;
    }
    QImage picture = m_session->grabPicture(3000);
    if (picture.isNull()) {
        emit warning(QStringLiteral("No picture arrived from the device"));
        return false;
    }
    if (!m_still.caption.isEmpty()) {
        QPainter p(&picture);
        p.setPen(Qt::white);
        p.drawText(QPoint(m_still.captionLeft, m_still.captionTop + p.fontMetrics().ascent()),
                   m_still.caption);
    }
    const bool jpeg = m_frameFile.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive) ||
                      m_frameFile.endsWith(QLatin1String(".jpeg"), Qt::CaseInsensitive);
    const FileResult written =
        writePictureFile(m_frameFile, picture.convertToFormat(QImage::Format_RGB888),
                         jpeg ? "jpg" : "bmp", jpeg && m_still.progressive);
    if (!written) {
        emit warning(QStringLiteral("The picture could not be written to %1: %2")
                         .arg(m_frameFile, written.error));
        return false;
    }
    emit statusText(QStringLiteral("Picture written to ") + m_frameFile);
    return true;
}

bool CaptureControl::startStreamCapture()
{
    QString problem;
    if (!m_session)
        problem = QStringLiteral("Connect a capture device first");
    else if (m_streamFile.isEmpty())
        problem = QStringLiteral("No file name for the recording");
    else if (m_session->recording())
        problem = QStringLiteral("A recording is running already");
    if (problem.isEmpty()) {
        pushSettings();
        RecordingRequest request;
        request.path = m_streamFile;
        request.compress = m_compressor >= 0;
        request.timeLimit = m_timeLimit;
        m_lastStats = {};
        if (m_session->startRecording(request, &problem))
            return true;
    }
    emit warning(problem);
    return false;
}

void CaptureControl::endCaptureAtFrame(std::int64_t frames)
{
    if (m_session)
        m_session->endAtFrame(frames);
}

bool CaptureControl::stopCapture()
{
    if (!m_session)
        return true;
    const bool running = m_session->recording();
    QString problem;
    const bool ok = m_session->stopRecording(&problem);
    m_lastStats = m_session->statistics();
    if (!ok) {
        emit warning(problem);
        return false;
    }
    if (running) {
        // Reported as the device's own end of a recording is: after this call.
        QPointer<CaptureControl> self(this);
        QMetaObject::invokeMethod(
            this,
            [self] {
                if (self) {
                    emit self->status(CaptureStatus::StatisticsReady,
                                      QStringLiteral("Capture complete"));
                    emit self->statusText(QStringLiteral("Capture complete"));
                }
            },
            Qt::QueuedConnection);
    }
    return true;
}

} // namespace korvel
