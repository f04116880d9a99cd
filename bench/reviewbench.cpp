// korvel-review-bench: the review screen with an arrow key held down.
// For each video it opens frmSetStart on it (as from the log viewer), lets the
// player decode ahead for half a second, holds the right arrow for three
// seconds and reports: frames moved (ten a second is one a poll of Timer2),
// whether every frame painted was the frame whose number was shown beneath
// it (each compared byte for byte with a decode of its own), and the time
// from a step to its picture painted, median and worst, beside the time one
// decode takes (the next frame after the one before, and a cold frame from
// its key frame). Run it under a real X server (xvfb-run) so "painted" means
// on screen.

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
    double next = -1; // the next frame after the one just decoded
    double cold = -1; // a frame from its key frame, nothing cached
};

Decodes decodeTimes(const QString& path)
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
    std::printf("| video | size | frames moved in 3 s | painted frames | wrong pictures | step to "
                "picture median / worst (ms) | one decode: next / cold (ms) |\n|---|---|---|---|"
                "---|---|---|\n");
    int failures = 0;
    for (const QString& video : videos) {
        QTemporaryDir scratch;
        Settings settings(scratch.path() + QStringLiteral("/korvel.ini"));
        ConsolePrompt prompt;
        SharedState shared;
        shared.VideoDir = QFileInfo(video).absolutePath();
        StaysOnReview aroundReview;
        SetStartScreen screen(shared, settings, prompt, aroundReview);
        MediaPlayer* player = screen.player();
        shared.LastScreen = ScreenTag::View;
        screen.model().setFileToView(video);
        screen.enter();
        if (!player->loaded()) {
            std::printf("| %s | cannot be opened | | | | | |\n",
                        qPrintable(QFileInfo(video).fileName()));
            ++failures;
            continue;
        }
        // The operator looks at the first frame for a moment.
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
        const std::int64_t start = player->positionFrame();
        sendKey(player, QEvent::KeyPress);
        runFor(3000);
        sendKey(player, QEvent::KeyRelease);
        runFor(300); // the last step's picture
        QObject::disconnect(conn);
        const std::int64_t moved = player->positionFrame() - start;

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
        const Decodes d = decodeTimes(video);
        const VideoProperties* p = player->properties();
        std::printf("| %s | %dx%d %s | %lld | %zu | %d | %.1f / %.1f | %.1f / %.1f |\n",
                    qPrintable(QFileInfo(video).fileName()), p->width, p->height,
                    qPrintable(p->codec), static_cast<long long>(moved), painted.size(), wrong,
                    median(lat), worst, d.next, d.cold);
        if (wrong > 0 || moved < 29 || moved > 31)
            ++failures;
        std::fflush(stdout);
    }
    return failures ? 1 : 0;
}
