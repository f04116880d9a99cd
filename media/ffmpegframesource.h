#pragma once
// The frame source over the FFmpeg libraries.
//
// On open the packets of the first video stream are indexed once (from the
// container's own index when an AVI file has one, else by one pass over the
// packets), so every frame number maps to the packet that holds its picture
// and to the key frame decoding has to start from. A frame that is not cached
// costs a seek to that key frame and decoding forward, at most one key-frame
// interval; every frame decoded on the way is kept, so stepping back after
// stepping forward, or back through an interval just decoded, is a cache hit.
//
// While the screen is idle, prefetchStep() fills the cache ahead of the
// operator: the key-frame interval around the position first, then the next
// and the previous ones alternately, one picture per call. When the cache is
// full it only makes room by dropping a frame farther from the position than
// the one it is after, so what it holds is always the frames nearest the
// position. A jump after that is a cache hit instead of up to an interval of
// decoding.

#include "media/avichunks.h"
#include "media/conversion.h"
#include "media/framesource.h"

#include <QByteArray>

#include <climits>
#include <cstdint>
#include <list>
#include <memory>
#include <unordered_map>
#include <vector>

struct AVFormatContext;
struct AVIOContext;
struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;

namespace korvel
{

class FfmpegFrameSource : public FrameSource
{
public:
    ~FfmpegFrameSource() override;
    FfmpegFrameSource(const FfmpegFrameSource&) = delete;
    FfmpegFrameSource& operator=(const FfmpegFrameSource&) = delete;

    static OpenResult open(const QString& path, const FrameSourceLimits& limits);
    // The same over a file held in memory (the fuzzers feed it that way).
    static OpenResult openMemory(const QByteArray& bytes, const FrameSourceLimits& limits);

    const VideoProperties& properties() const override { return m_props; }
    FrameResult frame(std::int64_t n) override;
    bool prefetchStep() override;
    bool independentFrames() const override { return m_lockstep; }
    bool isDecoded(std::int64_t n) const override { return isCached(n); }
    bool decodeToward(std::int64_t n) override;

    // What the engine did, for the benchmark and the tests.
    struct Stats {
        std::int64_t decoded = 0; // frames out of the decoder
        std::int64_t seeks = 0;
        std::int64_t cacheHits = 0;  // frames served without decoding
        std::int64_t prefetched = 0; // of the decoded frames, those decoded ahead while idle
        std::int64_t cachedBytes = 0;
        int cachedFrames = 0;
    };
    Stats stats() const;
    // Forgets every decoded frame (the next request decodes from a key frame).
    void clearCache();
    // Frame numbers whose picture lies in a chunk of its own (not a repeat).
    std::int64_t pictureCount() const { return std::int64_t(m_slotStart.size()); }
    // Whether frame n's picture is decoded and kept.
    bool isCached(std::int64_t n) const;

private:
    FfmpegFrameSource() = default;
    static OpenResult openInput(std::unique_ptr<FfmpegFrameSource> src, const QByteArray& url,
                                const FrameSourceLimits& limits);
    static int readMemory(void* opaque, std::uint8_t* buf, int size);
    static std::int64_t seekMemory(void* opaque, std::int64_t offset, int whence);

    struct PacketEntry {
        std::int64_t dts = 0;
        std::int64_t pts = 0;
        std::int64_t pos = -1;
        bool key = false;
        bool bidirectional = false; // a B picture: shown before the anchor sent ahead of it
    };
    struct CacheEntry {
        AVFrame* frame = nullptr;
        std::int64_t bytes = 0;
        std::list<int>::iterator lru;
    };

    void repairAviIndex();
    bool buildIndexFromContainer();
    bool buildIndexFromPackets();
    void finishIndex();
    int slotForFrame(std::int64_t n) const;
    int packetForDts(std::int64_t dts, std::int64_t pos) const;

    int keyForSlot(int slot) const;
    bool canCarryOn(int slot, bool drainedToo = false) const;
    QString decodeSlot(int slot);
    int keptBehind() const;
    bool decodeStep(int slot, QString* error);
    void markDamaged(int slot);
    bool leansOn(int packet, int damagedPacket) const;
    void taintFrom(int packet);
    int prefetchInterval(int k) const;
    bool makeRoomFor(int slot);
    bool seekToPacket(int packet, QString* error);
    bool readNextPacket(AVPacket* pkt, int* index);
    void acceptFrame(AVFrame* frame);
    void putCache(int slot, AVFrame* frame);
    void dropCached(int slot);
    AVFrame* cached(int slot);
    FrameResult convert(const AVFrame* frame);

    QString m_path;
    QByteArray m_bytes; // a file in memory, read through m_io
    AVIOContext* m_io = nullptr;
    std::int64_t m_ioPos = 0;
    FrameSourceLimits m_limits;
    VideoProperties m_props;
    AVFormatContext* m_format = nullptr;
    AVCodecContext* m_codec = nullptr;
    AVPacket* m_packet = nullptr;
    AVFrame* m_frame = nullptr;
    SwsContext* m_sws = nullptr;
    ConversionBuffer m_conversion;
    int m_swsWidth = 0, m_swsHeight = 0, m_swsFormat = -1, m_swsRange = -1, m_swsSpace = -1;
    int m_stream = -1;
    bool m_isAvi = false;
    bool m_chunkNumbered =
        false;               // a packet's dts is its chunk index (AVI), else outputs are counted
    bool m_lockstep = false; // intra-only: one packet in, one picture out
    // The AVI index was incomplete or wrong and was rebuilt from the chunks;
    // per chunk, what the old index said of a key frame (-1: nothing).
    bool m_indexRepaired = false;
    std::vector<signed char> m_chunkKey;
    std::vector<AviChunk> m_repairedChunks;

    // Packets in decode order, and the pictures ("slots") in display order.
    std::vector<PacketEntry> m_packets;
    std::vector<int> m_keyBefore;          // per packet: last key packet at or before it
    std::vector<int> m_leading;            // per key packet: B pictures after it shown before it
    std::vector<int> m_keyForSlot;         // counted mode: the key to decode a slot from
    std::vector<std::int64_t> m_slotStart; // first frame number showing each slot
    std::vector<int> m_slotPacket;         // packet holding each slot's picture
    std::vector<int> m_packetSlot;
    std::unordered_map<std::int64_t, int> m_slotByPts;
    // Key-frame intervals: runs of slots decoded from the same key packet.
    std::vector<int> m_intervalStart; // first slot of each interval
    std::vector<int> m_intervalOfSlot;

    // Decoder position: the next packet to send and what came out since the seek.
    int m_nextSend = -1;
    int m_seekPacket = -1;
    int m_outputs = 0;
    int m_nextDisplay = 0; // counted mode: slot of the next picture out of the decoder
    std::int64_t m_lastOutputPts = INT64_MIN;
    bool m_drained = false;
    // Damage since the seek: the last anchor whose place the count of
    // pictures confirmed, the first damaged packet, the pictures out so far.
    int m_verifiedSlot = -1;
    int m_verifiedPacket = -1;
    int m_taint = INT_MAX;
    std::vector<std::pair<int, int>> m_outputLog; // slot, packet
    bool m_havePending = false;                   // m_packet holds a read packet not yet sent
    int m_pendingIndex = -1;

    std::unordered_map<int, CacheEntry> m_cache;
    std::list<int> m_lru; // most recent first
    std::int64_t m_cacheBytes = 0;
    int m_lastSlot = -1;
    PicturePtr m_lastPicture;
    std::int64_t m_frameBytes = 0; // size of the last frame cached: what one more will take

    // Decoding ahead: plan step `cursor` visits the intervals around `center`
    // outward (0, +1, -1, +2, -2, ...); `scan` walks the current interval for
    // a slot not yet cached, `target`, which gets `budget` steps to come out.
    int m_position = 0; // slot last asked for
    struct Prefetch {
        int center = -1;
        int cursor = 0;
        int scan = -1;
        int target = -1;
        int budget = 0;
        bool placed = false; // the decoder stands where target will come out
        bool seek = false;   // placed by a seek to target's own key frame
        bool done = false;
    } m_prefetch;
    bool m_prefetching = false; // frames now decoded go to the cache's cold end
    // While a request decodes its way from a key frame, pictures before this
    // slot are let go as they come out (see decodeSlot()).
    int m_keepFrom = 0;
    int m_towardSlot = -1;           // the slot decodeToward() last placed the decoder for
    std::vector<char> m_undecodable; // per slot: decoding ahead gave up on it
    std::vector<char> m_damaged;     // per slot: its picture is damaged in the file
    Stats m_stats;
};

} // namespace korvel
