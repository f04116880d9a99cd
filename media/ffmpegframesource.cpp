#include "media/ffmpegframesource.h"

#include "media/avichunks.h"
#include "shell/readfile.h"

#include <QBuffer>
#include <QFile>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace korvel
{

namespace
{

QString avError(int code)
{
    char buf[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, buf, sizeof buf);
    return QString::fromUtf8(buf);
}

std::int64_t frameBytes(const AVFrame* f)
{
    std::int64_t total = 0;
    for (AVBufferRef* b : f->buf)
        if (b)
            total += std::int64_t(b->size);
    return total;
}

// A decoder that gives up part way through a picture hands back the rest of
// its buffer untouched, and buffers come from a pool: without this the rest
// would be the last picture that used the buffer, another frame's pixels.
int clearedBuffer(AVCodecContext* codec, AVFrame* frame, int flags)
{
    const int ret = avcodec_default_get_buffer2(codec, frame, flags);
    if (ret < 0)
        return ret;
    for (AVBufferRef* b : frame->buf)
        if (b)
            std::memset(b->data, 0, b->size);
    return 0;
}

// The decoder saw damage in the picture (and may have patched it up).
bool flaggedDamaged(const AVFrame* f)
{
    return (f->flags & AV_FRAME_FLAG_CORRUPT) || f->decode_error_flags != 0;
}

// The most the libraries may take in one allocation: a 16-bit plane of the
// largest picture accepted is 71 MB, its picture converted for the screen
// 143 MB.
constexpr std::size_t kLargestAllocation = std::size_t{256} * 1024 * 1024;

// The containers a recording comes in (the names FFmpeg gives their readers).
constexpr char kContainers[] = "avi,mov,mp4,m4a,3gp,3g2,mj2,matroska,webm";

bool withinLimits(int w, int h, const FrameSourceLimits& limits)
{
    return w <= limits.maxDimension && h <= limits.maxDimension &&
           std::int64_t(w) * h <= limits.maxPixels;
}

} // namespace

OpenResult openVideo(const QString& path, const FrameSourceLimits& limits)
{
    return FfmpegFrameSource::open(path, limits);
}

FfmpegFrameSource::~FfmpegFrameSource()
{
    clearCache();
    sws_freeContext(m_sws);
    av_frame_free(&m_frame);
    av_packet_free(&m_packet);
    avcodec_free_context(&m_codec);
    avformat_close_input(&m_format);
    // Our own reader of a file in memory: the libraries leave it to us.
    if (m_io) {
        av_freep(&m_io->buffer);
        avio_context_free(&m_io);
    }
}

OpenResult FfmpegFrameSource::open(const QString& path, const FrameSourceLimits& limits)
{
    std::unique_ptr<FfmpegFrameSource> src(new FfmpegFrameSource);
    src->m_path = path;
    if (path.isEmpty())
        return {nullptr, OpenFailure::CannotOpen, QStringLiteral("no file named")};
    // A pipe would keep the screen waiting for a writer, a device never ends.
    if (const QString kind = notAPlainFile(path); !kind.isEmpty())
        return {nullptr, OpenFailure::CannotOpen, kind};
    // The path is a file on this machine and nothing else: spelled out as
    // one, "http://..." or "concat:a|b" in a log line is a file name too.
    return openInput(std::move(src), QByteArray("file:") + QFile::encodeName(path), limits);
}

OpenResult FfmpegFrameSource::openMemory(const QByteArray& bytes, const FrameSourceLimits& limits)
{
    std::unique_ptr<FfmpegFrameSource> src(new FfmpegFrameSource);
    src->m_bytes = bytes;
    constexpr int kBlock = 64 * 1024;
    auto* block = static_cast<unsigned char*>(av_malloc(kBlock));
    if (!block)
        return {nullptr, OpenFailure::CannotOpen, QStringLiteral("out of memory")};
    src->m_io = avio_alloc_context(block, kBlock, 0, src.get(), &FfmpegFrameSource::readMemory,
                                   nullptr, &FfmpegFrameSource::seekMemory);
    if (!src->m_io) {
        av_free(block);
        return {nullptr, OpenFailure::CannotOpen, QStringLiteral("out of memory")};
    }
    return openInput(std::move(src), QByteArray(), limits);
}

int FfmpegFrameSource::readMemory(void* opaque, std::uint8_t* buf, int size)
{
    auto* self = static_cast<FfmpegFrameSource*>(opaque);
    const std::int64_t left = std::int64_t(self->m_bytes.size()) - self->m_ioPos;
    if (left <= 0)
        return AVERROR_EOF;
    const int n = int(std::min<std::int64_t>(size, left));
    std::memcpy(buf, self->m_bytes.constData() + self->m_ioPos, std::size_t(n));
    self->m_ioPos += n;
    return n;
}

std::int64_t FfmpegFrameSource::seekMemory(void* opaque, std::int64_t offset, int whence)
{
    auto* self = static_cast<FfmpegFrameSource*>(opaque);
    const std::int64_t size = self->m_bytes.size();
    if (whence & AVSEEK_SIZE)
        return size;
    std::int64_t to = 0;
    switch (whence & ~AVSEEK_FORCE) {
    case SEEK_SET:
        to = offset;
        break;
    case SEEK_CUR:
        to = self->m_ioPos + offset;
        break;
    case SEEK_END:
        to = size + offset;
        break;
    default:
        return AVERROR(EINVAL);
    }
    if (to < 0 || to > size)
        return AVERROR(EINVAL);
    self->m_ioPos = to;
    return to;
}

OpenResult FfmpegFrameSource::openInput(std::unique_ptr<FfmpegFrameSource> src,
                                        const QByteArray& url, const FrameSourceLimits& limits)
{
    // Damaged files are expected here and answered with our own messages;
    // the libraries' chatter on the terminal helps no one at the lake.
    static const bool quiet = [] {
        if (qEnvironmentVariableIsEmpty("KORVEL_FFMPEG_LOG"))
            av_log_set_level(AV_LOG_FATAL);
        // A header's size field is believed before the bytes are read: a
        // damaged AVI's tag claiming 1.8 GB had the libraries allocate and
        // clear all of it. Nothing in a video we open needs more than the
        // largest picture we accept (8192 x 4352, 16 bits a sample, 4:4:4).
        av_max_alloc(kLargestAllocation);
        return true;
    }();
    (void)quiet;
    OpenResult result;
    auto fail = [&result](OpenFailure f, const QString& reason) {
        result.source.reset();
        result.failure = f;
        result.reason = reason;
        return std::move(result);
    };
    src->m_limits = limits;
    src->m_packet = av_packet_alloc();
    src->m_frame = av_frame_alloc();
    src->m_format = avformat_alloc_context();
    if (!src->m_packet || !src->m_frame || !src->m_format)
        return fail(OpenFailure::CannotOpen, QStringLiteral("out of memory"));
    if (src->m_io) {
        src->m_format->pb = src->m_io;
        src->m_format->flags |= AVFMT_FLAG_CUSTOM_IO;
    }
    // Local files only, and only the containers recordings come in: a
    // playlist or a concatenation list would open other files (a pipe among
    // them) or reach out over the network.
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    av_dict_set(&options, "format_whitelist", kContainers, 0);
    int ret = avformat_open_input(&src->m_format, url.constData(), nullptr, &options);
    av_dict_free(&options);
    if (ret < 0)
        return fail(OpenFailure::CannotOpen, avError(ret));
    AVFormatContext* fmt = src->m_format;
    src->m_isAvi = std::strcmp(fmt->iformat->name, "avi") == 0;
    src->m_chunkNumbered = src->m_isAvi;

    auto firstVideo = [fmt]() {
        for (unsigned i = 0; i < fmt->nb_streams; ++i) {
            const AVStream* st = fmt->streams[i];
            if (st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
                !(st->disposition & AV_DISPOSITION_ATTACHED_PIC))
                return int(i);
        }
        return -1;
    };
    int stream = firstVideo();
    // AVI headers say all we need; other containers may only tell after a look
    // at the first packets.
    if (!src->m_chunkNumbered || stream < 0 ||
        fmt->streams[stream]->codecpar->codec_id == AV_CODEC_ID_NONE) {
        ret = avformat_find_stream_info(fmt, nullptr);
        if (ret < 0)
            return fail(OpenFailure::CannotOpen, avError(ret));
        stream = firstVideo();
    }
    if (stream < 0)
        return fail(OpenFailure::NoVideoStream, QStringLiteral("no video stream"));
    src->m_stream = stream;
    for (unsigned i = 0; i < fmt->nb_streams; ++i)
        fmt->streams[i]->discard = int(i) == stream ? AVDISCARD_DEFAULT : AVDISCARD_ALL;

    AVStream* st = fmt->streams[stream];
    const AVCodecParameters* par = st->codecpar;
    if (par->width < 0 || par->height < 0 || !withinLimits(par->width, par->height, limits))
        return fail(OpenFailure::TooLarge, QStringLiteral("%1 x %2 pixels is more than we decode")
                                               .arg(par->width)
                                               .arg(par->height));

    const AVCodec* codec = avcodec_find_decoder(par->codec_id);
    if (!codec)
        return fail(OpenFailure::NoDecoder,
                    QStringLiteral("no decoder for %1")
                        .arg(QString::fromUtf8(avcodec_get_name(par->codec_id))));
    src->m_codec = avcodec_alloc_context3(codec);
    if (!src->m_codec || avcodec_parameters_to_context(src->m_codec, par) < 0)
        return fail(OpenFailure::NoDecoder, QStringLiteral("decoder set-up failed"));
    src->m_codec->max_pixels = limits.maxPixels;
    src->m_codec->pkt_timebase = st->time_base;
    const AVCodecDescriptor* desc = avcodec_descriptor_get(par->codec_id);
    // Intra-only pictures (MJPEG, uncompressed) decode one packet into one
    // picture, so a damaged packet costs its own frame number and no other.
    src->m_lockstep = desc && (desc->props & AV_CODEC_PROP_INTRA_ONLY);
    if (src->m_lockstep) {
        src->m_codec->thread_count = 1;
        // A picture the decoder cannot read to its end is an error, not a
        // picture with a hole in it.
        src->m_codec->err_recognition |= AV_EF_EXPLODE;
        src->m_codec->get_buffer2 = clearedBuffer;
    } else {
        // Slices only: with frame threads the decoder reports damage in a
        // picture, or not, depending on what was decoded before it.
        src->m_codec->thread_count = 0;
        src->m_codec->thread_type = FF_THREAD_SLICE;
    }
    ret = avcodec_open2(src->m_codec, codec, nullptr);
    if (ret < 0)
        return fail(OpenFailure::NoDecoder, avError(ret));

    // Intra-only AVI files are indexed from the container's index; pictures
    // that may be reordered need a look at each packet's picture type.
    if (src->m_isAvi)
        src->repairAviIndex();
    const bool containerIndex = src->m_isAvi && src->m_lockstep && src->buildIndexFromContainer();
    if (!containerIndex && !src->buildIndexFromPackets())
        return fail(OpenFailure::CannotOpen, QStringLiteral("no frames in the video stream"));
    src->finishIndex();

    VideoProperties& p = src->m_props;
    p.width = par->width;
    p.height = par->height;
    p.frameCount = src->m_slotStart.empty() ? 0 : src->m_slotStart.back() + 1;
    if (src->m_isAvi) {
        p.rateNumerator = st->time_base.den;
        p.rateDenominator = st->time_base.num;
    } else {
        const AVRational r = av_guess_frame_rate(fmt, st, nullptr);
        p.rateNumerator = r.num;
        p.rateDenominator = r.den ? r.den : 1;
    }
    p.codec = QString::fromUtf8(codec->name);
    p.container = QString::fromUtf8(fmt->iformat->name);
    result.source = std::move(src);
    return result;
}

void FfmpegFrameSource::repairAviIndex()
{
    AVStream* st = m_format->streams[m_stream];
    std::unique_ptr<QIODevice> file;
    if (m_io)
        file = std::make_unique<QBuffer>(&m_bytes);
    else
        file = std::make_unique<QFile>(m_path);
    if (!file->open(QIODevice::ReadOnly))
        return;
    const AviChunkScan scan = scanAviChunks(*file, st->id);
    const std::int64_t chunks = std::int64_t(scan.chunks.size());
    // The index agrees when it lists every picture chunk, each at its
    // place, and nothing else.
    const int count = avformat_index_get_entries_count(st);
    std::int64_t listed = 0;
    std::int64_t pictures = 0;
    bool wrong = false;
    for (const AviChunk& c : scan.chunks)
        if (c.size > 0)
            ++pictures;
    for (int i = 0; i < count; ++i) {
        const AVIndexEntry* e = avformat_index_get_entry(st, i);
        if (!e || e->size <= 0)
            continue;
        if (e->timestamp >= 0 && e->timestamp < chunks &&
            scan.chunks[std::size_t(e->timestamp)].pos == e->pos &&
            std::int64_t(scan.chunks[std::size_t(e->timestamp)].size) == e->size)
            ++listed;
        else
            wrong = true;
    }
    // No index at all is read in one pass anyway. A walk stopped by damage
    // in the movie list is trusted only as far as it finds more than the
    // index does.
    if (count <= 0 || (listed == pictures && !wrong) || (!scan.complete && listed >= pictures))
        return;
    // What the index said of key frames, where it still points at the chunk.
    m_chunkKey.assign(std::size_t(chunks), -1);
    for (int i = 0; i < count; ++i) {
        const AVIndexEntry* e = avformat_index_get_entry(st, i);
        if (e && e->timestamp >= 0 && e->timestamp < chunks &&
            scan.chunks[std::size_t(e->timestamp)].pos == e->pos)
            m_chunkKey[std::size_t(e->timestamp)] = (e->flags & AVINDEX_KEYFRAME) ? 1 : 0;
    }
    // The chunks become the index the demuxer seeks by, a chunk's number
    // being its frame number. Every chunk is marked as a place to seek to:
    // where decoding starts is decided here, from m_chunkKey.
    for (std::int64_t k = 0; k < chunks; ++k) {
        const AviChunk& c = scan.chunks[std::size_t(k)];
        if (c.size > 0)
            av_add_index_entry(st, c.pos, k, int(c.size), 0, AVINDEX_KEYFRAME);
    }
    m_indexRepaired = true;
    m_repairedChunks = scan.chunks;
}

bool FfmpegFrameSource::buildIndexFromContainer()
{
    // The AVI index lists every chunk with its chunk number as timestamp; the
    // empty chunks of dropped frames are left out, which is what we want.
    if (m_indexRepaired) {
        // Entries of a wrong index that name no chunk stay in the demuxer's
        // list; the frames are the chunks.
        m_packets.clear();
        for (std::size_t k = 0; k < m_repairedChunks.size(); ++k)
            if (m_repairedChunks[k].size > 0)
                m_packets.push_back(
                    {std::int64_t(k), std::int64_t(k), m_repairedChunks[k].pos, true});
        return !m_packets.empty();
    }
    AVStream* st = m_format->streams[m_stream];
    const int count = avformat_index_get_entries_count(st);
    if (count <= 0)
        return false;
    const std::int64_t fileSize = avio_size(m_format->pb);
    std::vector<PacketEntry> packets;
    packets.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        const AVIndexEntry* e = avformat_index_get_entry(st, i);
        if (!e || e->size <= 0)
            continue;
        // A file cut short keeps index entries for chunks that are gone.
        if (fileSize > 0 && e->pos + e->size > fileSize)
            continue;
        if (!packets.empty() && e->timestamp <= packets.back().dts)
            return false; // not the plain chunk numbering we rely on
        packets.push_back({e->timestamp, e->timestamp, e->pos, (e->flags & AVINDEX_KEYFRAME) != 0});
    }
    if (packets.empty())
        return false;
    m_packets = std::move(packets);
    return true;
}

bool FfmpegFrameSource::buildIndexFromPackets()
{
    m_packets.clear();
    std::int64_t counter = 0;
    bool lastCut = false;
    AVPacket* pkt = m_packet;
    // The parser tells B pictures from anchors without decoding anything.
    AVCodecParserContext* parser = m_lockstep ? nullptr : av_parser_init(m_codec->codec_id);
    AVCodecContext* parserCodec = parser ? avcodec_alloc_context3(nullptr) : nullptr;
    if (parser && parserCodec &&
        avcodec_parameters_to_context(parserCodec, m_format->streams[m_stream]->codecpar) >= 0) {
        parser->flags |= PARSER_FLAG_COMPLETE_FRAMES;
    } else {
        av_parser_close(parser);
        parser = nullptr;
    }
    while (true) {
        const int ret = av_read_frame(m_format, pkt);
        if (ret < 0)
            break; // the end, or a file cut short: what was read is what there is
        if (pkt->stream_index == m_stream && pkt->size > 0) {
            PacketEntry e;
            e.dts = pkt->dts != AV_NOPTS_VALUE ? pkt->dts : pkt->pts;
            e.pts = pkt->pts != AV_NOPTS_VALUE ? pkt->pts : pkt->dts;
            if (e.dts == AV_NOPTS_VALUE)
                e.dts = e.pts = AV_NOPTS_VALUE;
            e.pos = pkt->pos;
            e.key = (pkt->flags & AV_PKT_FLAG_KEY) != 0;
            if (parser) {
                uint8_t* out = nullptr;
                int outSize = 0;
                av_parser_parse2(parser, parserCodec, &out, &outSize, pkt->data, pkt->size,
                                 AV_NOPTS_VALUE, AV_NOPTS_VALUE, -1);
                e.bidirectional = parser->pict_type == AV_PICTURE_TYPE_B;
            }
            // Where a rebuilt index knows nothing, the picture itself says
            // whether decoding can start from it; unknown is no key frame.
            if (m_indexRepaired && !m_lockstep) {
                const int known = e.dts >= 0 && e.dts < std::int64_t(m_chunkKey.size())
                                      ? m_chunkKey[std::size_t(e.dts)]
                                      : -1;
                e.key = known >= 0 ? known == 1 : (parser && parser->key_frame == 1);
            }
            m_packets.push_back(e);
            lastCut = (pkt->flags & AV_PKT_FLAG_CORRUPT) != 0;
            ++counter;
        }
        av_packet_unref(pkt);
    }
    av_parser_close(parser);
    avcodec_free_context(&parserCodec);
    // A file cut off during recording ends in half a picture: not a frame.
    if (lastCut)
        m_packets.pop_back();
    if (m_chunkNumbered) {
        for (std::size_t i = 1; i < m_packets.size(); ++i)
            if (m_packets[i].dts == AV_NOPTS_VALUE || m_packets[i].dts <= m_packets[i - 1].dts)
                m_chunkNumbered = false;
    }
    m_nextSend = -1; // the demuxer stands at the end; the first request seeks
    return !m_packets.empty();
}

void FfmpegFrameSource::finishIndex()
{
    const int n = int(m_packets.size());
    m_packets[0].key = true; // decoding from the very first packet always works
    m_keyBefore.resize(std::size_t(n));
    for (int i = 0; i < n; ++i)
        m_keyBefore[std::size_t(i)] =
            m_packets[std::size_t(i)].key ? i : m_keyBefore[std::size_t(i - 1)];

    m_slotStart.clear();
    m_slotPacket.clear();
    m_packetSlot.assign(std::size_t(n), 0);
    bool stamped = !m_chunkNumbered;
    for (const PacketEntry& e : m_packets)
        if (e.pts == AV_NOPTS_VALUE)
            stamped = false;
    if (!stamped) {
        // Pictures in packet order; in an AVI file the chunk number is the
        // frame number, elsewhere the packet count is.
        for (int i = 0; i < n; ++i) {
            m_slotStart.push_back(
                m_chunkNumbered ? std::max<std::int64_t>(0, m_packets[std::size_t(i)].dts) : i);
            m_slotPacket.push_back(i);
            m_packetSlot[std::size_t(i)] = i;
        }
        m_chunkNumbered = true; // outputs are matched by counting from here on
        // A key picture followed in the file by B pictures is shown after
        // them: with an open group of pictures those lean on the interval
        // before, so they are decoded from the key frame before it.
        // The same holds for every anchor picture: it is shown after the B
        // pictures that follow it in the file, which is how the count of
        // pictures out of the decoder is checked at each anchor.
        m_leading.assign(std::size_t(n), 0);
        for (int k = 0; k < n; ++k) {
            if (m_packets[std::size_t(k)].bidirectional)
                continue;
            int j = k + 1;
            while (j < n && m_packets[std::size_t(j)].bidirectional)
                ++j;
            m_leading[std::size_t(k)] = j - k - 1;
        }
        m_keyForSlot.assign(std::size_t(n), 0);
        // A key frame serves the slots from where it is shown on; those
        // places grow with the key frames, so one pass finds them all.
        int key = 0;
        int next = 1;
        for (int s = 0; s < n; ++s) {
            for (; next <= s; ++next) {
                const int k = next;
                if (!m_packets[std::size_t(k)].key)
                    continue;
                if (k + m_leading[std::size_t(k)] > s)
                    break;
                key = k;
            }
            m_keyForSlot[std::size_t(s)] = key;
        }
    } else {
        std::vector<int> order(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i)
            order[std::size_t(i)] = i;
        std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
            return m_packets[std::size_t(a)].pts < m_packets[std::size_t(b)].pts;
        });
        for (int s = 0; s < n; ++s) {
            const int pk = order[std::size_t(s)];
            m_slotStart.push_back(s);
            m_slotPacket.push_back(pk);
            m_packetSlot[std::size_t(pk)] = s;
            m_slotByPts[m_packets[std::size_t(pk)].pts] = s;
        }
    }
    // Positions before the first picture (leading dropped chunks) show it.
    if (!m_slotStart.empty())
        m_slotStart[0] = 0;

    const int slotCount = int(m_slotStart.size());
    m_intervalStart.clear();
    m_intervalOfSlot.assign(std::size_t(slotCount), 0);
    for (int s = 0; s < slotCount; ++s) {
        if (s == 0 || keyForSlot(s) != keyForSlot(s - 1))
            m_intervalStart.push_back(s);
        m_intervalOfSlot[std::size_t(s)] = int(m_intervalStart.size()) - 1;
    }
    m_undecodable.assign(std::size_t(slotCount), 0);
    m_damaged.assign(std::size_t(slotCount), 0);
}

int FfmpegFrameSource::keyForSlot(int slot) const
{
    return m_chunkNumbered ? m_keyForSlot[std::size_t(slot)]
                           : m_keyBefore[std::size_t(m_slotPacket[std::size_t(slot)])];
}

int FfmpegFrameSource::slotForFrame(std::int64_t n) const
{
    const auto it = std::upper_bound(m_slotStart.begin(), m_slotStart.end(), n);
    return std::max(0, int(it - m_slotStart.begin()) - 1);
}

int FfmpegFrameSource::packetForDts(std::int64_t dts, std::int64_t pos) const
{
    if (dts != AV_NOPTS_VALUE) {
        auto it = std::lower_bound(m_packets.begin(), m_packets.end(), dts,
                                   [](const PacketEntry& e, std::int64_t v) { return e.dts < v; });
        for (; it != m_packets.end() && it->dts == dts; ++it)
            if (pos < 0 || it->pos < 0 || it->pos == pos)
                return int(it - m_packets.begin());
    }
    if (pos >= 0) {
        for (std::size_t i = 0; i < m_packets.size(); ++i)
            if (m_packets[i].pos == pos)
                return int(i);
    }
    return -1;
}

FrameResult FfmpegFrameSource::frame(std::int64_t n)
{
    if (n < 0 || n >= m_props.frameCount) {
        return FrameResult::failure(
            FrameStatus::NotInVideo,
            QStringLiteral("Frame %1 is not in this video (frames 0 to %2).")
                .arg(n)
                .arg(m_props.frameCount - 1));
    }
    const int slot = slotForFrame(n);
    m_position = slot;
    auto damaged = [n] {
        return FrameResult::failure(
            FrameStatus::Damaged,
            QStringLiteral("Frame %1 of this video is damaged and cannot be decoded.").arg(n));
    };
    if (m_damaged[std::size_t(slot)])
        return damaged();
    if (slot == m_lastSlot && m_lastPicture) {
        ++m_stats.cacheHits;
        return FrameResult::shown(m_lastPicture);
    }
    AVFrame* f = cached(slot);
    if (f) {
        ++m_stats.cacheHits;
    } else {
        const QString error = decodeSlot(slot);
        f = cached(slot);
        if (m_damaged[std::size_t(slot)])
            return damaged();
        if (!f)
            return FrameResult::failure(
                FrameStatus::Failed,
                error.isEmpty() ? QStringLiteral("Frame %1 could not be decoded.").arg(n) : error);
    }
    FrameResult r = convert(f);
    if (r) {
        m_lastSlot = slot;
        m_lastPicture = r.picture;
    }
    return r;
}

bool FfmpegFrameSource::seekToPacket(int packet, QString* error)
{
    ++m_stats.seeks;
    avcodec_flush_buffers(m_codec);
    m_havePending = false;
    m_drained = false;
    m_outputs = 0;
    m_nextDisplay = packet;
    m_verifiedSlot = packet - 1;
    m_verifiedPacket = packet - 1;
    m_taint = INT_MAX;
    m_outputLog.clear();
    m_lastOutputPts = INT64_MIN;
    av_packet_unref(m_packet);

    for (int attempt = 0; attempt < 2; ++attempt) {
        // Second attempt: from the very first packet, reading without decoding.
        const PacketEntry& target = m_packets[std::size_t(attempt == 0 ? packet : 0)];
        bool sought = false;
        if (target.dts != AV_NOPTS_VALUE) {
            const std::int64_t ts = std::min(target.dts, target.pts);
            sought = av_seek_frame(m_format, m_stream, ts, AVSEEK_FLAG_BACKWARD) >= 0 ||
                     avformat_seek_file(m_format, m_stream, INT64_MIN, ts, ts, 0) >= 0;
        } else {
            // A stream without timestamps (a bare elementary stream) is
            // placed by its byte position.
            sought = av_seek_frame(m_format, m_stream, std::max<std::int64_t>(0, target.pos),
                                   AVSEEK_FLAG_BYTE) >= 0;
        }
        if (!sought)
            continue;
        m_nextSend = packet; // a packet we cannot place is taken for the key frame
        int index = -1;
        while (readNextPacket(m_packet, &index)) {
            if (index == packet) {
                m_havePending = true;
                m_pendingIndex = index;
                m_nextSend = packet;
                m_seekPacket = packet;
                return true;
            }
            av_packet_unref(m_packet);
            if (index > packet)
                break; // landed past the key frame
        }
    }
    m_nextSend = -1;
    if (error)
        *error = QStringLiteral("The video could not be positioned at its key frame.");
    return false;
}

bool FfmpegFrameSource::readNextPacket(AVPacket* pkt, int* index)
{
    if (m_havePending) {
        m_havePending = false;
        *index = m_pendingIndex;
        return true;
    }
    while (av_read_frame(m_format, pkt) >= 0) {
        if (pkt->stream_index != m_stream || pkt->size <= 0) {
            av_packet_unref(pkt);
            continue;
        }
        const std::int64_t dts = pkt->dts != AV_NOPTS_VALUE ? pkt->dts : pkt->pts;
        const int found = packetForDts(dts, pkt->pos);
        *index = found >= 0 ? found : m_nextSend;
        return true;
    }
    return false;
}

bool FfmpegFrameSource::canCarryOn(int slot, bool drainedToo) const
{
    // Keep decoding forward when the decoder already stands between the key
    // frame and the target; a held arrow key then costs one picture a step.
    const int targetPacket = m_slotPacket[std::size_t(slot)];
    const int key = keyForSlot(slot);
    if (m_nextSend < 0 || (m_drained && !drainedToo) || key > m_nextSend ||
        m_nextSend > targetPacket + 16)
        return false;
    if (m_lockstep)
        return targetPacket >= m_nextSend;
    if (m_chunkNumbered)
        return slot >= m_nextDisplay;
    return m_packets[std::size_t(targetPacket)].pts > m_lastOutputPts;
}

int FfmpegFrameSource::keptBehind() const
{
    // The frames just before the one asked for are where the operator steps
    // first; the rest of the interval is filled while the screen is idle.
    const std::int64_t frame =
        m_frameBytes > 0 ? m_frameBytes
                         : std::max<std::int64_t>(1, std::int64_t(m_props.width) * m_props.height);
    const std::int64_t kept = std::min(m_limits.keptOnTheWayBytes, m_limits.cacheBytes) / frame;
    return int(std::clamp<std::int64_t>(kept, 4, 1 << 20));
}

QString FfmpegFrameSource::decodeSlot(int slot)
{
    QString error;
    if (!canCarryOn(slot) && !seekToPacket(keyForSlot(slot), &error))
        return error;
    // A frame deep in a long interval (a contact frame two thirds into a
    // recording) is reached by decoding every picture before it. Kept, they
    // would each take fresh memory on the way, only to be pushed out again
    // by the later ones: the wait for the one picture asked for doubled.
    m_keepFrom = slot - keptBehind();
    while (!m_cache.count(slot) && !m_damaged[std::size_t(slot)])
        if (!decodeStep(slot, &error))
            break;
    m_keepFrom = 0;
    return error;
}

void FfmpegFrameSource::markDamaged(int slot)
{
    if (slot < 0 || slot >= int(m_damaged.size()))
        return;
    m_damaged[std::size_t(slot)] = 1;
    dropCached(slot);
}

// One packet into the decoder or one picture out of it, on the way to slot.
// False, with the reason, when slot cannot be had from where the decoder is.
bool FfmpegFrameSource::decodeStep(int slot, QString* error)
{
    auto undecodable = [&] {
        *error = QStringLiteral("Frame %1 of this video is damaged and cannot be decoded.")
                     .arg(m_slotStart[std::size_t(slot)]);
        return false;
    };
    auto tooLarge = [&] {
        av_frame_unref(m_frame);
        *error = QStringLiteral("The video's pictures are larger than we decode.");
        return false;
    };
    if (m_lockstep) {
        int index = -1;
        if (!readNextPacket(m_packet, &index)) {
            *error = QStringLiteral("The video ends before frame %1.")
                         .arg(m_slotStart[std::size_t(slot)]);
            return false;
        }
        m_nextSend = index + 1;
        int ret = avcodec_send_packet(m_codec, m_packet);
        av_packet_unref(m_packet);
        if (ret >= 0)
            ret = avcodec_receive_frame(m_codec, m_frame);
        const bool known = index >= 0 && index < int(m_packets.size());
        if (ret >= 0 && flaggedDamaged(m_frame)) {
            av_frame_unref(m_frame);
            ret = AVERROR_INVALIDDATA;
        }
        if (ret < 0) {
            // One packet, one picture: a damaged one leaves its frame
            // number empty and the numbering of the rest intact.
            avcodec_flush_buffers(m_codec);
            if (!known)
                return true;
            markDamaged(m_packetSlot[std::size_t(index)]);
            if (m_packetSlot[std::size_t(index)] == slot)
                return undecodable();
            return true;
        }
        if (!known) {
            av_frame_unref(m_frame);
            return true;
        }
        if (!withinLimits(m_frame->width, m_frame->height, m_limits))
            return tooLarge();
        ++m_stats.decoded;
        putCache(m_packetSlot[std::size_t(index)], m_frame);
        return true;
    }

    const int ret = avcodec_receive_frame(m_codec, m_frame);
    if (ret == 0) {
        if (!withinLimits(m_frame->width, m_frame->height, m_limits))
            return tooLarge();
        acceptFrame(m_frame);
        return true;
    }
    if (ret == AVERROR(EAGAIN)) {
        int index = -1;
        if (readNextPacket(m_packet, &index)) {
            m_nextSend = index + 1;
            // The packet's number rides through the decoder's reordering
            // on the picture it holds.
            if (m_chunkNumbered)
                m_packet->pts = m_packet->dts = index;
            const int sent = avcodec_send_packet(m_codec, m_packet);
            av_packet_unref(m_packet);
            // A packet the decoder refuses leaves a hole the pictures after
            // it in its interval lean on.
            if (sent < 0 && sent != AVERROR(EAGAIN) && index >= 0 && index < int(m_packets.size()))
                taintFrom(index);
            return true;
        }
        if (!m_drained) {
            m_drained = true;
            avcodec_send_packet(m_codec, nullptr);
            return true;
        }
        return undecodable();
    }
    if (ret == AVERROR_EOF) {
        if (m_drained)
            return undecodable();
        *error = QStringLiteral("The decoder stopped early.");
        return false;
    }
    // Any other error concerns one picture; the decoder goes on.
    return true;
}

int FfmpegFrameSource::prefetchInterval(int k) const
{
    const int c = m_prefetch.center;
    return k == 0 ? c : (k % 2 ? c + (k + 1) / 2 : c - k / 2);
}

bool FfmpegFrameSource::prefetchStep()
{
    if (m_slotStart.empty())
        return false;
    const int center = m_intervalOfSlot[std::size_t(m_position)];
    if (center != m_prefetch.center) {
        m_prefetch = Prefetch{};
        m_prefetch.center = center;
    }
    if (m_prefetch.done)
        return false;

    const int intervals = int(m_intervalStart.size());
    const int slotCount = int(m_slotStart.size());
    const int lastCursor = 2 * std::max(center, intervals - 1 - center);
    // Walking past cached frames costs no decoding but is bounded per call
    // all the same, so a long recording never stalls the screen.
    int walked = 0;
    while (m_prefetch.target < 0) {
        if (m_prefetch.cursor > lastCursor) {
            m_prefetch.done = true;
            return false;
        }
        const int iv = prefetchInterval(m_prefetch.cursor);
        if (iv < 0 || iv >= intervals) {
            ++m_prefetch.cursor;
            continue;
        }
        const int end = iv + 1 < intervals ? m_intervalStart[std::size_t(iv) + 1] : slotCount;
        if (m_prefetch.scan < 0)
            m_prefetch.scan = m_intervalStart[std::size_t(iv)];
        while (m_prefetch.scan < end &&
               (m_cache.count(m_prefetch.scan) || m_undecodable[std::size_t(m_prefetch.scan)] ||
                m_damaged[std::size_t(m_prefetch.scan)])) {
            ++m_prefetch.scan;
            if (++walked >= 4096)
                return true;
        }
        if (m_prefetch.scan >= end) {
            ++m_prefetch.cursor;
            m_prefetch.scan = -1;
            continue;
        }
        m_prefetch.target = m_prefetch.scan;
        m_prefetch.placed = false;
        m_prefetch.seek = false;
        // Enough for the whole interval with the decoder's delay; a picture
        // that has not come out by then (damage, a cut file) is given up.
        m_prefetch.budget = 2 * (end - m_intervalStart[std::size_t(iv)]) + 64;
    }

    const int target = m_prefetch.target;
    if (!makeRoomFor(target)) {
        m_prefetch.done = true;
        return false;
    }
    auto giveUp = [this, target] {
        m_undecodable[std::size_t(target)] = 1;
        m_prefetch.target = -1;
    };
    QString error;
    // Placed once per target: a decoder on its way carries on, even one
    // drained at the end of the stream that still holds pictures to give.
    if (!m_prefetch.placed) {
        m_prefetch.placed = true;
        if (m_prefetch.seek || !canCarryOn(target, true)) {
            m_prefetch.seek = true;
            if (!seekToPacket(keyForSlot(target), &error))
                giveUp();
            return true;
        }
    }
    const std::int64_t before = m_stats.decoded;
    m_prefetching = true;
    const bool ok = decodeStep(target, &error);
    m_prefetching = false;
    m_stats.prefetched += m_stats.decoded - before;
    if (m_cache.count(target) || m_damaged[std::size_t(target)]) {
        m_prefetch.target = -1;
    } else if (!ok && !m_prefetch.seek) {
        // Carried on and missed it: once more from its own key frame.
        m_prefetch.placed = false;
        m_prefetch.seek = true;
    } else if (!ok || --m_prefetch.budget <= 0) {
        giveUp();
    }
    return true;
}

bool FfmpegFrameSource::decodeToward(std::int64_t n)
{
    if (n < 0 || n >= m_props.frameCount)
        return false;
    const int slot = slotForFrame(n);
    if (m_cache.count(slot) || m_damaged[std::size_t(slot)] || m_undecodable[std::size_t(slot)])
        return false;
    QString error;
    if (!canCarryOn(slot)) {
        // Placed once: a decoder that went past n without keeping it gives up.
        if (m_towardSlot == slot) {
            m_undecodable[std::size_t(slot)] = 1;
            return false;
        }
        m_towardSlot = slot;
        if (!seekToPacket(keyForSlot(slot), &error)) {
            m_undecodable[std::size_t(slot)] = 1;
            return false;
        }
        return true;
    }
    // The picture to come out next is the first of its interval not kept
    // yet: room is made for it only by dropping a frame farther from the
    // position; else it is decoded on the way and let go.
    int next = m_intervalStart[std::size_t(m_intervalOfSlot[std::size_t(slot)])];
    while (next < slot && (m_cache.count(next) || m_damaged[std::size_t(next)]))
        ++next;
    makeRoomFor(next);
    const std::int64_t before = m_stats.decoded;
    m_prefetching = true;
    const bool ok = decodeStep(slot, &error);
    m_prefetching = false;
    m_stats.prefetched += m_stats.decoded - before;
    if (!ok) {
        // The next request for it decodes it from its key frame and says why.
        m_undecodable[std::size_t(slot)] = 1;
        return false;
    }
    return !m_cache.count(slot) && !m_damaged[std::size_t(slot)];
}

bool FfmpegFrameSource::makeRoomFor(int slot)
{
    // Frames nearer the position than the one wanted stay; a farther one
    // makes room for it. When none is farther the cache holds the nearest
    // frames it can, and decoding ahead is done.
    while (m_frameBytes > 0 && !m_cache.empty() &&
           m_cacheBytes + m_frameBytes > m_limits.cacheBytes) {
        const int want = std::abs(slot - m_position);
        int farthest = -1;
        for (const auto& entry : m_cache)
            if (farthest < 0 ||
                std::abs(entry.first - m_position) > std::abs(farthest - m_position))
                farthest = entry.first;
        if (std::abs(farthest - m_position) <= want)
            return false;
        dropCached(farthest);
    }
    return m_frameBytes <= m_limits.cacheBytes;
}

bool FfmpegFrameSource::leansOn(int packet, int damagedPacket) const
{
    if (packet < damagedPacket)
        return false;
    const int key = m_keyBefore[std::size_t(packet)];
    const int damagedKey = m_keyBefore[std::size_t(damagedPacket)];
    if (key == damagedKey)
        return true;
    // The B pictures sent right after the next key frame and shown before it
    // (an open group of pictures) still refer to the interval before.
    if (key <= damagedPacket || m_keyBefore[std::size_t(key - 1)] != damagedKey || packet == key)
        return false;
    if (m_chunkNumbered)
        return packet - key <= m_leading[std::size_t(key)];
    return m_packets[std::size_t(packet)].pts < m_packets[std::size_t(key)].pts;
}

void FfmpegFrameSource::taintFrom(int packet)
{
    if (packet >= m_taint)
        return;
    m_taint = packet;
    // Pictures already out may lean on it too: B pictures sent after an
    // anchor come out before it.
    for (const auto& [slot, p] : m_outputLog)
        if (leansOn(p, m_taint))
            markDamaged(slot);
}

void FfmpegFrameSource::acceptFrame(AVFrame* frame)
{
    ++m_stats.decoded;
    const int slotCount = int(m_slotStart.size());
    int slot = -1;
    int packet = -1; // the packet that held the picture
    if (m_chunkNumbered) {
        if (frame->pts >= 0 && frame->pts < std::int64_t(m_packets.size()))
            packet = int(frame->pts);
        if (m_outputs == 0) {
            // The first picture after the seek: the key picture itself, after
            // the B pictures before it that could not be decoded, or the
            // first of those B pictures when they could.
            m_nextDisplay = m_seekPacket;
            if (frame->pts == m_seekPacket)
                m_nextDisplay += m_leading[std::size_t(m_seekPacket)];
        }
        // An anchor picture has a known place. Pictures are numbered by
        // counting, so a picture the decoder dropped (damage) or made up
        // would shift every later number: such a count is caught here, the
        // frames since the last anchor are damaged, and counting goes on
        // from the anchor's true place.
        if (packet >= 0 && !m_packets[std::size_t(packet)].bidirectional) {
            const int expected = packet + m_leading[std::size_t(packet)];
            if (expected != m_nextDisplay) {
                for (int s = std::max(0, m_verifiedSlot + 1); s <= expected && s < slotCount; ++s)
                    markDamaged(s);
                taintFrom(std::max(m_seekPacket, m_verifiedPacket + 1));
                m_nextDisplay = expected;
            }
            m_verifiedSlot = expected;
            m_verifiedPacket = packet;
        }
        if (m_nextDisplay < slotCount)
            slot = m_nextDisplay;
        ++m_nextDisplay;
    } else {
        const std::int64_t pts =
            frame->pts != AV_NOPTS_VALUE ? frame->pts : frame->best_effort_timestamp;
        const auto it = m_slotByPts.find(pts);
        // Pictures before the key frame we sought to lean on frames we never
        // decoded (an open group of pictures): never keep them.
        if (it != m_slotByPts.end() && pts >= m_packets[std::size_t(m_seekPacket)].pts) {
            slot = it->second;
            packet = m_slotPacket[std::size_t(slot)];
            m_lastOutputPts = pts;
        }
    }
    ++m_outputs;
    if (packet >= 0 && flaggedDamaged(frame))
        taintFrom(packet);
    if (slot >= 0 && packet >= 0)
        m_outputLog.emplace_back(slot, packet);
    const bool damaged =
        slot >= 0 && (m_damaged[std::size_t(slot)] ||
                      (packet >= 0 && m_taint != INT_MAX && leansOn(packet, m_taint)));
    if (damaged)
        markDamaged(slot);
    if (slot >= 0 && !damaged && slot >= m_keepFrom)
        putCache(slot, frame);
    else
        av_frame_unref(frame);
}

void FfmpegFrameSource::putCache(int slot, AVFrame* frame)
{
    auto existing = m_cache.find(slot);
    if (existing != m_cache.end()) {
        av_frame_unref(frame);
        return;
    }
    AVFrame* kept = av_frame_alloc();
    if (!kept) {
        av_frame_unref(frame);
        return;
    }
    av_frame_move_ref(kept, frame);
    // A frame decoded ahead has not been looked at: it goes to the cold end,
    // behind everything the operator saw, so it is the first to make way.
    const auto at =
        m_prefetching ? m_lru.insert(m_lru.end(), slot) : m_lru.insert(m_lru.begin(), slot);
    CacheEntry e{kept, frameBytes(kept), at};
    m_frameBytes = e.bytes;
    m_cacheBytes += e.bytes;
    m_cache.emplace(slot, e);
    while (m_cacheBytes > m_limits.cacheBytes && m_lru.size() > 1)
        dropCached(m_lru.back());
}

void FfmpegFrameSource::dropCached(int slot)
{
    auto it = m_cache.find(slot);
    if (it == m_cache.end())
        return;
    m_lru.erase(it->second.lru);
    m_cacheBytes -= it->second.bytes;
    av_frame_free(&it->second.frame);
    m_cache.erase(it);
}

bool FfmpegFrameSource::isCached(std::int64_t n) const
{
    return n >= 0 && n < m_props.frameCount && m_cache.count(slotForFrame(n));
}

AVFrame* FfmpegFrameSource::cached(int slot)
{
    auto it = m_cache.find(slot);
    if (it == m_cache.end())
        return nullptr;
    m_lru.splice(m_lru.begin(), m_lru, it->second.lru);
    return it->second.frame;
}

void FfmpegFrameSource::clearCache()
{
    for (auto& [slot, e] : m_cache)
        av_frame_free(&e.frame);
    m_cache.clear();
    m_lru.clear();
    m_cacheBytes = 0;
    m_lastSlot = -1;
    m_lastPicture.reset();
    m_nextSend = -1;
    m_prefetch = Prefetch{};
}

FfmpegFrameSource::Stats FfmpegFrameSource::stats() const
{
    Stats s = m_stats;
    s.cachedBytes = m_cacheBytes;
    s.cachedFrames = int(m_cache.size());
    return s;
}

FrameResult FfmpegFrameSource::convert(const AVFrame* f)
{
    const int w = f->width, h = f->height;
    if (w <= 0 || h <= 0)
        return FrameResult::failure(FrameStatus::Failed,
                                    QStringLiteral("The decoder gave an empty picture."));
    const int range = f->color_range;
    const int space = f->colorspace;
    if (!m_sws || m_swsWidth != w || m_swsHeight != h || m_swsFormat != f->format ||
        m_swsRange != range || m_swsSpace != space) {
        sws_freeContext(m_sws);
        // The conversion the ffmpeg program itself uses for a picture of the
        // same size (bicubic, the default of its scaler), so an exported frame
        // matches ffmpeg's decode of it byte for byte.
        m_sws = sws_getContext(w, h, AVPixelFormat(f->format), w, h, AV_PIX_FMT_BGR24, SWS_BICUBIC,
                               nullptr, nullptr, nullptr);
        if (!m_sws)
            return FrameResult::failure(
                FrameStatus::Failed,
                QStringLiteral("The picture format %1 cannot be converted.")
                    .arg(QString::fromUtf8(av_get_pix_fmt_name(AVPixelFormat(f->format)))));
        if (range != AVCOL_RANGE_UNSPECIFIED) {
            int* invTable = nullptr;
            int* table = nullptr;
            int srcFull = 0, dstFull = 0, brightness = 0, contrast = 0, saturation = 0;
            sws_getColorspaceDetails(m_sws, &invTable, &srcFull, &table, &dstFull, &brightness,
                                     &contrast, &saturation);
            const int cs = (space >= 1 && space <= 7) ? space : AVCOL_SPC_BT470BG;
            sws_setColorspaceDetails(m_sws, sws_getCoefficients(cs), range == AVCOL_RANGE_JPEG,
                                     table, dstFull, brightness, contrast, saturation);
        }
        m_swsWidth = w;
        m_swsHeight = h;
        m_swsFormat = f->format;
        m_swsRange = range;
        m_swsSpace = space;
    }
    auto pic = std::make_shared<Picture>();
    pic->width = w;
    pic->height = h;
    pic->stride = Picture::strideFor(w);
    pic->bytes.assign(std::size_t(pic->stride) * std::size_t(h), 0);
    if (!m_conversion.convert(m_sws, f, AV_PIX_FMT_BGR24, w, h, pic->bytes.data(), pic->stride))
        return FrameResult::failure(FrameStatus::Failed,
                                    QStringLiteral("The picture could not be converted."));
    return FrameResult::shown(pic);
}

} // namespace korvel
