#pragma once
// A device as the recording loop sees it: it opens at a picture size and
// rate, then hands out frames stamped with the device's own clock, each with
// the sound that arrived since the previous one. The test camera renders its
// frames; a camera reads them through libavdevice.

#include "capture/capturetypes.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <cstdint>
#include <optional>

struct AVFrame;
struct AVPacket;

namespace korvel
{

struct SourceSettings {
    QSize size{640, 480};
    int rateNumerator = 30;
    int rateDenominator = 1;
    QString colourFormat; // one of the device's colour formats; empty: its first
    int input = 0;
    bool passJpeg = true; // hand JPEG data on as it is (else decoded pictures)
    std::optional<AudioFormat> audio;
    QString audioDevice; // the device's own name for it (ALSA "hw:1,0"); empty: none
    bool operator==(const SourceSettings&) const = default;
};

// One frame; owns what it holds.
struct SourceFrame {
    std::int64_t timeUs = 0; // the device's timestamp
    QImage image;            // a rendered picture (RGB32)
    AVPacket* jpeg = nullptr;
    AVFrame* raw = nullptr;
    QByteArray audio; // PCM in the settings' audio format

    SourceFrame() = default;
    SourceFrame(const SourceFrame&) = delete;
    SourceFrame& operator=(const SourceFrame&) = delete;
    ~SourceFrame() { reset(); }
    void reset();
};

class CaptureSource
{
public:
    virtual ~CaptureSource() = default;

    // Empty when open, else why not.
    virtual QString open(const SourceSettings& settings) = 0;
    virtual void close() = 0;

    enum class Read { Frame, Again, Failed };
    // The next frame; Again when none is ready yet (the caller comes back in
    // a moment); Failed with the reason when the device is gone or broken.
    virtual Read read(SourceFrame& frame, QString* error) = 0;

    // The frame rate and size it really delivers once open.
    virtual QSize size() const = 0;
    virtual int rateNumerator() const = 0;
    virtual int rateDenominator() const = 0;

    // The picture of a frame for the preview and stills (RGB32).
    virtual QImage picture(const SourceFrame& frame) = 0;

    // The sound that comes with the frames, if any, once open.
    virtual std::optional<AudioFormat> audioFormat() const { return std::nullopt; }

    // Whether frames come as JPEG data (settings.passJpeg and a camera sending it).
    virtual bool deliversJpeg() const { return false; }

    // Called just before the first frame of a recording is read.
    virtual void recordingStarts() {}
};

} // namespace korvel
