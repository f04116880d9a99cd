#pragma once
// The recording loop of one connected device, on a thread of its own so the
// screens never wait for a camera. While preview or a recording wants
// pictures it keeps the device open and reads frame after frame; during a
// recording each frame goes to the AVI file under the frame number its
// timestamp gives, counted from the recording's first frame, so a gap in the
// device's timestamps becomes dropped frames written as empty chunks.
//
// Reading the device and writing the file are apart: the loop hands each
// frame to a queue sized in frames, and a writer thread of its own encodes
// and writes it, so a slow encode or a busy disk does not make the loop miss
// the camera's next frame. A frame that finds the queue full is dropped and
// counted, and written as the frame before, as a frame the camera skipped.
//
// Events (status, warnings, a new preview picture) are handed to a callback
// from the loop's thread; the control moves them to the screens' thread.

#include "capture/aviwriter.h"
#include "capture/capturesource.h"
#include "capture/capturetypes.h"

#include <QImage>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace korvel
{

struct RecordingRequest {
    QString path;
    bool compress = true; // MJPEG (copied from a camera that sends it), else uncompressed
    double timeLimit = 0; // seconds; 0: until stopped
};

class CaptureSession
{
public:
    struct Event {
        enum class Kind { Status, Warning, Preview } kind;
        int code = 0;
        QString text;
    };
    using Post = std::function<void(const Event&)>;

    CaptureSession(std::unique_ptr<CaptureSource> source, Post post);
    ~CaptureSession();
    CaptureSession(const CaptureSession&) = delete;
    CaptureSession& operator=(const CaptureSession&) = delete;

    // Takes effect at the next frame; a change reopens the device.
    void configure(const SourceSettings& settings);
    SourceSettings settings() const;

    void setPreview(bool on);
    // The newest preview picture; the loop makes the next one after this is taken.
    QImage takePreview();

    // Returns at once: the file is created at the next frame. False (with the
    // reason) only when a recording runs already.
    bool startRecording(const RecordingRequest& request, QString* error);
    // Completes the file; true when it was written whole. Does nothing when
    // no recording runs.
    bool stopRecording(QString* error);
    bool recording() const { return m_recording.load(); }
    // Ends the recording running, or about to start, once it holds `frames`
    // frames: the frames filmed within the operator's time reach the file
    // even when the camera delivers them late.
    void endAtFrame(std::int64_t frames) { m_endAt.store(frames); }
    CaptureStatistics statistics() const;

    // The next picture from the device, waiting up to timeoutMs; null on timeout.
    QImage grabPicture(int timeoutMs);

private:
    void run();
    bool ensureOpen(std::unique_lock<std::mutex>& lock);
    void record(SourceFrame& frame);
    void finish(int code, const QString& text);
    void postPreview(SourceFrame& frame);
    // The writer thread: frames from the queue into the file, in order.
    void writeLoop();
    // Waits until every queued frame is in the file (or the writer failed).
    void drainQueue();
    // Completes and lets go of the file; with m_writeMutex held, after
    // drainQueue. The first write failure, if any, in *failure.
    bool closeWriter(QString* failure);

    std::unique_ptr<CaptureSource> m_source;
    Post m_post;

    mutable std::mutex m_mutex; // everything below
    std::condition_variable m_wake;
    SourceSettings m_settings;
    bool m_settingsChanged = true;
    bool m_quit = false;
    bool m_preview = false;
    bool m_open = false;
    bool m_broken = false; // opening failed: wait for other settings
    bool m_stillWanted = false;
    QImage m_still;
    QImage m_previewPicture;
    bool m_previewWaiting = false;
    std::chrono::steady_clock::time_point m_lastPreview;

    std::mutex m_writeMutex; // the writer and the statistics
    bool m_startPending = false;
    RecordingRequest m_request;
    std::unique_ptr<AviWriter> m_writer;
    std::int64_t m_firstUs = 0;
    std::int64_t m_lastIndex = -1;
    CaptureStatistics m_stats;
    std::atomic<bool> m_recording{false};
    std::atomic<std::int64_t> m_endAt{INT64_MAX};

    std::mutex m_queueMutex;             // the queue and the writer thread's state
    std::condition_variable m_queueWake; // a frame queued, or the end
    std::condition_variable m_queueIdle; // the queue emptied
    struct WriteJob {
        std::int64_t index = 0;
        std::unique_ptr<SourceFrame> frame;
    };
    std::deque<WriteJob> m_queue;
    std::size_t m_queueLimit = 8;        // frames
    AviWriter* m_activeWriter = nullptr; // the file the queue goes to
    bool m_writerBusy = false;
    bool m_writerQuit = false;
    QString m_writeError; // the first write that failed

    std::thread m_thread;
    std::thread m_writerThread;
};

} // namespace korvel
