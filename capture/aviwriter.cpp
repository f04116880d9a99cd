#include "capture/aviwriter.h"

#include "shell/readfile.h"
#include "shell/textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRandomGenerator>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace korvel
{

QString avErrorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromLocal8Bit(text);
}

namespace
{

AVPixelFormat plainFormat(AVPixelFormat f, bool* fullRange)
{
    *fullRange = true;
    switch (f) {
    case AV_PIX_FMT_YUVJ420P:
        return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P:
        return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P:
        return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P:
        return AV_PIX_FMT_YUV440P;
    case AV_PIX_FMT_YUVJ411P:
        return AV_PIX_FMT_YUV411P;
    default:
        *fullRange = false;
        return f;
    }
}

} // namespace

SwsContext* cachedScaler(SwsContext* context, int srcWidth, int srcHeight, int srcFormat,
                         int dstWidth, int dstHeight, int dstFormat)
{
    bool srcFull = false, dstFull = false;
    const AVPixelFormat src = plainFormat(AVPixelFormat(srcFormat), &srcFull);
    const AVPixelFormat dst = plainFormat(AVPixelFormat(dstFormat), &dstFull);
    context = sws_getCachedContext(context, srcWidth, srcHeight, src, dstWidth, dstHeight, dst,
                                   SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (context && (srcFull || dstFull)) {
        int *inverse = nullptr, *table = nullptr;
        int srcRange = 0, dstRange = 0, brightness = 0, contrast = 0, saturation = 0;
        sws_getColorspaceDetails(context, &inverse, &srcRange, &table, &dstRange, &brightness,
                                 &contrast, &saturation);
        sws_setColorspaceDetails(context, inverse, srcFull ? 1 : srcRange, table,
                                 dstFull ? 1 : dstRange, brightness, contrast, saturation);
    }
    return context;
}

AviWriter::~AviWriter()
{
    close();
    sws_freeContext(m_sws);
    av_frame_free(&m_converted);
    av_packet_free(&m_packet);
    avcodec_free_context(&m_encoder);
    avformat_free_context(m_out);
}

bool AviWriter::fail(const QString& what, int code)
{
    if (m_error.isEmpty())
        m_error = code ? what + QStringLiteral(": ") + avErrorText(code) : what;
    return false;
}

std::unique_ptr<AviWriter> AviWriter::create(const QString& path, const AviVideoFormat& video,
                                             const std::optional<AudioFormat>& audio,
                                             QString* error)
{
    std::unique_ptr<AviWriter> w(new AviWriter);
    w->m_path = path;
    w->m_format = video;
    w->m_audio = audio;
    auto failed = [&](const QString& what, int code) -> std::unique_ptr<AviWriter> {
        w->fail(what, code);
        if (error)
            *error = w->m_error;
        return nullptr;
    };
    if (video.width <= 0 || video.height <= 0 || video.rateNumerator <= 0 ||
        video.rateDenominator <= 0)
        return failed(QStringLiteral("No picture size or frame rate to record with"), 0);

    // A file on this machine and nothing else: "http://..." is a file name
    // here too, and a pipe or a device is refused rather than waited on.
    if (const QString kind = notAPlainFile(path); !kind.isEmpty())
        return failed(QStringLiteral("Cannot create %1: %2").arg(path, kind), 0);
    if (QFileInfo(path).isFile()) {
        const QFileInfo target(linkTarget(path));
        w->m_stage = target.dir().filePath(
            QStringLiteral(".kvrec-%1.avi")
                .arg(QRandomGenerator::global()->generate64() % 0xFFFFFFFFFFull, 0, 36));
    }
    const QString writeTo = w->m_stage.isEmpty() ? path : w->m_stage;
    const QByteArray local = QByteArray("file:") + QFile::encodeName(writeTo);
    int rc = avformat_alloc_output_context2(&w->m_out, nullptr, "avi", local.constData());
    if (rc < 0 || !w->m_out)
        return failed(QStringLiteral("Cannot prepare the AVI file"), rc);
    const AVRational frameTime{video.rateDenominator, video.rateNumerator};

    w->m_video = avformat_new_stream(w->m_out, nullptr);
    w->m_packet = av_packet_alloc();
    if (!w->m_video || !w->m_packet)
        return failed(QStringLiteral("Out of memory"), AVERROR(ENOMEM));
    w->m_video->time_base = frameTime;
    w->m_video->avg_frame_rate = av_inv_q(frameTime);
    w->m_video->r_frame_rate = av_inv_q(frameTime);
    AVCodecParameters* par = w->m_video->codecpar;
    par->codec_type = AVMEDIA_TYPE_VIDEO;
    par->width = video.width;
    par->height = video.height;
    switch (video.coding) {
    case AviVideoFormat::Coding::CopyMjpeg:
        par->codec_id = AV_CODEC_ID_MJPEG;
        par->format = AV_PIX_FMT_YUVJ422P;
        break;
    case AviVideoFormat::Coding::EncodeMjpeg: {
        const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MJPEG);
        if (!codec)
            return failed(QStringLiteral("No MJPEG encoder"), 0);
        w->m_encoder = avcodec_alloc_context3(codec);
        w->m_encoder->width = video.width;
        w->m_encoder->height = video.height;
        w->m_encoder->pix_fmt = AV_PIX_FMT_YUVJ420P;
        w->m_encoder->color_range = AVCOL_RANGE_JPEG;
        w->m_encoder->time_base = frameTime;
        w->m_encoder->framerate = av_inv_q(frameTime);
        w->m_encoder->flags |= AV_CODEC_FLAG_QSCALE;
        w->m_encoder->global_quality = FF_QP2LAMBDA * std::clamp(video.quality, 2, 31);
        w->m_encoder->thread_count = 2;
        w->m_encoder->thread_type = FF_THREAD_SLICE;
        rc = avcodec_open2(w->m_encoder, codec, nullptr);
        if (rc < 0)
            return failed(QStringLiteral("Cannot start the MJPEG encoder"), rc);
        rc = avcodec_parameters_from_context(par, w->m_encoder);
        if (rc < 0)
            return failed(QStringLiteral("Cannot prepare the AVI file"), rc);
        break;
    }
    case AviVideoFormat::Coding::Uncompressed:
        // A classic bitmap stream: 24-bit blue-green-red rows, bottom row
        // first, each padded to 4 bytes, as every AVI reader expects.
        par->codec_id = AV_CODEC_ID_RAWVIDEO;
        par->format = AV_PIX_FMT_BGR24;
        par->bits_per_coded_sample = 24;
        break;
    }
    par->codec_tag = 0; // the muxer's own tag for the codec

    if (audio) {
        w->m_sound = avformat_new_stream(w->m_out, nullptr);
        if (!w->m_sound)
            return failed(QStringLiteral("Out of memory"), AVERROR(ENOMEM));
        AVCodecParameters* a = w->m_sound->codecpar;
        a->codec_type = AVMEDIA_TYPE_AUDIO;
        a->codec_id = audio->bits == 8 ? AV_CODEC_ID_PCM_U8 : AV_CODEC_ID_PCM_S16LE;
        a->sample_rate = audio->sampleRate;
        av_channel_layout_default(&a->ch_layout, audio->channels);
        a->bits_per_coded_sample = audio->bits == 8 ? 8 : 16;
        a->block_align = audio->channels * a->bits_per_coded_sample / 8;
        a->bit_rate = std::int64_t(a->block_align) * audio->sampleRate * 8;
        w->m_sound->time_base = AVRational{1, audio->sampleRate};
    }

    AVDictionary* localOnly = nullptr;
    av_dict_set(&localOnly, "protocol_whitelist", "file", 0);
    rc = avio_open2(&w->m_out->pb, local.constData(), AVIO_FLAG_WRITE, nullptr, &localOnly);
    av_dict_free(&localOnly);
    if (rc < 0)
        return failed(QStringLiteral("Cannot create %1").arg(path), rc);
    AVDictionary* options = nullptr;
    av_dict_set(&options, "flipped_raw_rgb", "1", 0);
    rc = avformat_write_header(w->m_out, &options);
    av_dict_free(&options);
    if (rc < 0)
        return failed(QStringLiteral("Cannot write the AVI header"), rc);
    w->m_headerWritten = true;
    return w;
}

bool AviWriter::writeVideoPacket(std::int64_t index, AVPacket* packet)
{
    if (index <= m_lastIndex)
        return true; // a late duplicate: its frame number is taken
    // The muxer writes an empty chunk for every frame number skipped, so a
    // dropped frame keeps its place in time.
    packet->pts = packet->dts = index;
    packet->duration = 1;
    packet->stream_index = m_video->index;
    av_packet_rescale_ts(packet, AVRational{m_format.rateDenominator, m_format.rateNumerator},
                         m_video->time_base);
    const int rc = av_interleaved_write_frame(m_out, packet);
    if (rc < 0)
        return fail(QStringLiteral("Writing frame %1 failed").arg(index), rc);
    m_lastIndex = index;
    return true;
}

bool AviWriter::writeJpeg(std::int64_t index, const std::uint8_t* data, int size)
{
    if (m_closed || !m_error.isEmpty())
        return false;
    if (m_format.coding != AviVideoFormat::Coding::CopyMjpeg)
        return fail(QStringLiteral("JPEG data for a file that does not hold it"), 0);
    av_packet_unref(m_packet);
    int rc = av_new_packet(m_packet, size);
    if (rc < 0)
        return fail(QStringLiteral("Out of memory"), rc);
    std::memcpy(m_packet->data, data, std::size_t(size));
    m_packet->flags |= AV_PKT_FLAG_KEY;
    return writeVideoPacket(index, m_packet);
}

bool AviWriter::encode(std::int64_t index, const AVFrame* picture)
{
    // The encoder takes full-range 4:2:0; whatever the source gives is
    // converted on the way.
    const AVFrame* input = picture;
    if (picture->format != AV_PIX_FMT_YUVJ420P || picture->width != m_format.width ||
        picture->height != m_format.height) {
        if (!m_converted) {
            m_converted = av_frame_alloc();
            m_converted->format = AV_PIX_FMT_YUVJ420P;
            m_converted->width = m_format.width;
            m_converted->height = m_format.height;
            const int rc = av_frame_get_buffer(m_converted, 0);
            if (rc < 0)
                return fail(QStringLiteral("Out of memory"), rc);
        }
        m_sws = cachedScaler(m_sws, picture->width, picture->height, picture->format,
                             m_format.width, m_format.height, AV_PIX_FMT_YUVJ420P);
        if (!m_sws)
            return fail(QStringLiteral("Cannot convert the camera's pictures"), 0);
        sws_scale(m_sws, picture->data, picture->linesize, 0, picture->height, m_converted->data,
                  m_converted->linesize);
        input = m_converted;
    }
    AVFrame* frame = const_cast<AVFrame*>(input);
    frame->pts = index;
    int rc = avcodec_send_frame(m_encoder, frame);
    if (rc < 0)
        return fail(QStringLiteral("Encoding frame %1 failed").arg(index), rc);
    for (;;) {
        rc = avcodec_receive_packet(m_encoder, m_packet);
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            return true;
        if (rc < 0)
            return fail(QStringLiteral("Encoding frame %1 failed").arg(index), rc);
        const std::int64_t n = m_packet->pts;
        const bool ok = writeVideoPacket(n, m_packet);
        av_packet_unref(m_packet);
        if (!ok)
            return false;
    }
}

bool AviWriter::writeImage(std::int64_t index, const QImage& picture)
{
    AVFrame* wrap = av_frame_alloc();
    if (!wrap) {
        m_error = QStringLiteral("Out of memory");
        return false;
    }
    wrap->format = AV_PIX_FMT_BGRA; // RGB32 in memory order, alpha unused
    wrap->width = picture.width();
    wrap->height = picture.height();
    wrap->data[0] = const_cast<uchar*>(picture.constBits());
    wrap->linesize[0] = int(picture.bytesPerLine());
    const bool ok = writePicture(index, wrap);
    av_frame_free(&wrap);
    return ok;
}

bool AviWriter::writePicture(std::int64_t index, const AVFrame* picture)
{
    if (m_closed || !m_error.isEmpty())
        return false;
    if (index <= m_lastIndex)
        return true;
    switch (m_format.coding) {
    case AviVideoFormat::Coding::CopyMjpeg:
        return fail(QStringLiteral("A picture for a file of camera JPEG data"), 0);
    case AviVideoFormat::Coding::EncodeMjpeg:
        return encode(index, picture);
    case AviVideoFormat::Coding::Uncompressed:
        break;
    }
    const int w = m_format.width, h = m_format.height;
    m_sws = cachedScaler(m_sws, picture->width, picture->height, picture->format, w, h,
                         AV_PIX_FMT_BGR24);
    if (!m_sws)
        return fail(QStringLiteral("Cannot convert the camera's pictures"), 0);
    const int stride = (w * 3 + 3) & ~3;
    av_packet_unref(m_packet);
    int rc = av_new_packet(m_packet, stride * h);
    if (rc < 0)
        return fail(QStringLiteral("Out of memory"), rc);
    std::memset(m_packet->data, 0, std::size_t(stride) * h);
    // Bottom row first: the rows go from the last one back.
    if (!m_conversion.convert(m_sws, picture, AV_PIX_FMT_BGR24, w, h,
                              m_packet->data + std::size_t(stride) * (h - 1), -stride))
        return fail(QStringLiteral("Cannot convert the camera's pictures"), 0);
    m_packet->flags |= AV_PKT_FLAG_KEY;
    return writeVideoPacket(index, m_packet);
}

bool AviWriter::writeAudio(const std::uint8_t* pcm, int bytes)
{
    if (m_closed || !m_error.isEmpty())
        return false;
    if (!m_sound || bytes <= 0)
        return true;
    const int frameBytes = m_sound->codecpar->block_align;
    const int samples = bytes / frameBytes;
    if (samples <= 0)
        return true;
    av_packet_unref(m_packet);
    int rc = av_new_packet(m_packet, samples * frameBytes);
    if (rc < 0)
        return fail(QStringLiteral("Out of memory"), rc);
    std::memcpy(m_packet->data, pcm, std::size_t(samples) * frameBytes);
    m_packet->pts = m_packet->dts = m_samples;
    m_packet->duration = samples;
    m_packet->stream_index = m_sound->index;
    m_packet->flags |= AV_PKT_FLAG_KEY;
    av_packet_rescale_ts(m_packet, AVRational{1, m_audio->sampleRate}, m_sound->time_base);
    rc = av_interleaved_write_frame(m_out, m_packet);
    if (rc < 0)
        return fail(QStringLiteral("Writing sound failed"), rc);
    m_samples += samples;
    return true;
}

bool AviWriter::close()
{
    if (m_closed)
        return m_error.isEmpty();
    m_closed = true;
    if (!m_out)
        return false;
    if (m_headerWritten) {
        if (m_encoder && m_error.isEmpty()) {
            avcodec_send_frame(m_encoder, nullptr);
            while (avcodec_receive_packet(m_encoder, m_packet) >= 0) {
                writeVideoPacket(m_packet->pts, m_packet);
                av_packet_unref(m_packet);
            }
        }
        // The index and the final header sizes: without them a reader sees a
        // cut file. Written even after a failed frame.
        const int rc = av_write_trailer(m_out);
        if (rc < 0)
            fail(QStringLiteral("Completing %1 failed").arg(m_path), rc);
    }
    if (m_out->pb) {
        if (m_out->pb->error < 0)
            fail(QStringLiteral("Writing %1 failed").arg(m_path), m_out->pb->error);
        avio_closep(&m_out->pb);
    }
    putInPlace();
    return m_error.isEmpty();
}

void AviWriter::putInPlace()
{
    const QString written = m_stage.isEmpty() ? m_path : m_stage;
    if (m_lastIndex < 0) {
        // Not a frame came: no video to keep, and an earlier recording of
        // the name stays.
        QFile::remove(written);
        if (m_error.isEmpty())
            fail(m_stage.isEmpty()
                     ? QStringLiteral("Not a single frame was recorded")
                     : QStringLiteral("Not a single frame was recorded; %1 is left as it was")
                           .arg(m_path),
                 0);
        return;
    }
    if (m_stage.isEmpty())
        return;
    const QString target = linkTarget(m_path);
    if (m_error.isEmpty()) {
        if (::rename(QFile::encodeName(m_stage).constData(),
                     QFile::encodeName(target).constData()) == 0)
            return;
        fail(QStringLiteral("The recording could not replace %1: %2")
                 .arg(m_path, QString::fromLocal8Bit(std::strerror(errno))),
             0);
    }
    // The frames up to the failure are kept under a name of their own; the
    // earlier recording of the name stays whole.
    const QFileInfo t(target);
    QString kept;
    for (int n = 1; n < 1000 && kept.isEmpty(); ++n) {
        const QString name = t.dir().filePath(
            t.completeBaseName() +
            (n == 1 ? QStringLiteral("-incomplete") : QStringLiteral("-incomplete%1").arg(n)) +
            QStringLiteral(".avi"));
        if (!QFileInfo::exists(name) && ::rename(QFile::encodeName(m_stage).constData(),
                                                 QFile::encodeName(name).constData()) == 0)
            kept = name;
    }
    m_error += kept.isEmpty()
                   ? QStringLiteral(" (what was recorded is in %1)").arg(m_stage)
                   : QStringLiteral(" (what was recorded is in %1; %2 is left as it was)")
                         .arg(kept, m_path);
}

} // namespace korvel
