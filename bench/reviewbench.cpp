// korvel-review-bench: the review screen with an arrow key held down.
// For each video, once as before (each step decoded when it is served) and
// once decoding ahead of the held key beside the screen, it opens frmSetStart
// on it (as from the log viewer), lets the player decode ahead for half a
// second, holds the right arrow for three seconds and reports: frames moved
// (ten a second is one a poll of Timer2),
// whether every frame painted was the frame whose number was shown beneath
// it (each compared byte for byte with a decode of its own), and the time
// from a step to its picture painted, median and worst, beside the time one
// decode takes (the next frame after the one before, and a cold frame from
// its key frame), the most the pictures decoded ahead held, and the time from
// opening the video at a frame two thirds in to that frame's picture, beside
// decoding that frame cold. Run it under a real X server (xvfb-run) so
// "painted" means on screen.

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
#include <QFileInfo>
#include <QKeyEvent>
#include <QTemporaryDir>

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

void runFor(int ms, const std::function<void()>& each = {})
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (each)
            each();
    }
}

void sendKey(QWidget* to, QEvent::Type type)
{
    QKeyEvent e(type, Qt::Key_Right, Qt::NoModifier);
    QCoreApplication::sendEvent(to, &e);
}

struct Decodes {
    double next = -1;    // the next frame after the one just decoded
    double cold = -1;    // a frame from its key frame, nothing cached
    double opening = -1; // the frame the video is opened at, cold
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
    src->clearCache();
    QElapsedTimer t;
    t.start();
    (void)src->frame(openingFrame);
    d.opening = double(t.nsecsElapsed()) / 1e6;
    return d;
}

QByteArray pixels(const PicturePtr& p)
{
    return p ? packedDib(*p).mid(40) : QByteArray();
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
        "| video | size | decode ahead while held | frames moved in 3 s | frames passed and "
        "painted | "
        "wrong pictures | step to picture median / worst (ms) | decoded ahead, most "
        "held (MB) | opened at frame N: to its picture / one cold decode (ms) | one "
        "decode: next / cold (ms) |\n|---|---|---|---|---|---|---|---|---|---|\n");
    int failures = 0;
    for (const QString& video : videos) {
        Decodes d;
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
            const QString name = QFileInfo(video).fileName();

            // Opened at a frame two thirds in, as at a contact frame measured
            // before: the time to its picture.
            std::int64_t openedAt = -1;
            double toOpened = -1;
            {
                OpenResult probe = openVideo(video);
                if (probe.source)
                    openedAt = probe.source->properties().frameCount * 2 / 3;
            }
            if (openedAt >= 0) {
                QElapsedTimer sinceOpen;
                const auto seen =
                    QObject::connect(player, &MediaPlayer::framePainted, [&](qint64 f) {
                        if (f == openedAt && toOpened < 0)
                            toOpened = double(sinceOpen.nsecsElapsed()) / 1e6;
                    });
                shared.LastScreen = ScreenTag::View;
                screen.model().setFileToView(video, JumpSource::Log, openedAt);
                sinceOpen.start();
                screen.enter();
                runFor(100, {});
                QElapsedTimer wait;
                wait.start();
                while (toOpened < 0 && wait.elapsed() < 5000)
                    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
                QObject::disconnect(seen);
                screen.hide();
            }
            // Then from the start, as the operator steps through a jump.
            shared.LastScreen = ScreenTag::View;
            screen.model().setFileToView(video);
            screen.enter();
            if (!player->loaded()) {
                std::printf("| %s | cannot be opened | | | | | | | | |\n", qPrintable(name));
                ++failures;
                break;
            }
            // The operator looks at the first frame for a moment.
            runFor(500);
            player->stepLatencies().clear();

            std::map<std::int64_t, PicturePtr> painted;
            int readoutMismatches = 0;
            std::int64_t mostAhead = 0;
            // What each paint put on screen: the picture and the number beneath.
            const auto conn = QObject::connect(player, &MediaPlayer::framePainted, [&](qint64 f) {
                painted[f] = player->shown().picture;
                if (player->frameText() !=
                    QStringLiteral("Frame %1 of %2").arg(f).arg(player->frameCount()))
                    ++readoutMismatches;
            });
            const std::int64_t start = player->positionFrame();
            sendKey(player, QEvent::KeyPress);
            runFor(3000, [&] {
                if (const AheadDecoder* a = player->ahead())
                    mostAhead = std::max(mostAhead, a->readyBytes());
            });
            sendKey(player, QEvent::KeyRelease);
            runFor(300); // the last step's picture
            QObject::disconnect(conn);
            const std::int64_t moved = player->positionFrame() - start;
            // The frames the key passed, each of which should have been seen.
            std::int64_t stepsPainted = 0;
            QString missed;
            for (std::int64_t f = start + 1; f <= start + moved; ++f) {
                if (painted.count(f))
                    ++stepsPainted;
                else
                    missed += QStringLiteral(" %1").arg(f);
            }
            if (!missed.isEmpty())
                std::fprintf(stderr, "%s: frames passed but not painted:%s\n", qPrintable(name),
                             qPrintable(missed));

            // Every painted picture against a decode of its own.
            OpenResult reference = openVideo(video);
            int wrong = readoutMismatches;
            for (const auto& [frame, picture] : painted) {
                const FrameResult r = reference.source->frame(frame);
                if (!r || pixels(r.picture) != pixels(picture))
                    ++wrong;
            }
            const std::vector<double>& lat = player->stepLatencies();
            const double worst = lat.empty() ? -1 : *std::max_element(lat.begin(), lat.end());
            if (d.next < 0)
                d = decodeTimes(video, openedAt);
            const VideoProperties* p = player->properties();
            std::printf("| %s | %dx%d %s | %s | %lld | %lld | %d | %.1f / %.1f | %.0f | %lld: "
                        "%.0f / %.0f | %.1f / %.1f |\n",
                        qPrintable(name), p->width, p->height, qPrintable(p->codec),
                        ahead ? "on" : "off", static_cast<long long>(moved),
                        static_cast<long long>(stepsPainted), wrong, median(lat), worst,
                        double(mostAhead) / 1e6, static_cast<long long>(openedAt), toOpened,
                        d.opening, d.next, d.cold);
            if (wrong > 0 || moved < 29 || moved > 31)
                ++failures;
            std::fflush(stdout);
        }
    }
    return failures ? 1 : 0;
}
