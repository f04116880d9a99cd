#include "capture/libavcamera.h"

#include "capture/aviwriter.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavdevice/avdevice.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <thread>

namespace korvel
{

namespace
{

void registerDevices()
{
    static std::once_flag once;
    std::call_once(once, [] { avdevice_register_all(); });
}

int interrupted(void* closing)
{
    return static_cast<std::atomic<bool>*>(closing)->load() ? 1 : 0;
}

// The V4L2 name of a colour format as libavdevice takes it.
QByteArray inputFormat(const QString& colourFormat)
{
    const QString f = colourFormat.toUpper();
    if (f == QLatin1String("MJPG") || f == QLatin1String("MJPEG") || f == QLatin1String("JPEG"))
        return "mjpeg";
    if (f == QLatin1String("YUYV"))
        return "yuyv422";
    if (f == QLatin1String("UYVY"))
        return "uyvy422";
    if (f == QLatin1String("NV12"))
        return "nv12";
    if (f == QLatin1String("YU12"))
        return "yuv420p";
    if (f == QLatin1String("RGB3"))
        return "rgb24";
    if (f == QLatin1String("BGR3"))
        return "bgr24";
    return {};
}

} // namespace

LibavCamera::LibavCamera(const QString& id) : m_id(id)
{
    registerDevices();
}

LibavCamera::~LibavCamera()
{
    close();
}

QString LibavCamera::open(const SourceSettings& settings)
{
    close();
    m_closing = false;
    const bool lavfi = m_id.startsWith(QLatin1String("lavfi:"));
    const AVInputFormat* format = av_find_input_format(lavfi ? "lavfi" : "v4l2");
    if (!format)
        return QStringLiteral("This FFmpeg has no %1 input").arg(lavfi ? "lavfi" : "v4l2");
    const QByteArray url = (lavfi ? m_id.mid(6) : m_id).toLocal8Bit();

    AVDictionary* options = nullptr;
    if (!lavfi) {
        av_dict_set(&options, "video_size",
                    QStringLiteral("%1x%2")
                        .arg(settings.size.width())
                        .arg(settings.size.height())
                        .toLatin1()
                        .constData(),
                    0);
        av_dict_set(&options, "framerate",
                    QStringLiteral("%1/%2")
                        .arg(settings.rateNumerator)
                        .arg(settings.rateDenominator)
                        .toLatin1()
                        .constData(),
                    0);
        const QByteArray pixels = inputFormat(settings.colourFormat);
        if (!pixels.isEmpty())
            av_dict_set(&options, "input_format", pixels.constData(), 0);
        av_dict_set_int(&options, "channel", settings.input, 0);
    }
    m_input = avformat_alloc_context();
    m_input->interrupt_callback = {interrupted, &m_closing};
    if (!lavfi)
        m_input->flags |= AVFMT_FLAG_NONBLOCK; // a stop never waits for the camera
    int rc = avformat_open_input(&m_input, url.constData(), format, &options);
    av_dict_free(&options);
    if (rc < 0) {
        m_input = nullptr;
        return QStringLiteral("Cannot open %1: %2").arg(m_id, avErrorText(rc));
    }
    m_stream = av_find_best_stream(m_input, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (m_stream < 0) {
        close();
        return QStringLiteral("%1 sends no pictures").arg(m_id);
    }
    const AVStream* st = m_input->streams[m_stream];
    m_size = QSize(st->codecpar->width, st->codecpar->height);
    AVRational rate = st->avg_frame_rate.num > 0 ? st->avg_frame_rate : st->r_frame_rate;
    if (rate.num <= 0 || rate.den <= 0)
        rate = AVRational{settings.rateNumerator, settings.rateDenominator};
    av_reduce(&m_rateNum, &m_rateDen, rate.num, rate.den, 1 << 30);
    m_isJpeg = st->codecpar->codec_id == AV_CODEC_ID_MJPEG;
    m_passJpeg = m_isJpeg && settings.passJpeg;

    const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
    if (!codec) {
        close();
        return QStringLiteral("No decoder for the pictures of %1").arg(m_id);
    }
    m_decoder = avcodec_alloc_context3(codec);
    avcodec_parameters_to_context(m_decoder, st->codecpar);
    m_decoder->thread_count = 1;
    rc = avcodec_open2(m_decoder, codec, nullptr);
    if (rc < 0) {
        close();
        return QStringLiteral("Cannot decode the pictures of %1: %2").arg(m_id, avErrorText(rc));
    }
    m_packet = av_packet_alloc();
    m_decoded = av_frame_alloc();

    if (!settings.audioDevice.isEmpty() && settings.audio) {
        const QString problem = openSound(settings);
        if (!problem.isEmpty()) {
            close();
            return problem;
        }
    }
    return {};
}

QString LibavCamera::openSound(const SourceSettings& settings)
{
    const AVInputFormat* alsa = av_find_input_format("alsa");
    if (!alsa)
        return QStringLiteral("This FFmpeg has no ALSA input");
    AVDictionary* options = nullptr;
    av_dict_set_int(&options, "sample_rate", settings.audio->sampleRate, 0);
    av_dict_set_int(&options, "channels", settings.audio->channels, 0);
    m_soundInput = avformat_alloc_context();
    m_soundInput->interrupt_callback = {interrupted, &m_closing};
    const QByteArray url = settings.audioDevice.toLocal8Bit();
    const int rc = avformat_open_input(&m_soundInput, url.constData(), alsa, &options);
    av_dict_free(&options);
    if (rc < 0) {
        m_soundInput = nullptr;
        return QStringLiteral("Cannot open the sound device %1: %2")
            .arg(settings.audioDevice, avErrorText(rc));
    }
    m_audioFormat = settings.audio;
    m_soundThread = std::thread([this] { readSound(); });
    return {};
}

void LibavCamera::readSound()
{
    // ALSA hands 16-bit samples; an 8-bit track takes their high bytes.
    AVPacket* packet = av_packet_alloc();
    const bool eightBit = m_audioFormat->bits == 8;
    while (!m_closing) {
        const int rc = av_read_frame(m_soundInput, packet);
        if (rc < 0) {
            std::lock_guard lock(m_soundMutex);
            m_soundProblem = QStringLiteral("The sound device stopped: ") + avErrorText(rc);
            break;
        }
        std::lock_guard lock(m_soundMutex);
        if (eightBit) {
            const auto* s = reinterpret_cast<const std::int16_t*>(packet->data);
            for (int i = 0; i < packet->size / 2; ++i)
                m_sound.append(char(std::uint8_t((s[i] >> 8) + 128)));
        } else {
            m_sound.append(reinterpret_cast<const char*>(packet->data), packet->size);
        }
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
}

void LibavCamera::close()
{
    m_closing = true;
    if (m_soundThread.joinable())
        m_soundThread.join();
    avformat_close_input(&m_soundInput);
    m_audioFormat.reset();
    m_sound.clear();
    m_soundProblem.clear();
    sws_freeContext(m_sws);
    m_sws = nullptr;
    av_frame_free(&m_decoded);
    av_packet_free(&m_packet);
    avcodec_free_context(&m_decoder);
    avformat_close_input(&m_input);
    m_stream = -1;
}

bool LibavCamera::decode(const AVPacket* packet, AVFrame* into, QString* error)
{
    int rc = avcodec_send_packet(m_decoder, packet);
    if (rc >= 0)
        rc = avcodec_receive_frame(m_decoder, into);
    if (rc < 0 && error)
        *error = avErrorText(rc);
    return rc >= 0;
}

CaptureSource::Read LibavCamera::read(SourceFrame& frame, QString* error)
{
    if (!m_input) {
        if (error)
            *error = QStringLiteral("%1 is not open").arg(m_id);
        return Read::Failed;
    }
    const int rc = av_read_frame(m_input, m_packet);
    if (rc == AVERROR(EAGAIN)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return Read::Again;
    }
    if (rc < 0) {
        if (error)
            *error = rc == AVERROR_EOF
                         ? QStringLiteral("%1 stopped sending pictures").arg(m_id)
                         : QStringLiteral("%1 stopped: %2").arg(m_id, avErrorText(rc));
        return Read::Failed;
    }
    if (m_packet->stream_index != m_stream) {
        av_packet_unref(m_packet);
        return Read::Again;
    }
    frame.reset();
    const AVStream* st = m_input->streams[m_stream];
    const std::int64_t ts = m_packet->pts != AV_NOPTS_VALUE ? m_packet->pts : m_packet->dts;
    frame.timeUs = av_rescale_q(ts, st->time_base, AV_TIME_BASE_Q);
    if (m_passJpeg) {
        frame.jpeg = av_packet_alloc();
        av_packet_move_ref(frame.jpeg, m_packet);
    } else {
        QString problem;
        const bool ok = decode(m_packet, m_decoded, &problem);
        av_packet_unref(m_packet);
        if (!ok) // a damaged picture from the camera: its frame counts as dropped
            return Read::Again;
        frame.raw = av_frame_clone(m_decoded);
        av_frame_unref(m_decoded);
    }
    if (m_soundInput) {
        std::lock_guard lock(m_soundMutex);
        if (!m_soundProblem.isEmpty()) {
            if (error)
                *error = m_soundProblem;
            return Read::Failed;
        }
        frame.audio = std::exchange(m_sound, QByteArray());
    }
    return Read::Frame;
}

QImage LibavCamera::toImage(const AVFrame* f)
{
    QImage image(f->width, f->height, QImage::Format_RGB32);
    m_sws =
        cachedScaler(m_sws, f->width, f->height, f->format, f->width, f->height, AV_PIX_FMT_BGRA);
    if (!m_sws)
        return {};
    if (image.isNull() || !m_conversion.convert(m_sws, f, AV_PIX_FMT_BGRA, f->width, f->height,
                                                image.bits(), image.bytesPerLine()))
        return {};
    return image;
}

QImage LibavCamera::picture(const SourceFrame& frame)
{
    if (frame.raw)
        return toImage(frame.raw);
    if (frame.jpeg && m_decoder && decode(frame.jpeg, m_decoded, nullptr)) {
        QImage image = toImage(m_decoded);
        av_frame_unref(m_decoded);
        return image;
    }
    return {};
}

} // namespace korvel
