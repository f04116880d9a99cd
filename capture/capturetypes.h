#pragma once
// What the capture control and its devices speak: the lists an operator picks
// from, the audio format, the statistics of a recording and the status codes
// its events carry.

#include <QSize>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace korvel
{

// The lists the device panels fill from the control, one enum, one name table.
enum class CaptureList {
    Resolution,
    ColorFormat,
    VideoInput,
    Compressor,      // current -1: frames written uncompressed ("None")
    AudioCompressor, // current -1: PCM as it comes
    AudioDevice,     // current -1: no sound track
};

// The control's own dialogs, asked for by the "Configure..." buttons.
enum class CaptureDialog { Device, VideoCompression, AudioFormat };

struct AudioFormat {
    int sampleRate = 11025; // Hz
    int bits = 8;           // 8 or 16
    int channels = 1;       // 1 mono, 2 stereo
    bool operator==(const AudioFormat&) const = default;
};

// Live while a recording runs, final once it stopped.
struct CaptureStatistics {
    std::int64_t framesCaptured = 0; // frame numbers written, dropped ones included
    std::int64_t framesDropped = 0;  // of those, empty chunks: no picture arrived in time
    std::int64_t audioSamples = 0;   // per channel
    std::int64_t timeMs = 0;         // since the first frame
};

// Codes of the status event.
namespace CaptureStatus
{
inline constexpr int Started = 500;
inline constexpr int StatisticsReady = 510; // the recording ended and its file is complete
inline constexpr int Failed = 520;          // the recording could not start or died; text says why
} // namespace CaptureStatus

// Categories of the device arrival and removal events.
inline const QString kVideoCaptureSources = QStringLiteral("Video Capture Sources");
inline const QString kAudioCaptureSources = QStringLiteral("Audio Capture Sources");

enum class DeviceEvent { Arrival = 0, Removal = 1 };

// Still-picture and overlay-caption options the panels keep in the control.
struct StillOptions {
    bool progressive = false;
    bool autoSave = false;
    bool autoIncrement = false;
    int chroma = 0;
    int luma = 0;
    int interval = 0;
    QString password;
    int captionLeft = 0;
    int captionTop = 0;
    QString caption;
};

// "640x480" <-> QSize.
QString sizeText(QSize size);
QSize parseSize(const QString& text);

} // namespace korvel
