#include "capture/capturesession.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
}

#include <algorithm>
#include <cmath>

namespace korvel
{

void SourceFrame::reset()
{
    av_packet_free(&jpeg);
    av_frame_free(&raw);
    image = QImage();
    audio.clear();
    timeUs = 0;
}

namespace
{

// What the queue may hold of pictures waiting for the encoder: a couple of
// seconds of a camera, but never more memory than this.
constexpr std::int64_t kQueueBytes = 384LL * 1024 * 1024;

std::size_t queueFrames(QSize size, double rate)
{
    const std::int64_t perFrame =
        std::max<std::int64_t>(1, std::int64_t(size.width()) * size.height() * 4);
    const std::int64_t byMemory = kQueueBytes / perFrame;
    const std::int64_t bySeconds = std::llround(std::max(1.0, rate) * 3);
    return std::size_t(std::clamp<std::int64_t>(std::min(byMemory, bySeconds), 4, 600));
}

} // namespace

CaptureSession::CaptureSession(std::unique_ptr<CaptureSource> source, Post post)
    : m_source(std::move(source)), m_post(std::move(post))
{
    m_writerThread = std::thread([this] { writeLoop(); });
    m_thread = std::thread([this] { run(); });
}

CaptureSession::~CaptureSession()
{
    stopRecording(nullptr);
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    m_thread.join();
    {
        std::lock_guard q(m_queueMutex);
        m_writerQuit = true;
    }
    m_queueWake.notify_all();
    m_writerThread.join();
    if (m_open)
        m_source->close();
}

void CaptureSession::writeLoop()
{
    for (;;) {
        std::unique_lock q(m_queueMutex);
        m_queueWake.wait(q, [&] { return m_writerQuit || !m_queue.empty(); });
        if (m_queue.empty())
            return; // the end, nothing left to write
        WriteJob job = std::move(m_queue.front());
        m_queue.pop_front();
        AviWriter* writer = m_activeWriter;
        m_writerBusy = true;
        q.unlock();

        bool ok = true;
        QString error;
        if (writer) {
            SourceFrame& frame = *job.frame;
            if (frame.jpeg)
                ok = writer->writeJpeg(job.index, frame.jpeg->data, frame.jpeg->size);
            else if (frame.raw)
                ok = writer->writePicture(job.index, frame.raw);
            else
                ok = writer->writeImage(job.index, frame.image);
            if (ok && !frame.audio.isEmpty())
                ok = writer->writeAudio(
                    reinterpret_cast<const std::uint8_t*>(frame.audio.constData()),
                    int(frame.audio.size()));
            if (!ok)
                error = writer->error();
        }
        job.frame.reset();

        q.lock();
        m_writerBusy = false;
        if (!ok) {
            // Nothing after a failed frame can go into the file.
            if (m_writeError.isEmpty())
                m_writeError = error;
            m_queue.clear();
        }
        if (m_queue.empty())
            m_queueIdle.notify_all();
    }
}

void CaptureSession::drainQueue()
{
    std::unique_lock q(m_queueMutex);
    m_queueIdle.wait(q, [&] { return m_queue.empty() && !m_writerBusy; });
}

bool CaptureSession::closeWriter(QString* failure)
{
    drainQueue();
    QString writeError;
    {
        std::lock_guard q(m_queueMutex);
        m_activeWriter = nullptr;
        writeError = std::exchange(m_writeError, QString());
    }
    // Closing writes the index even after a failed frame, so what was
    // recorded up to the failure stays readable.
    const bool closed = m_writer->close();
    m_stats.audioSamples = m_writer->audioSamples();
    if (failure)
        *failure = !writeError.isEmpty() ? writeError : closed ? QString() : m_writer->error();
    m_writer.reset();
    m_recording = false;
    return writeError.isEmpty() && closed;
}

void CaptureSession::configure(const SourceSettings& settings)
{
    {
        std::lock_guard lock(m_mutex);
        if (settings == m_settings)
            return;
        m_settings = settings;
        m_settingsChanged = true;
    }
    m_wake.notify_all();
}

SourceSettings CaptureSession::settings() const
{
    std::lock_guard lock(m_mutex);
    return m_settings;
}

void CaptureSession::setPreview(bool on)
{
    {
        std::lock_guard lock(m_mutex);
        m_preview = on;
        if (on)
            m_broken = false; // try the device again
    }
    m_wake.notify_all();
}

QImage CaptureSession::takePreview()
{
    std::lock_guard lock(m_mutex);
    m_previewWaiting = false;
    return std::exchange(m_previewPicture, QImage());
}

bool CaptureSession::startRecording(const RecordingRequest& request, QString* error)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_recording || m_startPending) {
            if (error)
                *error = QStringLiteral("A recording is running already");
            return false;
        }
        m_request = request;
        m_endAt.store(INT64_MAX);
        m_startPending = true;
        m_broken = false;
    }
    {
        // From the press of Start on, the counts are this recording's: a
        // Contact pressed before its first frame arrives must not hand on
        // the previous jump's frame number.
        std::lock_guard lock(m_writeMutex);
        m_stats = {};
    }
    m_wake.notify_all();
    return true;
}

bool CaptureSession::stopRecording(QString* error)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_startPending) {
            // No frame came since the start: there is no file to complete.
            m_startPending = false;
            if (error)
                *error = QStringLiteral("No picture arrived from the device");
            return false;
        }
    }
    std::lock_guard lock(m_writeMutex);
    if (!m_writer)
        return true;
    QString failure;
    const bool ok = closeWriter(&failure);
    if (!ok && error)
        *error = failure;
    return ok;
}

CaptureStatistics CaptureSession::statistics() const
{
    std::lock_guard lock(const_cast<std::mutex&>(m_writeMutex));
    return m_stats;
}

QImage CaptureSession::grabPicture(int timeoutMs)
{
    std::unique_lock lock(m_mutex);
    m_still = QImage();
    m_stillWanted = true;
    m_broken = false;
    m_wake.notify_all();
    m_wake.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return !m_stillWanted; });
    m_stillWanted = false;
    return std::exchange(m_still, QImage());
}

bool CaptureSession::ensureOpen(std::unique_lock<std::mutex>& lock)
{
    // A running recording keeps the device as it is; new settings wait.
    if (m_open && (!m_settingsChanged || m_recording))
        return true;
    const SourceSettings settings = m_settings;
    m_settingsChanged = false;
    const bool wasOpen = m_open;
    m_open = false;
    lock.unlock();
    if (wasOpen)
        m_source->close();
    const QString problem = m_source->open(settings);
    lock.lock();
    if (problem.isEmpty()) {
        m_open = true;
        m_broken = false;
        return true;
    }
    m_broken = true;
    m_post({Event::Kind::Warning, 0, problem});
    if (m_startPending) {
        m_startPending = false;
        m_post({Event::Kind::Status, CaptureStatus::Failed,
                QStringLiteral("The recording could not start: ") + problem});
    }
    return false;
}

void CaptureSession::run()
{
    SourceFrame frame;
    for (;;) {
        std::unique_lock lock(m_mutex);
        auto wanted = [&] { return m_preview || m_stillWanted || m_startPending || m_recording; };
        if (!wanted() && m_open) {
            // Nobody looks: the camera is let go, so another program (or the
            // next recording's fresh start) can have it.
            m_open = false;
            lock.unlock();
            m_source->close();
            lock.lock();
        }
        m_wake.wait(lock, [&] { return m_quit || (wanted() && (!m_broken || m_settingsChanged)); });
        if (m_quit)
            return;
        if (!ensureOpen(lock))
            continue;
        const bool start = m_startPending;
        const RecordingRequest request = m_request;
        lock.unlock();

        if (start) {
            AviVideoFormat format;
            format.width = m_source->size().width();
            format.height = m_source->size().height();
            format.rateNumerator = m_source->rateNumerator();
            format.rateDenominator = m_source->rateDenominator();
            format.coding = !request.compress          ? AviVideoFormat::Coding::Uncompressed
                            : m_source->deliversJpeg() ? AviVideoFormat::Coding::CopyMjpeg
                                                       : AviVideoFormat::Coding::EncodeMjpeg;
            QString problem;
            auto writer =
                AviWriter::create(request.path, format, m_source->audioFormat(), &problem);
            {
                std::lock_guard guard(m_mutex);
                if (!m_startPending) // stopped before the first frame
                    writer.reset();
                m_startPending = false;
            }
            if (writer) {
                std::lock_guard guard(m_writeMutex);
                m_writer = std::move(writer);
                {
                    std::lock_guard q(m_queueMutex);
                    m_activeWriter = m_writer.get();
                    m_writeError.clear();
                    m_queueLimit =
                        queueFrames(m_source->size(), double(m_source->rateNumerator()) /
                                                          std::max(1, m_source->rateDenominator()));
                }
                m_stats = {};
                m_lastIndex = -1;
                m_firstUs = 0;
                m_recording = true;
                m_source->recordingStarts();
                m_post({Event::Kind::Status, CaptureStatus::Started,
                        QStringLiteral("Recording to ") + request.path});
            } else if (!problem.isEmpty()) {
                m_post({Event::Kind::Status, CaptureStatus::Failed,
                        QStringLiteral("The recording could not start: ") + problem});
            }
        }

        QString problem;
        switch (m_source->read(frame, &problem)) {
        case CaptureSource::Read::Again:
            continue;
        case CaptureSource::Read::Failed:
            m_source->close();
            {
                std::lock_guard guard(m_mutex);
                m_open = false;
                m_broken = true;
            }
            m_post({Event::Kind::Warning, 0, problem});
            finish(CaptureStatus::Failed, QStringLiteral("The recording stopped: ") + problem);
            continue;
        case CaptureSource::Read::Frame:
            break;
        }
        // The preview first: a recorded frame goes on to the writer whole.
        postPreview(frame);
        if (m_recording)
            record(frame);
    }
}

void CaptureSession::record(SourceFrame& frame)
{
    std::unique_lock lock(m_writeMutex);
    if (!m_writer)
        return;
    const double rate = double(m_source->rateNumerator()) / m_source->rateDenominator();
    std::int64_t index = 0;
    if (m_lastIndex < 0) {
        m_firstUs = frame.timeUs;
    } else {
        // The frame's place in time. Jitter of under half a frame rounds
        // away; a frame that comes early still follows the one before.
        index = std::llround(double(frame.timeUs - m_firstUs) * rate / 1e6);
        if (index <= m_lastIndex)
            index = m_lastIndex + 1;
    }
    const std::int64_t limit = std::min<std::int64_t>(
        m_request.timeLimit > 0 ? std::llround(m_request.timeLimit * rate) : INT64_MAX,
        m_endAt.load());
    if (index >= limit) {
        lock.unlock();
        finish(CaptureStatus::StatisticsReady, QStringLiteral("Capture complete"));
        return;
    }
    QString failed;
    bool queued = false;
    {
        std::lock_guard q(m_queueMutex);
        if (!m_writeError.isEmpty()) {
            failed = m_writeError;
        } else if (m_queue.size() < m_queueLimit) {
            // The frame's contents move on to the writer; the loop reads the
            // next one into an empty frame.
            auto job = std::make_unique<SourceFrame>();
            job->timeUs = frame.timeUs;
            job->image = std::move(frame.image);
            std::swap(job->jpeg, frame.jpeg);
            std::swap(job->raw, frame.raw);
            job->audio = std::move(frame.audio);
            m_queue.push_back({index, std::move(job)});
            queued = true;
        }
        // A full queue: the frame is left out, and the next one queued
        // counts it dropped and fills its place with the frame before.
    }
    if (queued) {
        m_queueWake.notify_one();
        m_stats.framesDropped += index - m_lastIndex - 1;
        m_lastIndex = index;
        m_stats.framesCaptured = index + 1;
        m_stats.timeMs = (frame.timeUs - m_firstUs) / 1000;
    }
    const bool full = queued && index + 1 >= limit;
    lock.unlock();
    if (!failed.isEmpty())
        finish(CaptureStatus::Failed, QStringLiteral("The recording stopped: ") + failed);
    else if (full)
        finish(CaptureStatus::StatisticsReady, QStringLiteral("Capture complete"));
}

void CaptureSession::finish(int code, const QString& text)
{
    QString message = text;
    {
        std::lock_guard lock(m_writeMutex);
        if (!m_writer)
            return;
        QString failure;
        if (!closeWriter(&failure) && code == CaptureStatus::StatisticsReady) {
            code = CaptureStatus::Failed;
            message = QStringLiteral("The recording stopped: ") + failure;
        }
    }
    m_post({Event::Kind::Status, code, message});
}

void CaptureSession::postPreview(SourceFrame& frame)
{
    std::unique_lock lock(m_mutex);
    const auto now = std::chrono::steady_clock::now();
    const bool preview =
        m_preview && !m_previewWaiting && now - m_lastPreview >= std::chrono::milliseconds(30);
    const bool still = m_stillWanted;
    if (!preview && !still)
        return;
    lock.unlock();
    const QImage picture = m_source->picture(frame);
    lock.lock();
    if (still) {
        m_still = picture;
        m_stillWanted = false;
        m_wake.notify_all();
    }
    if (preview) {
        m_previewPicture = picture;
        m_previewWaiting = true;
        m_lastPreview = now;
        lock.unlock();
        m_post({Event::Kind::Preview, 0, {}});
    }
}

} // namespace korvel
