#pragma once
// A camera read through libavdevice: a V4L2 device ("/dev/video0"), or a
// libavfilter graph standing in for one ("lavfi:GRAPH"), which goes through
// the same demuxing, timestamps and recording. JPEG data from the camera is
// handed on as it is, to be copied into the file without re-encoding; other
// pictures are decoded for the file's encoder. With an ALSA sound device the
// sound is read on a thread of its own and handed on with the frames.

#include "capture/capturesource.h"
#include "media/conversion.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

struct AVFormatContext;
struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;

namespace korvel
{

class LibavCamera : public CaptureSource
{
public:
    explicit LibavCamera(const QString& id);
    ~LibavCamera() override;

    QString open(const SourceSettings& settings) override;
    void close() override;
    Read read(SourceFrame& frame, QString* error) override;
    QSize size() const override { return m_size; }
    int rateNumerator() const override { return m_rateNum; }
    int rateDenominator() const override { return m_rateDen; }
    QImage picture(const SourceFrame& frame) override;
    bool deliversJpeg() const override { return m_passJpeg; }
    std::optional<AudioFormat> audioFormat() const override { return m_audioFormat; }

private:
    bool decode(const AVPacket* packet, AVFrame* into, QString* error);
    QImage toImage(const AVFrame* frame);
    QString openSound(const SourceSettings& settings);
    void readSound();

    QString m_id;
    AVFormatContext* m_input = nullptr;
    AVCodecContext* m_decoder = nullptr;
    AVPacket* m_packet = nullptr;
    AVFrame* m_decoded = nullptr;
    SwsContext* m_sws = nullptr;
    ConversionBuffer m_conversion;
    int m_stream = -1;
    QSize m_size;
    int m_rateNum = 30, m_rateDen = 1;
    bool m_passJpeg = false;
    bool m_isJpeg = false;
    std::atomic<bool> m_closing{false};

    // Sound: its own input and thread; samples wait in m_sound until the
    // next frame takes them.
    AVFormatContext* m_soundInput = nullptr;
    std::optional<AudioFormat> m_audioFormat;
    std::thread m_soundThread;
    std::mutex m_soundMutex;
    QByteArray m_sound;
    QString m_soundProblem;
};

} // namespace korvel
