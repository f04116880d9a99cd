#pragma once
// The capture control: the one object every screen asks for video. It lists
// the capture devices (cameras, and the built-in test camera), connects one,
// shows its live picture, keeps the recording options (size, colour format,
// input, compressor, frame rate, time limit, sound) and records a stream to
// an AVI file or one still to a picture file.
//
// A recording runs on the device's own thread: startStreamCapture() returns
// at once, stopCapture() returns once the file is complete. Everything the
// control reports arrives as signals on the thread that owns it (the
// screens' thread): status code and text (510: the recording ended and its
// statistics are final; 520: it could not start or died, the text says why),
// warnings, new preview pictures, and devices plugged in or pulled out.

#include "capture/capturedevices.h"
#include "capture/capturetypes.h"

#include <QImage>
#include <QObject>
#include <QStringList>

#include <memory>

class QFileSystemWatcher;

namespace korvel
{

class CaptureSession;

class CaptureControl : public QObject
{
    Q_OBJECT
public:
    // When the test camera is listed: only when no camera exists, or always
    // beside the cameras (the settings ask for it).
    enum class TestCameraListing { WhenNoCamera, Always };

    explicit CaptureControl(std::unique_ptr<DeviceDirectory> devices = systemDevices(),
                            TestCameraListing listing = TestCameraListing::WhenNoCamera,
                            QObject* parent = nullptr);
    ~CaptureControl() override;

    // Devices.
    int videoDeviceCount() const { return int(m_devices.size()); }
    QString videoDeviceName(int n) const;
    int videoDeviceCurrent() const { return m_current; }
    const VideoDevice* device(int n) const;
    // Connects device n (disconnecting another first); false, with a
    // warning, when it cannot be used.
    bool connectDevice(int n);
    void disconnectDevice();
    bool connected() const { return m_session != nullptr; }
    // Looks for devices again and reports arrivals and removals; called by
    // the watch on /dev, and by tests.
    void refreshDevices();
    void setTestCameraListing(TestCameraListing listing);

    // Live picture.
    bool preview() const { return m_preview; }
    void setPreview(bool on);

    // The option lists (names without the panels' "None").
    int count(CaptureList list) const;
    QString name(CaptureList list, int n) const;
    int current(CaptureList list) const;
    void setCurrent(CaptureList list, int n);

    bool channelsSupported() const { return false; } // no tuner: cameras have none
    int channel() const { return 0; }
    int channelMin() const { return 0; }
    int channelMax() const { return 0; }
    void setChannel(int) {}

    // Effects of a category ("Video Effect 1"): none.
    int effectCount(const QString&) const { return 0; }
    QString effectName(const QString&, int) const { return {}; }

    bool dialogAvailable(CaptureDialog) const { return false; }
    bool showDialog(CaptureDialog) { return false; }

    double frameRate() const { return m_rate; }
    void setFrameRate(double fps);
    double timeLimit() const { return m_timeLimit; } // seconds, 0: none
    void setTimeLimit(double seconds) { m_timeLimit = seconds; }
    AudioFormat audioFormat() const { return m_audio; }
    void setAudioFormat(const AudioFormat& format);
    bool listen() const { return m_listen; }
    void setListen(bool on) { m_listen = on; }
    StillOptions& stillOptions() { return m_still; }
    const StillOptions& stillOptions() const { return m_still; }

    QString frameFileName() const { return m_frameFile; }
    void setFrameFileName(const QString& path) { m_frameFile = path; }
    QString streamFileName() const { return m_streamFile; }
    void setStreamFileName(const QString& path) { m_streamFile = path; }

    // One still picture to the frame file (BMP, or JPEG for .jpg). False,
    // with a warning, when nothing could be written.
    bool captureFrame();
    // Starts recording to the stream file and returns at once. False, with a
    // warning, when not connected, a recording runs, or there is no file name;
    // a start that fails on the device's thread comes as status 520.
    bool startStreamCapture();
    // Ends the recording; the file is complete when this returns. False when
    // it could not be completed (the warning says why).
    bool stopCapture();
    // Lets the recording end by itself once it holds `frames` frames (the
    // status then says "Capture complete"), instead of cutting it now.
    void endCaptureAtFrame(std::int64_t frames);
    bool capturing() const;

    // Live while recording, final afterwards.
    CaptureStatistics statistics() const;
    std::int64_t framesCaptured() const { return statistics().framesCaptured; }
    std::int64_t framesDropped() const { return statistics().framesDropped; }
    std::int64_t audioSamples() const { return statistics().audioSamples; }
    std::int64_t captureTimeMs() const { return statistics().timeMs; }

    // The picture size recordings are made at: the chosen resolution, else
    // the camera's own.
    QSize currentSize() const;

signals:
    void status(int code, const QString& text);
    void statusText(const QString& text);
    void warning(const QString& text);
    void deviceChanged(korvel::DeviceEvent kind, const QString& category, const QString& name);
    void previewFrame(const QImage& picture);

private:
    void listDevices();
    void pushSettings();
    void onSessionEvent(int kind, int code, const QString& text);

    std::unique_ptr<DeviceDirectory> m_directory;
    TestCameraListing m_listing;
    QList<VideoDevice> m_devices;
    QList<SoundDevice> m_sound;
    int m_current = -1;
    QString m_connectedId;
    std::unique_ptr<CaptureSession> m_session;
    CaptureStatistics m_lastStats;
    QFileSystemWatcher* m_watcher = nullptr;

    bool m_preview = false;
    int m_resolution = 0, m_colourFormat = 0, m_input = 0;
    int m_compressor = 0; // MJPEG
    int m_audioCompressor = -1;
    int m_audioDevice = -1;
    double m_rate = 30;
    double m_timeLimit = 0;
    AudioFormat m_audio;
    bool m_listen = false;
    StillOptions m_still;
    QString m_frameFile, m_streamFile;
};

} // namespace korvel
