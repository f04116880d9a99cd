// One magnifier tick (grab the screen around the pointer, stretch it, read the
// colour under the pointer and write its text) at 8x, the pointer moving, timed for lensor's
// default window and for a 1000 x 800 window. Run on an X display (Xvfb in
// bench/lensor.sh).
//   lensor-bench [--ticks N]

#include "magnifier/lensorwindow.h"
#include "magnifier/screengrab.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMenuBar>
#include <QScreen>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace lensor;

namespace
{
struct Figures {
    double median, mean, worst;
};

Figures timeTicks(Magnifier& m, QPoint cursor, int ticks)
{
    std::vector<double> ms;
    ms.reserve(ticks);
    QString text;
    for (int i = 0; i < ticks; ++i) {
        // The pointer steps one pixel back and forth, so every tick grabs a
        // new area and draws the whole picture.
        const QPoint at = cursor + QPoint(i % 2, 0);
        QElapsedTimer t;
        t.start();
        m.tick(at, false, false);
        text = m.colourReadout();
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    double sum = 0;
    for (double v : ms)
        sum += v;
    return {ms[ms.size() / 2], sum / ms.size(), ms.back()};
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    int ticks = 500;
    const QStringList args = QApplication::arguments();
    for (int i = 1; i + 1 < args.size(); ++i)
        if (args[i] == QLatin1String("--ticks"))
            ticks = args[i + 1].toInt();

    const QSize screen = QGuiApplication::primaryScreen()->size();
    const QPoint cursor(screen.width() / 2, screen.height() / 2);
    ScreenGrab grab;

    // The default window as a first run lays it out: 170 x 245 with its menu bar.
    LensorState state;
    placeForFirstRun(state, screen);
    state.options.set(Option::Zoom, 3);
    OptionsStore scratch(QDir::tempPath() + QStringLiteral("/lensor-bench.ini"));
    LensorWindow window(scratch, state, grab);
    window.show();
    app.processEvents();
    const QSize defaultClient = window.centralWidget()->size();
    window.timer().stop();

    std::printf("screen %dx%d, %d ticks per window, 8x, times in ms\n", screen.width(),
                screen.height(), ticks);
    std::printf("| window | client | picture | source | median | mean | worst | %% of 20 ms |\n");
    std::printf("|---|---|---|---|---|---|---|---|\n");
    const struct {
        const char* name;
        QSize client;
    } windows[] = {
        {"170x245", defaultClient},
        {"1000x800", QSize(1000, 800 - window.menuBar()->height())},
    };
    for (const auto& w : windows) {
        Magnifier m(grab, state.options);
        m.resize(w.client);
        timeTicks(m, cursor, 20); // warm up
        const Figures f = timeTicks(m, cursor, ticks);
        std::printf("| %s | %dx%d | %dx%d | %dx%d | %.3f | %.3f | %.3f | %.1f |\n", w.name,
                    w.client.width(), w.client.height(), m.layout().picture.width(),
                    m.layout().picture.height(), m.lastSource().width(), m.lastSource().height(),
                    f.median, f.mean, f.worst, f.median / 20.0 * 100.0);
    }
    // For bench/lensor.sh: the picture size of each window, for xzoom.
    for (const auto& w : windows) {
        const QRect p = layoutFor(w.client, true).picture;
        std::printf("# picture %s %dx%d\n", w.name, p.width(), p.height());
    }
    QFile::remove(scratch.path());
    return 0;
}
