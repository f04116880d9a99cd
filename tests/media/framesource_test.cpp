#include "media/ffmpegframesource.h"
#include "media/frameexport.h"
#include "media/framerequests.h"
#include "tests/media/testvideos.h"
#include "tests/support/testdir.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <sys/resource.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <random>

using namespace korvel;
using korvel::test::RawAvi;

namespace
{

// Pixel data of frame n as the export writes it.
QByteArray exported(FrameSource& src, std::int64_t n)
{
    const FrameResult r = src.frame(n);
    if (!r)
        return {};
    return packedDib(*r.picture).mid(40);
}

std::unique_ptr<FfmpegFrameSource> openOrFail(const QString& path, FrameSourceLimits limits = {})
{
    OpenResult r = FfmpegFrameSource::open(path, limits);
    EXPECT_TRUE(r.source) << path.toStdString() << ": " << r.reason.toStdString();
    return std::unique_ptr<FfmpegFrameSource>(static_cast<FfmpegFrameSource*>(r.source.release()));
}

RawAvi rawClip(int frames)
{
    return RawAvi::solidClip(frames);
}

} // namespace

// Clips made once by the ffmpeg program for all tests of this suite.
class FfmpegClips : public ::testing::Test
{
protected:
    struct Clip {
        const char* name;
        QStringList codecArgs;
        int frames;
        int keyInterval;
    };
    static inline QTemporaryDir* s_dir = nullptr;
    static inline std::map<std::string, QString> s_paths;
    static inline QString s_failure;

    static std::vector<Clip> clips()
    {
        return {
            {"mjpeg.avi", {"-c:v", "mjpeg", "-q:v", "4"}, 24, 1},
            {"bgr24.avi", {"-c:v", "rawvideo", "-pix_fmt", "bgr24"}, 20, 1},
            {"h264.avi",
             {"-c:v", "libx264", "-g", "12", "-bf", "2", "-pix_fmt", "yuv420p"},
             40,
             12},
            {"mpeg4.avi", {"-c:v", "mpeg4", "-g", "12", "-bf", "2", "-q:v", "4"}, 40, 12},
            {"h264.mp4",
             {"-c:v", "libx264", "-g", "12", "-bf", "2", "-pix_fmt", "yuv420p"},
             40,
             12},
        };
    }

    static void SetUpTestSuite()
    {
        if (test::ffmpegProgram().isEmpty())
            return;
        s_dir = new QTemporaryDir;
        for (const Clip& c : clips()) {
            const QString path = s_dir->filePath(QString::fromLatin1(c.name));
            QString error;
            if (!test::makeTestClip(path, "160x120", 30, c.frames, c.codecArgs, &error))
                s_failure += QString::fromLatin1(c.name) + ": " + error;
            s_paths[c.name] = path;
        }
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }
    void SetUp() override
    {
        if (!s_dir)
            GTEST_SKIP() << "the ffmpeg program is not installed (apt-get install ffmpeg)";
        ASSERT_TRUE(s_failure.isEmpty()) << s_failure.toStdString();
    }
    static QString path(const char* name) { return s_paths[name]; }
};

TEST_F(FfmpegClips, EveryFrameWeExportIsTheFrameFfmpegDecodes)
{
    for (const Clip& c : clips()) {
        auto src = openOrFail(path(c.name));
        ASSERT_TRUE(src);
        ASSERT_EQ(src->properties().frameCount, c.frames) << c.name;
        EXPECT_EQ(src->properties().width, 160);
        EXPECT_EQ(src->properties().height, 120);
        EXPECT_EQ(src->properties().rateNumerator / std::max(1, src->properties().rateDenominator),
                  30);
        // First, last, both sides of a key frame, and a B-frame in between.
        for (int n : {0, 1, c.keyInterval - 1, c.keyInterval, c.frames / 2 + 1, c.frames - 1}) {
            const auto reference = test::ffmpegFramePixels(path(c.name), n, s_dir->path());
            ASSERT_TRUE(reference) << c.name << " frame " << n;
            const QByteArray ours = exported(*src, n);
            ASSERT_EQ(ours.size(), reference->size()) << c.name << " frame " << n;
            EXPECT_TRUE(ours == *reference) << c.name << " frame " << n << " differs from ffmpeg's";
        }
    }
}

TEST_F(FfmpegClips, AnyOrderOfRequestsGivesTheSamePictures)
{
    for (const char* name : {"h264.avi", "mpeg4.avi", "h264.mp4", "mjpeg.avi"}) {
        // Reference: one pass from the start.
        auto straight = openOrFail(path(name));
        ASSERT_TRUE(straight);
        const int count = int(straight->properties().frameCount);
        std::vector<QByteArray> reference;
        for (int n = 0; n < count; ++n)
            reference.push_back(exported(*straight, n));

        // A cache too small for one key-frame interval makes nearly every
        // request a seek; a roomy one makes most of them hits.
        for (std::int64_t cacheBytes : {std::int64_t(1), std::int64_t(64) << 20}) {
            FrameSourceLimits limits;
            limits.cacheBytes = cacheBytes;
            auto src = openOrFail(path(name), limits);
            std::vector<int> order;
            // Steps back after steps forward, both ends, then random jumps.
            for (int n :
                 {20, 21, 22, 23, 24, 25, 24, 23, 22, 21, 20, 19, 11, 12, 0, count - 1, count - 2})
                order.push_back(n);
            std::mt19937 rng(7);
            for (int k = 0; k < 40; ++k)
                order.push_back(int(rng() % unsigned(count)));
            order.erase(
                std::remove_if(order.begin(), order.end(), [count](int n) { return n >= count; }),
                order.end());
            for (int n : order)
                ASSERT_TRUE(exported(*src, n) == reference[std::size_t(n)])
                    << name << " frame " << n << " cache " << cacheBytes;
        }
    }
}

TEST_F(FfmpegClips, SteppingBackAfterSteppingForwardDecodesNothing)
{
    auto src = openOrFail(path("h264.avi"));
    ASSERT_TRUE(src);
    for (int n = 14; n <= 19; ++n)
        ASSERT_TRUE(src->frame(n));
    const auto before = src->stats();
    EXPECT_EQ(before.seeks, 1) << "one seek to the key frame at 12, then forward";
    for (int n = 18; n >= 12; --n)
        ASSERT_TRUE(src->frame(n));
    const auto after = src->stats();
    EXPECT_EQ(after.decoded, before.decoded);
    EXPECT_EQ(after.seeks, before.seeks);
    // Forward again from where the decoder stands: one picture a step.
    ASSERT_TRUE(src->frame(20));
    EXPECT_EQ(src->stats().seeks, before.seeks);
}

TEST_F(FfmpegClips, ACutFileGivesTheFramesItStillHolds)
{
    const QByteArray whole = test::readAll(path("mjpeg.avi"));
    const QString cut = s_dir->filePath("cut.avi");
    QFile f(cut);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(whole.left(whole.size() * 6 / 10));
    f.close();
    auto src = openOrFail(cut);
    ASSERT_TRUE(src);
    const std::int64_t count = src->properties().frameCount;
    EXPECT_GT(count, 5);
    EXPECT_LT(count, 24);
    auto full = openOrFail(path("mjpeg.avi"));
    EXPECT_TRUE(exported(*src, count - 1) == exported(*full, count - 1));
    EXPECT_FALSE(src->frame(count));
    EXPECT_FALSE(src->frame(23));
}

TEST_F(FfmpegClips, ADamagedPictureCostsOnlyItsOwnFrame)
{
    QByteArray bytes = test::readAll(path("mjpeg.avi"));
    // Scramble the middle of the eleventh picture's chunk.
    qsizetype at = bytes.indexOf("movi");
    for (int k = 0; k <= 10; ++k)
        at = bytes.indexOf("00dc", at + 1);
    ASSERT_GT(at, 0);
    const quint32 size = qFromLittleEndian<quint32>(bytes.constData() + at + 4);
    for (quint32 i = 2; i < size; ++i)
        bytes[at + 8 + i] = char((i * 37) & 0xff);
    const QString damaged = s_dir->filePath("damaged.avi");
    QFile f(damaged);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();

    auto src = openOrFail(damaged);
    auto good = openOrFail(path("mjpeg.avi"));
    ASSERT_TRUE(src && good);
    (void)src->frame(10); // a picture or an error, never a crash
    for (int n : {9, 11, 12, 23})
        EXPECT_TRUE(exported(*src, n) == exported(*good, n)) << "frame " << n;
}

namespace
{

// Every frame decoded from a cold cache, one seek to its key frame each.
std::vector<QByteArray> coldFrames(const QString& path)
{
    auto src = openOrFail(path);
    std::vector<QByteArray> frames;
    if (!src)
        return frames;
    for (std::int64_t n = 0; n < src->properties().frameCount; ++n) {
        src->clearCache();
        frames.push_back(exported(*src, n));
    }
    return frames;
}

// Decodes ahead until the source has nothing left to do; false when it never
// says so (a prefetch that does not end).
bool prefetchToEnd(FrameSource& src, const std::function<void()>& afterStep = {})
{
    for (int step = 0; step < 100000; ++step) {
        if (!src.prefetchStep())
            return true;
        if (afterStep)
            afterStep();
    }
    return false;
}

} // namespace

namespace
{

// The chunk of picture n in an AVI file made by ffmpeg (one video stream):
// offset of its data and its size.
std::pair<qsizetype, quint32> pictureChunk(const QByteArray& bytes, int n)
{
    qsizetype at = bytes.indexOf("movi");
    for (int k = 0; k <= n && at > 0; ++k) {
        const qsizetype dc = bytes.indexOf("00dc", at + 1);
        const qsizetype db = bytes.indexOf("00db", at + 1);
        at = (dc < 0 || (db >= 0 && db < dc)) ? db : dc;
    }
    if (at <= 0)
        return {-1, 0};
    return {at + 8, qFromLittleEndian<quint32>(bytes.constData() + at + 4)};
}

// One frame as a source answers it: the picture's pixels or "damaged".
struct Answer {
    bool damaged = false;
    QByteArray pixels; // empty: no picture
};

Answer answer(FrameSource& src, std::int64_t n)
{
    const FrameResult r = src.frame(n);
    if (r.damaged()) {
        EXPECT_FALSE(r.picture) << "a damaged frame comes without a picture";
        EXPECT_FALSE(r.error.isEmpty());
        return {true, {}};
    }
    return {false, r ? packedDib(*r.picture).mid(40) : QByteArray()};
}

} // namespace

// Whatever was decoded before, a frame number gives its own picture or says
// its frame is damaged: never the picture of another frame.
TEST_F(FfmpegClips, ADamagedFrameNeverShowsAnotherFramesPicture)
{
    struct Damage {
        const char* clip;
        int picture;     // chunk damaged
        double where;    // place in the chunk, as a share of its size
        int span;        // bytes changed from there
        int lastTouched; // the last frame the damage may reach
    };
    const Damage cases[] = {
        {"mjpeg.avi", 7, 0.02, 1, 7},  {"mjpeg.avi", 7, 0.1, 1, 7},   {"mjpeg.avi", 7, 0.3, 1, 7},
        {"mjpeg.avi", 7, 0.5, 1, 7},   {"mjpeg.avi", 7, 0.9, 1, 7},   {"mjpeg.avi", 0, 0.5, 40, 0},
        {"mjpeg.avi", 23, 0.4, 1, 23}, {"h264.avi", 20, 0.3, 1, 23},  {"h264.avi", 20, 0.6, 40, 23},
        {"h264.avi", 12, 0.5, 1, 23},  {"h264.avi", 14, 0.05, 1, 23}, {"h264.avi", 3, 0.5, 200, 11},
        {"bgr24.avi", 7, 0.5, 1, 7},
    };
    std::map<std::string, std::vector<QByteArray>> clean;
    for (const Damage& d : cases) {
        const std::string tag = std::string(d.clip) + " picture " + std::to_string(d.picture) +
                                " at " + std::to_string(d.where) + " x" + std::to_string(d.span);
        SCOPED_TRACE(tag);
        if (!clean.count(d.clip))
            clean[d.clip] = coldFrames(path(d.clip));
        const std::vector<QByteArray>& good = clean[d.clip];
        QByteArray bytes = test::readAll(path(d.clip));
        const auto [at, size] = pictureChunk(bytes, d.picture);
        ASSERT_GT(at, 0);
        const qsizetype from = at + qsizetype(size * d.where);
        for (int i = 0; i < d.span && from + i < at + qsizetype(size); ++i)
            bytes[from + i] = char(bytes[from + i] ^ (0x5a + i));
        const QString file =
            s_dir->filePath("damaged-" + QString::number(qHash(tag.c_str())) + ".avi");
        {
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        }
        const int count = int(good.size());

        // Each frame from a freshly opened file.
        std::vector<Answer> fresh;
        for (int n = 0; n < count; ++n) {
            auto src = openOrFail(file);
            ASSERT_TRUE(src);
            ASSERT_EQ(src->properties().frameCount, count);
            fresh.push_back(answer(*src, n));
            const Answer& a = fresh.back();
            if (a.damaged)
                continue;
            ASSERT_FALSE(a.pixels.isEmpty()) << "frame " << n;
            if (n < d.picture || n > d.lastTouched) {
                EXPECT_TRUE(a.pixels == good[std::size_t(n)]) << "untouched frame " << n;
            }
            for (int m = 0; m < count; ++m) {
                if (m != n) {
                    EXPECT_FALSE(a.pixels == good[std::size_t(m)])
                        << "frame " << n << " shows frame " << m;
                }
            }
        }

        // The same frames after others were decoded, in several orders.
        std::vector<std::vector<int>> orders(4);
        for (int n = 0; n < count; ++n) {
            orders[0].push_back(n);
            orders[1].push_back(count - 1 - n);
        }
        std::mt19937 rng(11);
        for (int k = 0; k < 3 * count; ++k)
            orders[2].push_back(int(rng() % unsigned(count)));
        // Each frame right after the one two frames on, with the cache emptied.
        for (int n = 0; n < count; ++n) {
            orders[3].push_back(-1 - std::min(count - 1, n + 2));
            orders[3].push_back(n);
        }
        for (std::size_t o = 0; o < orders.size(); ++o) {
            for (std::int64_t cacheBytes : {std::int64_t(1), std::int64_t(64) << 20}) {
                FrameSourceLimits limits;
                limits.cacheBytes = cacheBytes;
                auto src = openOrFail(file, limits);
                ASSERT_TRUE(src);
                for (int n : orders[o]) {
                    if (n < 0) {
                        (void)src->frame(-1 - n);
                        src->clearCache();
                        continue;
                    }
                    const Answer a = answer(*src, n);
                    if (a.damaged)
                        continue;
                    const Answer& f = fresh[std::size_t(n)];
                    EXPECT_FALSE(f.damaged) << "frame " << n << " in order " << o
                                            << " has a picture, freshly opened it is damaged";
                    EXPECT_TRUE(a.pixels == f.pixels)
                        << "frame " << n << " in order " << o << " cache " << cacheBytes;
                }
            }
        }
    }
}

TEST_F(FfmpegClips, FramesDecodedAheadAreTheFramesDecodedCold)
{
    const struct {
        const char* name;
        int position; // frame asked for before decoding ahead; -1: none since open
    } cases[] = {
        {"h264.avi", 20}, {"h264.avi", -1}, {"mpeg4.avi", 29}, {"h264.mp4", 17}, {"mjpeg.avi", 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " from frame " + std::to_string(c.position));
        const std::vector<QByteArray> reference = coldFrames(path(c.name));
        auto src = openOrFail(path(c.name));
        ASSERT_TRUE(src);
        if (c.position >= 0) {
            ASSERT_TRUE(src->frame(c.position));
        }
        ASSERT_TRUE(prefetchToEnd(*src));
        EXPECT_GT(src->stats().prefetched, 0);
        const auto before = src->stats();
        for (int n = 0; n < int(reference.size()); ++n) {
            EXPECT_TRUE(src->isCached(n)) << "frame " << n;
            ASSERT_TRUE(exported(*src, n) == reference[std::size_t(n)]) << "frame " << n;
        }
        EXPECT_EQ(src->stats().decoded, before.decoded) << "every frame came from the cache";
    }
}

TEST_F(FfmpegClips, ARequestDuringDecodingAheadIsServedFirst)
{
    const std::vector<QByteArray> reference = coldFrames(path("h264.avi"));
    auto src = openOrFail(path("h264.avi"));
    ASSERT_TRUE(src);
    FrameRequests requests(*src);
    for (int k = 0; k < 9; ++k)
        ASSERT_TRUE(requests.idle()) << "decoding ahead from frame 0 has only begun";
    ASSERT_FALSE(src->isCached(33));

    requests.request(33);
    const auto before = src->stats();
    EXPECT_FALSE(requests.idle()) << "a waiting request goes first";
    EXPECT_EQ(src->stats().decoded, before.decoded);
    const auto served = requests.serve();
    ASSERT_TRUE(served && *served);
    const QByteArray shown = packedDib(*served->picture).mid(40);
    EXPECT_TRUE(shown == reference[33]);

    // Decoding ahead resumes around the new position: its own interval
    // (24-35) and the next (36-39) before the one behind it (12-23).
    int steps = 0;
    while (!src->isCached(39) && requests.idle())
        ++steps;
    ASSERT_TRUE(src->isCached(39)) << "after " << steps << " steps";
    EXPECT_TRUE(src->isCached(34) && src->isCached(35));
    EXPECT_FALSE(src->isCached(18));
    ASSERT_TRUE(prefetchToEnd(*src));
    for (int n : {0, 11, 12, 18, 23, 33, 39})
        EXPECT_TRUE(exported(*src, n) == reference[std::size_t(n)]) << "frame " << n;
}

TEST_F(FfmpegClips, DecodingAheadKeepsToTheCacheAndToTheNearestFrames)
{
    const struct {
        const char* name;
        int position;
        int capFrames; // cache room in frames; 0: less than one frame
    } cases[] = {
        {"h264.avi", 20, 10}, {"h264.avi", 3, 5},  {"mpeg4.avi", 30, 7},
        {"mjpeg.avi", 12, 6}, {"h264.avi", 20, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(c.position) + ", room for " +
                     std::to_string(c.capFrames));
        std::int64_t frameBytes = 0;
        {
            auto probe = openOrFail(path(c.name));
            ASSERT_TRUE(probe && probe->frame(0));
            frameBytes = probe->stats().cachedBytes;
        }
        FrameSourceLimits limits;
        limits.cacheBytes = c.capFrames ? frameBytes * c.capFrames + frameBytes / 2 : 1;
        auto src = openOrFail(path(c.name), limits);
        ASSERT_TRUE(src && src->frame(c.position));
        const int count = int(src->properties().frameCount);
        std::int64_t most = 0;
        ASSERT_TRUE(prefetchToEnd(*src, [&] { most = std::max(most, src->stats().cachedBytes); }));
        if (c.capFrames)
            EXPECT_LE(most, limits.cacheBytes);
        else
            EXPECT_LE(most, frameBytes) << "one frame at most";
        // What is kept is the frames nearest the position, the shown one first.
        int farthestKept = 0, nearestMissing = count;
        for (int n = 0; n < count; ++n) {
            const int d = std::abs(n - c.position);
            if (src->isCached(n))
                farthestKept = std::max(farthestKept, d);
            else
                nearestMissing = std::min(nearestMissing, d);
        }
        EXPECT_LE(farthestKept, nearestMissing);
        if (c.capFrames) {
            EXPECT_GE(src->stats().cachedFrames, c.capFrames - 1);
        }
    }
}

TEST_F(FfmpegClips, AFrameDeepInAnIntervalKeepsOnlyTheFramesJustBeforeIt)
{
    // A video opened at its contact frame: the pictures on the way from the
    // key frame are let go but the last few, so the first picture comes
    // without filling the memory; decoding ahead then fills the interval.
    for (const char* name : {"h264.avi", "mpeg4.avi", "h264.mp4"}) {
        SCOPED_TRACE(name);
        auto reference = openOrFail(path(name));
        FrameSourceLimits limits;
        limits.keptOnTheWayBytes = 1; // the least: four frames
        auto src = openOrFail(path(name), limits);
        ASSERT_TRUE(reference && src);
        const int deep = 23; // key frames at 0, 12, 24
        ASSERT_TRUE(exported(*src, deep) == exported(*reference, deep));
        EXPECT_EQ(src->stats().cachedFrames, 5);
        for (int n = deep - 4; n <= deep; ++n)
            EXPECT_TRUE(src->isCached(n)) << n;
        EXPECT_FALSE(src->isCached(deep - 5));
        // Back over the frames kept: nothing decoded; one further: decoded
        // again from its key frame, the right picture.
        const auto before = src->stats();
        for (int n = deep - 1; n >= deep - 4; --n)
            ASSERT_TRUE(exported(*src, n) == exported(*reference, n)) << n;
        EXPECT_EQ(src->stats().decoded, before.decoded);
        ASSERT_TRUE(exported(*src, deep - 5) == exported(*reference, deep - 5));
        EXPECT_EQ(src->stats().seeks, before.seeks + 1);
        ASSERT_TRUE(prefetchToEnd(*src));
        for (int n = 12; n < 24; ++n)
            EXPECT_TRUE(src->isCached(n)) << "interval filled ahead: " << n;
    }
}

TEST_F(FfmpegClips, DecodingAheadInACutOrDamagedFileEnds)
{
    const QByteArray h264 = test::readAll(path("h264.avi"));
    const QByteArray mpeg4 = test::readAll(path("mpeg4.avi"));
    // The 20th picture's chunk scrambled, past its first bytes.
    auto scrambled = [](QByteArray bytes) {
        qsizetype at = bytes.indexOf("movi");
        for (int k = 0; k < 20 && at > 0; ++k)
            at = bytes.indexOf("00dc", at + 1);
        const quint32 size = at > 0 ? qFromLittleEndian<quint32>(bytes.constData() + at + 4) : 0;
        for (quint32 i = 4; i < size; ++i)
            bytes[at + 8 + i] = char((i * 53) & 0xff);
        return bytes;
    };
    const struct {
        const char* name;
        QByteArray bytes;
        const char* intact; // the clip whose first interval it still holds
    } cases[] = {
        {"h264-cut.avi", h264.left(h264.size() * 6 / 10), "h264.avi"},
        {"mpeg4-cut.avi", mpeg4.left(mpeg4.size() / 2), "mpeg4.avi"},
        {"h264-damaged.avi", scrambled(h264), "h264.avi"},
        {"mpeg4-damaged.avi", scrambled(mpeg4), "mpeg4.avi"},
        {"h264-junk-tail.avi", h264.left(h264.size() / 2) + QByteArray(h264.size() / 2, '\x5a'),
         "h264.avi"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = s_dir->filePath(QString::fromLatin1(c.name));
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.bytes);
        f.close();
        auto src = openOrFail(file);
        ASSERT_TRUE(src);
        (void)src->frame(src->properties().frameCount - 1); // a picture or an error
        EXPECT_TRUE(prefetchToEnd(*src));
        auto good = openOrFail(path(c.intact));
        ASSERT_GT(src->properties().frameCount, 9);
        for (int n : {0, 5, 8})
            EXPECT_TRUE(exported(*src, n) == exported(*good, n)) << "frame " << n;
    }
}

TEST(FrameSource, DroppedFrameChunksRepeatThePictureBeforeThem)
{
    test::TestDir t;
    RawAvi avi = rawClip(12);
    for (int dropped : {3, 4, 5, 10})
        avi.frames[std::size_t(dropped)].clear();
    // The same file with and without the index at its end: the numbering
    // must not depend on which of the two the frames were counted from.
    for (bool withIndex : {true, false}) {
        avi.withIndex = withIndex;
        ASSERT_TRUE(avi.write(t.file("drops.avi")));
        auto src = openOrFail(t.file("drops.avi"));
        ASSERT_TRUE(src);
        EXPECT_EQ(src->properties().frameCount, 12);
        EXPECT_EQ(src->pictureCount(), 8);
        const int shows[12] = {0, 1, 2, 2, 2, 2, 6, 7, 8, 9, 9, 11};
        for (int n = 0; n < 12; ++n)
            EXPECT_EQ(exported(*src, n), RawAvi::solidFrame(32, 16, shows[n]))
                << "frame " << n << (withIndex ? " (index)" : " (no index)");
    }
}

TEST(FrameSource, FramesOutsideTheVideoAreRefused)
{
    test::TestDir t;
    ASSERT_TRUE(rawClip(5).write(t.file("a.avi")));
    auto src = openOrFail(t.file("a.avi"));
    ASSERT_TRUE(src);
    for (std::int64_t n : {std::int64_t(-1), std::int64_t(5), std::int64_t(1) << 40}) {
        const FrameResult r = src->frame(n);
        EXPECT_FALSE(r) << n;
        EXPECT_FALSE(r.error.isEmpty());
    }
    EXPECT_TRUE(src->frame(4));
}

TEST(FrameSource, AShortChunkIsAnErrorForItsFrameOnly)
{
    test::TestDir t;
    RawAvi avi = rawClip(8);
    avi.frames[5].truncate(100);
    ASSERT_TRUE(avi.write(t.file("short.avi")));
    auto src = openOrFail(t.file("short.avi"));
    ASSERT_TRUE(src);
    EXPECT_FALSE(src->frame(5));
    for (int n : {4, 6, 7, 0})
        EXPECT_EQ(exported(*src, n), RawAvi::solidFrame(32, 16, n)) << n;
}

TEST(FrameSource, FilesThatAreNoVideoOfOursAreRefusedAtOpen)
{
    test::TestDir t;
    RawAvi audio = rawClip(3);
    audio.videoStream = false;
    RawAvi huge = rawClip(2);
    huge.headerWidth = 60000;
    huge.headerHeight = 60000;
    RawAvi unknown = rawClip(2);
    unknown.compression = "ZQX9";
    const struct {
        const char* name;
        QByteArray bytes;
        OpenFailure failure;
    } cases[] = {
        {"empty.avi", QByteArray(), OpenFailure::CannotOpen},
        {"notes.txt", QByteArray("Jump 1: 45.2 m\r\nJump 2: 47.9 m\r\n"), OpenFailure::CannotOpen},
        {"words.avi", QByteArray(4000, 'x'), OpenFailure::CannotOpen},
        {"head-only.avi", rawClip(3).bytes().left(300), OpenFailure::CannotOpen},
        {"audio.avi", audio.bytes(), OpenFailure::NoVideoStream},
        {"huge.avi", huge.bytes(), OpenFailure::TooLarge},
        {"unknown.avi", unknown.bytes(), OpenFailure::NoDecoder},
    };
    for (const auto& c : cases) {
        QFile f(t.file(c.name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.bytes);
        f.close();
        const OpenResult r = openVideo(t.file(c.name));
        EXPECT_FALSE(r.source) << c.name;
        EXPECT_EQ(int(r.failure), int(c.failure)) << c.name << ": " << r.reason.toStdString();
    }
    EXPECT_EQ(int(openVideo(t.file("missing.avi")).failure), int(OpenFailure::CannotOpen));
}

TEST(FrameSource, OnlyPlainFilesOnThisMachineAreOpened)
{
    test::TestDir t;
    ASSERT_TRUE(rawClip(3).write(t.file("a.avi")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(t.file("pipe.avi")).constData(), 0600), 0);
    QFile list(t.file("list.avi"));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write("ffconcat version 1.0\nfile 'a.avi'\nfile 'pipe.avi'\n");
    list.close();
    const struct {
        QString path;
        const char* why; // in the reason, or nullptr for any
    } cases[] = {
        {t.file("pipe.avi"), "pipe"}, // would wait for a writer for ever
        {"/dev/zero", "device"},
        {t.path(), "folder"},
        {t.file("list.avi"), nullptr}, // a list of other files is no recording
        // Names from a log line are names of files here, never addresses.
        {"http://127.0.0.1:9/jump.avi", nullptr},
        {"concat:" + t.file("a.avi") + "|" + t.file("a.avi"), nullptr},
        {"", nullptr},
    };
    for (const auto& c : cases) {
        const OpenResult r = openVideo(c.path);
        EXPECT_FALSE(r.source) << c.path.toStdString();
        EXPECT_EQ(int(r.failure), int(OpenFailure::CannotOpen)) << c.path.toStdString();
        if (c.why) {
            EXPECT_TRUE(r.reason.contains(QLatin1String(c.why))) << r.reason.toStdString();
        }
    }
    EXPECT_TRUE(openVideo(t.file("a.avi")).source);
}

TEST(FrameSource, AFileInMemoryGivesThePicturesOfTheFileOnDisk)
{
    test::TestDir t;
    RawAvi avi = rawClip(6);
    avi.frames[2].clear();
    ASSERT_TRUE(avi.write(t.file("m.avi")));
    auto onDisk = openOrFail(t.file("m.avi"));
    OpenResult inMemory = FfmpegFrameSource::openMemory(avi.bytes(), {});
    ASSERT_TRUE(onDisk);
    ASSERT_TRUE(inMemory.source) << inMemory.reason.toStdString();
    EXPECT_EQ(inMemory.source->properties().frameCount, 6);
    for (int n : {5, 0, 2, 3})
        EXPECT_EQ(exported(*inMemory.source, n), exported(*onDisk, n)) << n;
    EXPECT_FALSE(FfmpegFrameSource::openMemory(QByteArray(100, 'x'), {}).source);
}

TEST(FrameSource, ATagThatClaimsGigabytesCostsNoGigabytes)
{
    // A damaged AVI whose information list claims a tag of 1.8 GB: the
    // libraries take its size on trust and allocated and cleared all of it,
    // on disk and in memory alike, for a file of a few kilobytes.
    RawAvi clip = RawAvi::solidClip(3);
    const QByteArray clean = clip.bytes();
    const qsizetype hdrl = clean.indexOf("LIST", 12);
    ASSERT_GT(hdrl, 0);
    const qsizetype after = hdrl + 8 + qFromLittleEndian<quint32>(clean.constData() + hdrl + 4);
    const QByteArray info = QByteArray("LIST\xf0\xff\xff\x7f"
                                       "INFOISFT\x00\x00\x00\x70",
                                       20) +
                            "abc";
    const QByteArray damaged = clean.left(after) + info + clean.mid(after);
    test::TestDir t;
    QFile f(t.file("tag.avi"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(damaged) == damaged.size());
    f.close();

    auto peakMb = [] {
        rusage u{};
        getrusage(RUSAGE_SELF, &u);
        return std::int64_t(u.ru_maxrss) / 1024;
    };
    const std::int64_t before = peakMb();
    const OpenResult onDisk = openVideo(t.file("tag.avi"));
    const OpenResult inMemory = FfmpegFrameSource::openMemory(damaged, {});
    EXPECT_LT(peakMb() - before, 400) << "megabytes taken for a tag nobody reads";
    // Whatever the libraries make of the rest, a picture shown is the right one.
    for (const OpenResult* r : {&onDisk, &inMemory}) {
        if (!r->source)
            continue;
        if (const FrameResult frame = r->source->frame(1); frame) {
            EXPECT_EQ(RawAvi::solidFrameNumber(*frame.picture), 1);
        }
    }
}

namespace
{

// A source that only counts what it was asked to decode.
class CountingSource : public FrameSource
{
public:
    CountingSource() { m_props.frameCount = 100; }
    const VideoProperties& properties() const override { return m_props; }
    FrameResult frame(std::int64_t n) override
    {
        decoded.push_back(n);
        if (n < 0 || n >= 100)
            return FrameResult::failure(FrameStatus::NotInVideo, QStringLiteral("out"));
        return FrameResult::shown(std::make_shared<Picture>());
    }
    std::vector<std::int64_t> decoded;

private:
    VideoProperties m_props;
};

} // namespace

TEST(FrameRequests, OnlyTheLatestRequestIsDecoded)
{
    CountingSource src;
    FrameRequests requests(src);
    EXPECT_FALSE(requests.serve());
    // A held key asks three times before the screen gets to draw.
    requests.request(10);
    requests.request(11);
    requests.request(12);
    EXPECT_EQ(requests.wanted(), 12);
    ASSERT_TRUE(requests.pending());
    auto served = requests.serve();
    ASSERT_TRUE(served && *served);
    EXPECT_EQ(src.decoded, std::vector<std::int64_t>{12});
    EXPECT_EQ(requests.superseded(), 2);
    EXPECT_EQ(requests.shown(), 12);
    EXPECT_FALSE(requests.serve()) << "nothing new asked";

    requests.request(200);
    served = requests.serve();
    ASSERT_TRUE(served);
    EXPECT_FALSE(*served);
    EXPECT_EQ(requests.shown(), 12) << "a failed request leaves the shown picture";
}

// An index cut short or damaged does not lose frames: the chunks of the movie
// list are what the file holds.
TEST_F(FfmpegClips, AnIncompleteOrDamagedIndexLosesNoFrames)
{
    test::TestDir t;
    RawAvi raw = rawClip(20);
    raw.frames[9].clear(); // a dropped frame: shows frame 8
    ASSERT_TRUE(raw.write(t.file("raw.avi")));
    enum Damage { CutInIndex, OffsetsWrong, EntriesZeroed, ExtraEntry };
    const struct {
        const char* name;
        QString path;
    } clips[] = {
        {"raw", t.file("raw.avi")},
        {"mjpeg", path("mjpeg.avi")},
        {"h264", path("h264.avi")},
    };
    for (const auto& c : clips) {
        const std::vector<QByteArray> reference = coldFrames(c.path);
        ASSERT_FALSE(reference.empty());
        const QByteArray whole = test::readAll(c.path);
        const qsizetype idx1 = whole.lastIndexOf("idx1");
        ASSERT_GT(idx1, 0) << c.name;
        for (Damage d : {CutInIndex, OffsetsWrong, EntriesZeroed, ExtraEntry}) {
            SCOPED_TRACE(std::string(c.name) + " damage " + std::to_string(int(d)));
            QByteArray bytes = whole;
            const qsizetype entries = idx1 + 8;
            if (d == CutInIndex) {
                bytes.truncate(entries + 5 * 16); // 5 entries left
            } else if (d == ExtraEntry) {
                // The first entry again at the end: one frame more than the
                // file holds, showing the first picture.
                ASSERT_EQ(bytes.size(),
                          entries + qFromLittleEndian<quint32>(bytes.constData() + idx1 + 4));
                bytes += bytes.mid(entries, 16);
                qToLittleEndian<quint32>(quint32(bytes.size() - entries), bytes.data() + idx1 + 4);
                qToLittleEndian<quint32>(quint32(bytes.size() - 8), bytes.data() + 4);
            } else {
                for (qsizetype e = entries + 5 * 16; e + 16 <= bytes.size(); e += 16) {
                    if (d == OffsetsWrong) {
                        const quint32 offset =
                            qFromLittleEndian<quint32>(bytes.constData() + e + 8);
                        qToLittleEndian<quint32>(offset + 1000, bytes.data() + e + 8);
                    } else {
                        std::fill(bytes.begin() + e, bytes.begin() + e + 16, '\0');
                    }
                }
            }
            QFile f(t.file("damaged.avi"));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(bytes);
            f.close();
            auto src = openOrFail(t.file("damaged.avi"));
            ASSERT_TRUE(src);
            ASSERT_EQ(src->properties().frameCount, std::int64_t(reference.size()));
            // Every frame, the last first, then from the start.
            std::vector<int> order{int(reference.size()) - 1};
            for (int n = 0; n < int(reference.size()); ++n)
                order.push_back(n);
            for (int n : order)
                EXPECT_TRUE(exported(*src, n) == reference[std::size_t(n)]) << "frame " << n;
        }
    }
}
