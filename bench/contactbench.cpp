// The proposed first contact against the truth: seeded test-camera jumps with
// varied touch-down frames and points, filmed plain, under a passing cloud,
// with sensor noise and with a second boat and its wake, each encoded as
// MJPEG and as H.264 with a key frame every 250 frames. Prints how many
// proposals fall within one frame of the true touch-down and within 3 pixels
// of its point, per codec and condition, and the time from opening a
// 5-second 720p recording to its proposal.
//   korvel-contact-bench WORKDIR [JUMPS_PER_CONDITION]
//   korvel-contact-bench WORKDIR one SEED CONDITION   (one jump, both codecs)
//   korvel-contact-bench WORKDIR timing               (the 720p timing only)

#include "capture/testcamerascene.h"
#include "review/contactfinder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

using namespace korvel;

namespace
{

struct Codec {
    const char* name;
    QStringList args;
};

const std::vector<Codec>& codecs()
{
    static const std::vector<Codec> list = {
        {"MJPEG", {"-c:v", "mjpeg", "-q:v", "4", "-pix_fmt", "yuvj420p"}},
        {"H.264 key/250", {"-c:v", "libx264", "-g", "250", "-bf", "2", "-pix_fmt", "yuv420p"}},
    };
    return list;
}

struct Condition {
    const char* name;
    std::vector<TestConditions::Kind> kinds;
};

const std::vector<Condition>& conditions()
{
    static const std::vector<Condition> list = {
        {"plain", {}},
        {"cloud", {TestConditions::Kind::Cloud}},
        {"noise", {TestConditions::Kind::Noise}},
        {"boat", {TestConditions::Kind::Boat}},
        {"all 3",
         {TestConditions::Kind::Cloud, TestConditions::Kind::Noise, TestConditions::Kind::Boat}},
    };
    return list;
}

// What the camera films besides the jump, every kind of the condition at once.
TestConditions filmed(const Condition& c, std::uint64_t seed)
{
    TestConditions all;
    for (const TestConditions::Kind k : c.kinds) {
        const TestConditions one = TestConditions::fromSeed(k, seed);
        if (k == TestConditions::Kind::Cloud) {
            all.cloudStartSeconds = one.cloudStartSeconds;
            all.cloudSeconds = one.cloudSeconds;
            all.cloudDimming = one.cloudDimming;
        } else if (k == TestConditions::Kind::Noise) {
            all.noise = one.noise;
            all.noiseSeed = one.noiseSeed;
        } else {
            all.boat = true;
            all.boatStartX = one.boatStartX;
            all.boatY = one.boatY;
            all.boatSpeed = one.boatSpeed;
        }
    }
    return all;
}

std::unique_ptr<QProcess> startEncoder(const QString& path, QSize size, int rate, const Codec& c)
{
    auto p = std::make_unique<QProcess>();
    p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList args = {"-y",       "-v",
                        "error",    "-nostdin",
                        "-f",       "rawvideo",
                        "-pix_fmt", "bgra",
                        "-s",       QStringLiteral("%1x%2").arg(size.width()).arg(size.height()),
                        "-r",       QString::number(rate),
                        "-i",       "-"};
    args += c.args;
    args << path;
    p->start(QStringLiteral("ffmpeg"), args);
    if (!p->waitForStarted())
        return nullptr;
    return p;
}

// Films the jump into one file per codec.
bool film(const QStringList& paths, QSize size, int rate, double seconds, const TestFlight& flight,
          const TestConditions& conditions)
{
    std::vector<std::unique_ptr<QProcess>> encoders;
    for (std::size_t k = 0; k < codecs().size(); ++k)
        if (auto e = startEncoder(paths[qsizetype(k)], size, rate, codecs()[k]))
            encoders.push_back(std::move(e));
        else
            return false;
    const TestCameraScene scene(size);
    const int frames = int(std::lround(seconds * rate));
    for (int n = 0; n < frames; ++n) {
        const QImage img = scene.frame(n, rate, std::uint32_t(n), flight, conditions);
        for (auto& e : encoders) {
            e->write(reinterpret_cast<const char*>(img.constBits()), img.sizeInBytes());
            while (e->bytesToWrite() > 0)
                e->waitForBytesWritten(-1);
        }
    }
    bool ok = true;
    for (auto& e : encoders) {
        e->closeWriteChannel();
        ok = e->waitForFinished(-1) && e->exitCode() == 0 && ok;
    }
    return ok;
}

QPolygonF buoyArea(QSize size)
{
    // The sample lake's four grid buoys as the test camera sees them.
    return TestCameraScene(size).landingArea();
}

int timing(const QDir& work, int rate)
{
    for (const bool splash : {true, false}) {
        // Open to proposal on a 5-second 720p recording, touch-down at 2 s.
        const QSize hd(1280, 720);
        TestFlight flight;
        flight.splashSeconds = splash ? 0.5 : 0.0;
        QStringList paths;
        for (std::size_t k = 0; k < codecs().size(); ++k)
            paths << work.filePath(QStringLiteral("hd-%1.avi").arg(k));
        if (!film(paths, hd, rate, 5.0, flight, {}))
            return 1;
        ContactSearch hdSearch;
        hdSearch.landingArea = buoyArea(hd);
        std::printf(splash
                        ? "\nopen to proposal, 5 s of 1280x720 at 30 frames a second, touch-down "
                          "at 2 s (best of 3):\n"
                        : "\nno splash that stays: the whole recording read (best of 3):\n");
        for (int k = 0; k < int(codecs().size()); ++k) {
            qint64 best = -1;
            ContactProposal p;
            for (int run = 0; run < 3; ++run) {
                QElapsedTimer clock;
                clock.start();
                p = findContact(paths[k], hdSearch);
                const qint64 ms = clock.elapsed();
                best = best < 0 ? ms : std::min(best, ms);
            }
            // Beside it: opening and decoding the same frames alone.
            qint64 decodeBest = -1;
            for (int run = 0; run < 3; ++run) {
                QElapsedTimer clock;
                clock.start();
                FrameSourceLimits limits;
                limits.cacheBytes = 64LL * 1024 * 1024;
                OpenResult opened = openVideo(paths[k], limits);
                for (std::int64_t n = 0; opened.source && n < p.framesRead; ++n)
                    opened.source->frame(n);
                const qint64 ms = clock.elapsed();
                decodeBest = decodeBest < 0 ? ms : std::min(decodeBest, ms);
            }
            std::printf("%-14s %5lld ms, decoding alone %5lld ms (x%.2f)  (frame %s of truth %lld, "
                        "%lld frames read)\n",
                        codecs()[std::size_t(k)].name, (long long)best, (long long)decodeBest,
                        decodeBest > 0 ? double(best) / double(decodeBest) : 0.0,
                        p.frame ? qPrintable(QString::number(*p.frame)) : "none",
                        (long long)flight.touchdownFrame(rate), (long long)p.framesRead);
            QFile::remove(paths[k]);
        }
    }
    return 0;
}

struct Tally {
    int jumps = 0, frameExact = 0, frameRight = 0, pointRight = 0;
    double worstMiss = 0; // pixels, of the proposals within one frame
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: korvel-contact-bench WORKDIR [JUMPS_PER_CONDITION]\n");
        return 2;
    }
    const QDir work(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(work.path());
    const int perCondition = argc > 2 ? std::atoi(argv[2]) : 14;
    const QSize size(640, 480);
    const int rate = 30;
    ContactSearch search;
    search.landingArea = buoyArea(size);

    if (argc > 2 && QByteArray(argv[2]) == "timing")
        return timing(work, rate);
    if (argc > 4 && QByteArray(argv[2]) == "one") {
        const std::uint64_t seed = std::strtoull(argv[3], nullptr, 10);
        const int c = std::atoi(argv[4]);
        TestFlight flight = TestFlight::fromSeed(seed);
        flight.splashSeconds = 0.5;
        const TestConditions cond = filmed(conditions()[std::size_t(c)], seed);
        QStringList paths;
        for (std::size_t k = 0; k < codecs().size(); ++k)
            paths << work.filePath(QStringLiteral("one-%1.avi").arg(k));
        for (const QString& p : paths)
            QFile::remove(p);
        film(paths, size, rate, 3.0, flight, cond);
        std::printf("truth %lld (%.1f, %.1f)\n", (long long)flight.touchdownFrame(rate),
                    TestCameraScene(size).touchdownPixel(flight).x(),
                    TestCameraScene(size).touchdownPixel(flight).y());
        for (const QString& p : paths) {
            const ContactProposal r = findContact(p, search);
            std::printf("%s: %s (%.1f, %.1f) %s\n", qPrintable(p),
                        r.frame ? qPrintable(QString::number(*r.frame)) : "none", r.pixel.x(),
                        r.pixel.y(), qPrintable(r.reason));
        }
        return 0;
    }
    std::map<std::pair<int, int>, Tally> tallies; // codec, condition
    std::uint64_t seed = 1000;
    for (int c = 0; c < int(conditions().size()); ++c) {
        for (int j = 0; j < perCondition; ++j, ++seed) {
            TestFlight flight = TestFlight::fromSeed(seed);
            flight.splashSeconds = 0.5;
            const TestConditions cond = filmed(conditions()[std::size_t(c)], seed);
            QStringList paths;
            for (std::size_t k = 0; k < codecs().size(); ++k)
                paths << work.filePath(QStringLiteral("jump-%1-%2.avi").arg(seed).arg(k));
            if (!film(paths, size, rate, 3.0, flight, cond)) {
                std::fprintf(stderr, "could not film seed %llu\n", (unsigned long long)seed);
                return 1;
            }
            const std::int64_t truthFrame = flight.touchdownFrame(rate);
            const QPointF truthPixel = TestCameraScene(size).touchdownPixel(flight);
            for (int k = 0; k < int(codecs().size()); ++k) {
                const ContactProposal p = findContact(paths[k], search);
                Tally& t = tallies[{k, c}];
                ++t.jumps;
                const bool frameRight = p.frame && std::abs(*p.frame - truthFrame) <= 1;
                const double miss =
                    p.frame ? std::hypot(p.pixel.x() - truthPixel.x(), p.pixel.y() - truthPixel.y())
                            : 1e9;
                const bool pointRight = frameRight && miss <= 3.0;
                t.frameRight += frameRight;
                t.pointRight += pointRight;
                t.frameExact += p.frame && *p.frame == truthFrame;
                if (frameRight)
                    t.worstMiss = std::max(t.worstMiss, miss);
                if (!pointRight)
                    std::printf("  miss: seed %llu %s %s: truth %lld (%.1f, %.1f), proposed %s "
                                "(%.1f, %.1f) %s\n",
                                (unsigned long long)seed, codecs()[std::size_t(k)].name,
                                conditions()[std::size_t(c)].name, (long long)truthFrame,
                                truthPixel.x(), truthPixel.y(),
                                p.frame ? qPrintable(QString::number(*p.frame)) : "none",
                                p.pixel.x(), p.pixel.y(), qPrintable(p.reason));
                QFile::remove(paths[k]);
            }
        }
    }
    std::printf("\n%-14s %-7s %6s %12s %15s %18s %12s\n", "codec", "light", "jumps", "frame exact",
                "frame within 1", "point within 3 px", "worst miss");
    Tally all;
    auto row = [](const char* codec, const char* light, const Tally& t) {
        std::printf("%-14s %-7s %6d %11.1f%% %14.1f%% %17.1f%% %9.2f px\n", codec, light, t.jumps,
                    100.0 * t.frameExact / t.jumps, 100.0 * t.frameRight / t.jumps,
                    100.0 * t.pointRight / t.jumps, t.worstMiss);
    };
    for (const auto& [key, t] : tallies) {
        row(codecs()[std::size_t(key.first)].name, conditions()[std::size_t(key.second)].name, t);
        all.jumps += t.jumps;
        all.frameExact += t.frameExact;
        all.frameRight += t.frameRight;
        all.pointRight += t.pointRight;
        all.worstMiss = std::max(all.worstMiss, t.worstMiss);
    }
    row("all", "", all);

    return timing(work, rate);
}
