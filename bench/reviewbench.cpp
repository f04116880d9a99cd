// korvel-review-bench: the review screen with an arrow key held down.
// For each video, once as before (each step decoded when it is served) and
// once decoding ahead of the held key beside the screen, it opens frmSetStart
// on it (as from the log viewer) two thirds in, lets the player decode ahead
// for half a second, holds the left arrow for three seconds from three
// quarters in, and the right arrow from the start, and reports: frames moved
// (ten a second is one a poll of Timer2),
// whether every frame painted was the frame whose number was shown beneath
// it (each compared byte for byte with a decode of its own), and the time
// from a step to its picture painted, median and worst, beside the time one
// decode takes (the next frame after the one before, and a cold frame from
// its key frame), the most the pictures decoded ahead held, and the time from
// opening the video at a frame two thirds in to that frame's picture, beside
// a source just opened decoding that frame (medians of three). Run it under a real X server
// (xvfb-run) so "painted" means on screen.

#include "bench/median.h"
#include "media/ffmpegframesource.h"
#include "media/frameexport.h"
#include "review/mediaplayer.h"
#include "review/setstartscreen.h"
#include "shell/consoleprompt.h"
#include "shell/settings.h"
#include "shell/sharedstate.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

using namespace korvel;
using korvel::bench::median;

namespace
{

// The bench steps through videos on the review screen alone.
struct StaysOnReview : ReviewListener {
    void showMeasure() override {}
    void showGridSetup() override {}
    void showCapture() override {}
    void showMainScreen() override {}
    void openLogViewer() override {}
};

// Runs the event loop for ms, as the program does: asleep while there is
// nothing to do, so threads beside the screen have the cores a busy loop
// would take. each, when given, is called every 5 ms meanwhile.
void runFor(int ms, const std::function<void()>& each = {})
{
    QEventLoop loop;
    QTimer sample;
    if (each) {
        QObject::connect(&sample, &QTimer::timeout, each);
        sample.start(5);
    }
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void sendKey(QWidget* to, QEvent::Type type, Qt::Key key)
{
    QKeyEvent e(type, key, Qt::NoModifier);
    QCoreApplication::sendEvent(to, &e);
}

// Openings are timed a few times each and the median given: one opening
// alone varies by a third from run to run on a shared machine.
constexpr int kOpenings = 3;

struct Decodes {
    double next = -1;    // the next frame after the one just decoded
    double cold = -1;    // a frame from its key frame, nothing cached
    double opening = -1; // the frame the video is opened at, by a source just opened
    double firstOpening = -1;
};

Decodes decodeTimes(const QString& path, std::int64_t openingFrame)
{
    Decodes d;
    OpenResult r = FfmpegFrameSource::open(path, {});
    auto* src = static_cast<FfmpegFrameSource*>(r.source.get());
    if (!src)
        return d;
    const std::int64_t count = src->properties().frameCount;
    std::vector<double> next, cold;
    (void)src->frame(count / 3);
    for (std::int64_t n = count / 3 + 1; n < count / 3 + 31 && n < count; ++n) {
        QElapsedTimer t;
        t.start();
        (void)src->frame(n);
        next.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    for (std::int64_t n = 5; n < count; n += std::max<std::int64_t>(1, count / 12)) {
        src->clearCache();
        QElapsedTimer t;
        t.start();
        (void)src->frame(n);
        cold.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    d.next = median(next);
    d.cold = median(cold);
    // As a video is opened: a source of its own, nothing decoded before.
    std::vector<double> openings;
    for (int round = 0; round < kOpenings; ++round) {
        QElapsedTimer t;
        t.start();
        OpenResult fresh = FfmpegFrameSource::open(path, {});
        if (fresh.source)
            (void)fresh.source->frame(openingFrame);
        openings.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    d.opening = median(openings);
    d.firstOpening = openings.front();
    return d;
}

QByteArray pixels(const PicturePtr& p)
{
    return p ? packedDib(*p).mid(40) : QByteArray();
}

// What holding an arrow key for three seconds showed.
struct Hold {
    std::int64_t from = 0;
    std::int64_t moved = 0;         // frames the position moved
    std::int64_t passedPainted = 0; // of the frames passed, those painted
    int wrong = 0;                  // pictures not the frame numbered beneath them
    std::vector<double> latencies;
    std::int64_t mostAhead = 0; // bytes the frames decoded ahead held at most
};

Hold holdKey(MediaPlayer* player, const QString& video, Qt::Key key)
{
    Hold h;
    // The operator looks at the frame for a moment.
    runFor(500);
    player->stepLatencies().clear();
    std::map<std::int64_t, PicturePtr> painted;
    int readoutMismatches = 0;
    // What each paint put on screen: the picture and the number beneath.
    const auto conn = QObject::connect(player, &MediaPlayer::framePainted, [&](qint64 f) {
        painted[f] = player->shown().picture;
        if (player->frameText() !=
            QStringLiteral("Frame %1 of %2").arg(f).arg(player->frameCount()))
            ++readoutMismatches;
    });
    h.from = player->positionFrame();
    sendKey(player, QEvent::KeyPress, key);
    runFor(3000, [&] {
        if (const AheadDecoder* a = player->ahead())
            h.mostAhead = std::max(h.mostAhead, a->readyBytes());
    });
    sendKey(player, QEvent::KeyRelease, key);
    runFor(300); // the last step's picture
    QObject::disconnect(conn);
    const std::int64_t to = player->positionFrame();
    h.moved = std::abs(to - h.from);
    // The frames the key passed, each of which should have been seen.
    QString missed;
    for (std::int64_t f = std::min(h.from, to); f <= std::max(h.from, to); ++f) {
        if (f == h.from)
            continue;
        if (painted.count(f))
            ++h.passedPainted;
        else
            missed += QStringLiteral(" %1").arg(f);
    }
    if (!missed.isEmpty())
        std::fprintf(stderr, "%s: frames passed but not painted:%s\n",
                     qPrintable(QFileInfo(video).fileName()), qPrintable(missed));
    // Every painted picture against a decode of its own.
    OpenResult reference = openVideo(video);
    h.wrong = readoutMismatches;
    for (const auto& [frame, picture] : painted) {
        const FrameResult r = reference.source->frame(frame);
        if (!r || pixels(r.picture) != pixels(picture))
            ++h.wrong;
    }
    h.latencies = player->stepLatencies();
    return h;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList videos = QCoreApplication::arguments().mid(1);
    if (videos.isEmpty()) {
        std::fputs("usage: korvel-review-bench VIDEO...\n", stderr);
        return 2;
    }
    std::printf(
        "| video | size | key held | decode ahead while held | frames moved in 3 s | "
        "frames passed and painted | wrong pictures | step to picture median / worst "
        "(ms) | decoded ahead, most held (MB) | opened at frame N: to its picture / "
        "decoded by a source just opened (ms), medians of 3 | one decode: next / cold (ms) |\n"
        "|---|---|---|---|---|---|---|---|---|---|---|\n");
    int failures = 0;
    for (const QString& video : videos) {
        const QString name = QFileInfo(video).fileName();
        VideoProperties props;
        {
            OpenResult probe = openVideo(video);
            if (probe.source)
                props = probe.source->properties();
        }
        const std::int64_t count = props.frameCount;
        if (count < 2) {
            std::printf("| %s | cannot be opened | | | | | | | | | |\n", qPrintable(name));
            ++failures;
            continue;
        }
        // Opened two thirds in, as at a contact frame measured before; the
        // left arrow held from three quarters in (back over a key frame of
        // the long-GOP file), the right arrow from the start.
        const std::int64_t openedAt = count * 2 / 3;
        const std::int64_t backFrom = count * 3 / 4;
        const Decodes d = decodeTimes(video, openedAt);
        std::vector<std::pair<Hold, bool>> rows[2]; // left, right
        double toOpened[2] = {-1, -1}, firstOpened[2] = {-1, -1};
        for (const bool ahead : {false, true}) {
            QTemporaryDir scratch;
            Settings settings(scratch.path() + QStringLiteral("/korvel.ini"));
            ConsolePrompt prompt;
            SharedState shared;
            shared.VideoDir = QFileInfo(video).absolutePath();
            StaysOnReview aroundReview;
            SetStartScreen screen(shared, settings, prompt, aroundReview);
            MediaPlayer* player = screen.player();
            player->setDecodeAheadWhileHeld(ahead);

            std::vector<double> openings;
            for (int round = 0; round < kOpenings; ++round) {
                double opened = -1;
                QElapsedTimer sinceOpen;
                QEventLoop loop;
                const auto seen =
                    QObject::connect(player, &MediaPlayer::framePainted, [&](qint64 f) {
                        if (f == openedAt && opened < 0) {
                            opened = double(sinceOpen.nsecsElapsed()) / 1e6;
                            loop.quit();
                        }
                    });
                shared.LastScreen = ScreenTag::View;
                screen.model().setFileToView(video, JumpSource::Log, openedAt);
                sinceOpen.start();
                screen.enter();
                QTimer::singleShot(10000, &loop, &QEventLoop::quit);
                if (opened < 0)
                    loop.exec();
                QObject::disconnect(seen);
                openings.push_back(opened);
                // Out of the screen as the operator leaves it, so the next
                // opening finds nothing of this one decoded.
                if (round + 1 < kOpenings) {
                    screen.hide();
                    QCoreApplication::processEvents();
                }
            }
            toOpened[ahead] = median(openings);
            firstOpened[ahead] = openings.front();

            player->setPosition(double(backFrom));
            rows[0].emplace_back(holdKey(player, video, Qt::Key_Left), ahead);

            // Then from the start, as the operator steps through a jump.
            shared.LastScreen = ScreenTag::View;
            screen.model().setFileToView(video);
            screen.enter();
            rows[1].emplace_back(holdKey(player, video, Qt::Key_Right), ahead);
        }
        const char* keys[2] = {"left", "right"};
        for (int k : {1, 0}) {
            for (const auto& [h, ahead] : rows[k]) {
                const double worst =
                    h.latencies.empty() ? -1
                                        : *std::max_element(h.latencies.begin(), h.latencies.end());
                std::printf(
                    "| %s | %dx%d %s | %s from %lld | %s | %lld | %lld | %d | %.1f / %.1f "
                    "| %.0f | %lld: %.0f (first %.0f) / %.0f (first %.0f) | %.1f / %.1f |\n",
                    qPrintable(name), props.width, props.height, qPrintable(props.codec), keys[k],
                    static_cast<long long>(h.from), ahead ? "on" : "off",
                    static_cast<long long>(h.moved), static_cast<long long>(h.passedPainted),
                    h.wrong, median(h.latencies), worst, double(h.mostAhead) / 1e6,
                    static_cast<long long>(openedAt), toOpened[ahead], firstOpened[ahead],
                    d.opening, d.firstOpening, d.next, d.cold);
                if (h.wrong > 0 || h.moved < 29 || h.moved > 31)
                    ++failures;
            }
        }
        std::fflush(stdout);
    }
    return failures ? 1 : 0;
}
