#pragma once
// Writes one recording as an AVI file: a video stream with one chunk per frame
// number and, when asked, a PCM sound track. A frame number that gets no
// picture (the camera dropped it) becomes an empty chunk, so frame N of the
// file always stands N / rate seconds after the start and the review screen
// shows the previous picture there. Pictures arrive either as JPEG data from
// the camera, copied as they are, or as decoded pictures that are encoded to
// MJPEG or written uncompressed.

#include "capture/capturetypes.h"
#include "media/conversion.h"

#include <QString>

class QImage;

#include <cstdint>
#include <memory>
#include <optional>

struct AVFormatContext;
struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct AVStream;
struct SwsContext;

namespace korvel
{

struct AviVideoFormat {
    int width = 640;
    int height = 480;
    int rateNumerator = 30; // frames per second as a fraction
    int rateDenominator = 1;
    enum class Coding { CopyMjpeg, EncodeMjpeg, Uncompressed } coding = Coding::EncodeMjpeg;
    int quality = 3; // MJPEG quantiser, 2 (best) .. 31
};

class AviWriter
{
public:
    ~AviWriter();
    AviWriter(const AviWriter&) = delete;
    AviWriter& operator=(const AviWriter&) = delete;

    // Creates the file; nothing and the reason in *error when it cannot. Over
    // an existing file the recording goes to a new file beside it, which
    // replaces the old one only when the recording is complete: a recording
    // that fails or is cut short leaves the earlier one as it was.
    static std::unique_ptr<AviWriter> create(const QString& path, const AviVideoFormat& video,
                                             const std::optional<AudioFormat>& audio,
                                             QString* error);

    // Frame `index` (from 0, increasing) as the camera's JPEG data.
    bool writeJpeg(std::int64_t index, const std::uint8_t* data, int size);
    // Frame `index` as a picture of any pixel format FFmpeg knows.
    bool writePicture(std::int64_t index, const AVFrame* picture);
    // Frame `index` as a 32-bit picture (QImage::Format_RGB32, as drawn).
    bool writeImage(std::int64_t index, const QImage& picture);
    // Interleaved PCM in the audio format (8 bit unsigned or 16 bit signed).
    bool writeAudio(const std::uint8_t* pcm, int bytes);

    // Completes the file (index and headers); safe to call twice. After a
    // failed write it still closes what was written, so the frames already
    // in the file stay readable (beside an earlier recording of the name, as
    // NAME-incomplete.avi). A recording without a single frame is a failure
    // and leaves no file.
    bool close();

    // Frame numbers written so far, empty chunks included.
    std::int64_t frames() const { return m_lastIndex + 1; }
    std::int64_t audioSamples() const { return m_samples; }
    // Why the last write or close failed, for the operator.
    const QString& error() const { return m_error; }

private:
    AviWriter() = default;
    bool fail(const QString& what, int code);
    bool writeVideoPacket(std::int64_t index, AVPacket* packet);
    bool encode(std::int64_t index, const AVFrame* picture);

    void putInPlace();

    QString m_path;
    QString m_stage; // the new file beside an earlier recording, or empty
    AviVideoFormat m_format;
    std::optional<AudioFormat> m_audio;
    AVFormatContext* m_out = nullptr;
    AVStream* m_video = nullptr;
    AVStream* m_sound = nullptr;
    AVCodecContext* m_encoder = nullptr;
    AVFrame* m_converted = nullptr;
    AVPacket* m_packet = nullptr;
    SwsContext* m_sws = nullptr;
    ConversionBuffer m_conversion;
    int m_swsWidth = 0, m_swsHeight = 0, m_swsFormat = -1;
    std::int64_t m_lastIndex = -1;
    std::int64_t m_samples = 0;
    bool m_headerWritten = false;
    bool m_closed = false;
    QString m_error;
};

// A scaler between two pixel formats, reusing `context` when it fits. The
// full-range JPEG formats of cameras and MJPEG files are converted as their
// plain counterparts with full range set, as the scaler wants them.
SwsContext* cachedScaler(SwsContext* context, int srcWidth, int srcHeight, int srcFormat,
                         int dstWidth, int dstHeight, int dstFormat);

// FFmpeg's text for an error code, for messages.
QString avErrorText(int code);

} // namespace korvel
