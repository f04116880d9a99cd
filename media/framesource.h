#pragma once
// Frames of a recorded jump by number. Frame N is the N-th picture of the
// video's first video stream, counted from 0; for an AVI file that is the
// chunk index, so a chunk the capture left empty for a dropped frame shows the
// picture before it. The player, its slider, the export and the info file all
// mean the same picture by the same number.

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace korvel
{

// A decoded frame as 24-bit blue-green-red pixels, top row first, each row
// padded to a multiple of 4 bytes (the row layout of a 24-bit bitmap).
struct Picture {
    int width = 0;
    int height = 0;
    int stride = 0; // bytes per row
    std::vector<std::uint8_t> bytes;

    const std::uint8_t* row(int y) const { return bytes.data() + std::size_t(y) * stride; }
    static int strideFor(int width) { return (width * 3 + 3) & ~3; }
};
using PicturePtr = std::shared_ptr<const Picture>;

struct VideoProperties {
    int width = 0;
    int height = 0;
    std::int64_t frameCount = 0;
    int rateNumerator = 0; // frames per second as a fraction, 0/1 when unknown
    int rateDenominator = 1;
    QString codec; // decoder name, for the operator and the tools
    QString container;
};

// What became of a request for a frame.
enum class FrameStatus {
    Shown,      // picture holds the frame
    Damaged,    // the frame's own data in the file is damaged: no picture, the
                // frames around it still decode; the player marks it and steps on
    NotInVideo, // the number is outside 0..frameCount-1
    Failed,     // the file could not be read or positioned, or the picture converted
};

struct FrameResult {
    PicturePtr picture; // only with Shown
    QString error;      // why there is no picture, in words for the operator
    FrameStatus status = FrameStatus::Shown;

    explicit operator bool() const { return picture != nullptr; }
    bool damaged() const { return status == FrameStatus::Damaged; }

    static FrameResult shown(PicturePtr picture) { return {std::move(picture), {}}; }
    static FrameResult failure(FrameStatus status, const QString& error)
    {
        return {nullptr, error, status};
    }
};

class FrameSource
{
public:
    virtual ~FrameSource() = default;
    virtual const VideoProperties& properties() const = 0;
    // Frame n, or an error for a number outside 0..frameCount-1 or a frame
    // that cannot be decoded. A frame whose data is damaged is answered as
    // Damaged, never with a picture that is partly or wholly another frame's,
    // whatever was decoded before it. Never throws.
    virtual FrameResult frame(std::int64_t n) = 0;
    // Decodes a little ahead of the operator while the screen has nothing
    // else to do: one picture or one packet per call, a few milliseconds at
    // 720p, so a key press never waits behind it. False when there is
    // nothing left worth decoding (the whole file is cached, or the cache is
    // full of frames nearer the position than any still missing).
    virtual bool prefetchStep() { return false; }
    // Whether every frame is a picture of its own, decoded without the
    // frames before it (MJPEG, uncompressed): then two decoders of the same
    // file may share the frames between them.
    virtual bool independentFrames() const { return false; }
    // Whether frame n is decoded and kept, so asking for it costs no decoding.
    virtual bool isDecoded(std::int64_t) const { return false; }
    // One picture (or packet) of decoding on the way to frame n from its key
    // frame, keeping what comes out as decoding ahead does, without making n
    // the position the cache keeps frames nearest to. False when frame n is
    // decoded, damaged, or cannot be had: then there is nothing more to do.
    virtual bool decodeToward(std::int64_t) { return false; }
};

// Why a video could not be opened.
enum class OpenFailure {
    None,
    CannotOpen, // missing, unreadable, not a video, cut short before its first frame
    NoVideoStream,
    NoDecoder, // a video stream we have no decoder for
    TooLarge,  // dimensions beyond what we are prepared to allocate
};

struct OpenResult {
    std::unique_ptr<FrameSource> source;
    OpenFailure failure = OpenFailure::None;
    QString reason; // detail for logs and the tools
};

// What a file from elsewhere may make us allocate. A 4K camera fits well
// inside; a forged header claiming 60000 x 60000 pixels does not.
struct FrameSourceLimits {
    int maxDimension = 8192;
    std::int64_t maxPixels = 8192LL * 4352;
    // Decoded frames kept for stepping both ways. At 1080p a decoded frame
    // takes about 3 MB (4:2:0) to 6 MB (4:4:4 or 24-bit), so 400 MB holds
    // between 65 and 130 frames: at least one key-frame interval of 60 frames.
    std::int64_t cacheBytes = 400LL * 1024 * 1024;
    // Of the pictures decoded on the way to a frame deep in a key-frame
    // interval, those just before it are kept (at least four frames); the
    // rest of the interval is decoded again when the screen is idle.
    std::int64_t keptOnTheWayBytes = 32LL * 1024 * 1024;
};

OpenResult openVideo(const QString& path, const FrameSourceLimits& limits = {});

} // namespace korvel
