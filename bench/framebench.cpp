// korvel-bench: how fast the review screen's frame source opens a video,
// steps forward and back, jumps and exports, beside OpenCV's seek and one
// ffmpeg process per frame; and whether every exported frame equals the one
// the ffmpeg program decodes. Figures are medians in milliseconds.
// Jumps are timed twice: from a cold cache, and after the source has decoded
// ahead as the review screen lets it while the operator looks at a frame.

#include "bench/median.h"
#include "media/ffmpegframesource.h"
#include "media/frameexport.h"
#include "shell/consoleprompt.h"
#include "shell/prompt.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtEndian>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

using namespace korvel;
using korvel::bench::median;

namespace
{

double ms(const QElapsedTimer& t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

std::unique_ptr<FfmpegFrameSource> openSource(const QString& path)
{
    OpenResult r = FfmpegFrameSource::open(path, {});
    return std::unique_ptr<FfmpegFrameSource>(static_cast<FfmpegFrameSource*>(r.source.release()));
}

QByteArray bmpPixels(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray b = f.readAll();
    if (b.size() < 54)
        return {};
    return b.mid(qFromLittleEndian<quint32>(b.constData() + 10));
}

struct Row {
    QString name;
    double open = 0, forward = 0, back = 0, random = 0, opencv = -1, process = -1, exportCold = 0,
           exportShown = 0;
    int exact = 0, warmExact = 0, compared = 0;
    double cacheMb = 0;
    int cachedFrames = 0;
    // After decoding ahead from open to the end.
    double prefetchTotal = 0, sliceMedian = 0, sliceMax = 0, warm = 0;
    double prefetchMb = 0;
    int prefetchFrames = 0, warmHits = 0, jumps = 0;
};

QString g_python = QStringLiteral("python3");

Row measure(const QString& path, const QString& opencvScript, const QString& work)
{
    Row row;
    row.name = QFileInfo(path).fileName();
    ConsolePrompt prompt;

    std::vector<double> opens;
    for (int k = 0; k < 7; ++k) {
        QElapsedTimer t;
        t.start();
        auto s = openSource(path);
        opens.push_back(ms(t));
    }
    row.open = median(opens);

    auto src = openSource(path);
    const int count = int(src->properties().frameCount);

    // Holding ">" from a third of the way in, and "<" from the end.
    std::vector<double> fwd, back;
    src->frame(count / 3);
    for (int n = count / 3 + 1; n < count / 3 + 90 && n < count; ++n) {
        QElapsedTimer t;
        t.start();
        src->frame(n);
        fwd.push_back(ms(t));
    }
    src->clearCache();
    src->frame(count - 1);
    for (int n = count - 2; n >= count - 91 && n >= 0; --n) {
        QElapsedTimer t;
        t.start();
        src->frame(n);
        back.push_back(ms(t));
    }
    row.forward = median(fwd);
    row.back = median(back);
    const auto stats = src->stats();
    row.cacheMb = double(stats.cachedBytes) / 1e6;
    row.cachedFrames = stats.cachedFrames;

    // Jumps to anywhere, each from a cold cache.
    std::mt19937 rng(42);
    std::vector<int> jumps;
    for (int k = 0; k < 25; ++k)
        jumps.push_back(int(rng() % unsigned(count)));
    std::vector<double> random;
    for (int n : jumps) {
        src->clearCache();
        QElapsedTimer t;
        t.start();
        src->frame(n);
        random.push_back(ms(t));
    }
    row.random = median(random);

    // The same jumps after decoding ahead: the file just opened, the screen
    // idle until there is nothing left to decode ahead. Each slice is what a
    // key press may have to wait for.
    auto warm = openSource(path);
    {
        std::vector<double> slices;
        QElapsedTimer total;
        total.start();
        while (true) {
            QElapsedTimer t;
            t.start();
            const bool more = warm->prefetchStep();
            slices.push_back(ms(t));
            if (!more)
                break;
        }
        row.prefetchTotal = ms(total);
        row.sliceMedian = median(slices);
        row.sliceMax = *std::max_element(slices.begin(), slices.end());
        const auto st = warm->stats();
        row.prefetchFrames = st.cachedFrames;
        row.prefetchMb = double(st.cachedBytes) / 1e6;
        std::vector<double> times;
        for (int n : jumps) {
            row.warmHits += warm->isCached(n) ? 1 : 0;
            QElapsedTimer t;
            t.start();
            warm->frame(n);
            times.push_back(ms(t));
        }
        row.warm = median(times);
        row.jumps = int(jumps.size());
    }

    // Export: of the frame on show (the player's source), and from a closed file.
    std::vector<double> shown, cold;
    for (int k = 0; k < 5; ++k) {
        const int n = jumps[std::size_t(k)];
        src->frame(n);
        QElapsedTimer t;
        t.start();
        ExportFrame(*src, path, n, prompt, work + "/export.bmp");
        shown.push_back(ms(t));
        t.restart();
        ExportFrame(path, n, prompt, work + "/export.bmp");
        cold.push_back(ms(t));
    }
    row.exportShown = median(shown);
    row.exportCold = median(cold);

    // OpenCV, when installed: the same jumps.
    if (!opencvScript.isEmpty()) {
        QProcess p;
        QStringList args{opencvScript, path};
        for (int n : jumps)
            args << QString::number(n);
        p.start(g_python, args);
        p.waitForFinished(600000);
        const QJsonObject o = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
        std::vector<double> t;
        for (const QJsonValue& v : o.value("seek_read_ms").toArray())
            if (v.isDouble())
                t.push_back(v.toDouble());
        if (!t.empty())
            row.opencv = median(t);
    }

    // One ffmpeg process per frame, which also gives the reference pictures.
    std::vector<double> proc;
    const std::vector<int> checked{0, jumps[0], jumps[1], jumps[2], jumps[3], count / 2, count - 1};
    for (int n : checked) {
        const QString ref = work + "/ffmpeg.bmp";
        QFile::remove(ref);
        QElapsedTimer t;
        t.start();
        QProcess::execute(QStringLiteral("ffmpeg"),
                          {"-y", "-v", "error", "-nostdin", "-i", path, "-vf",
                           QStringLiteral("select=eq(n\\,%1)").arg(n), "-frames:v", "1", "-pix_fmt",
                           "bgr24", ref});
        proc.push_back(ms(t));
        ExportFrame(*src, path, n, prompt, work + "/export.bmp");
        ++row.compared;
        const QByteArray theirs = bmpPixels(ref);
        if (!theirs.isEmpty() && theirs == bmpPixels(work + "/export.bmp"))
            ++row.exact;
        // The same frame as the source that decoded ahead has it.
        const bool hit = warm->isCached(n);
        ExportFrame(*warm, path, n, prompt, work + "/export.bmp");
        if (hit && !theirs.isEmpty() && theirs == bmpPixels(work + "/export.bmp"))
            ++row.warmExact;
    }
    row.process = median(proc);
    return row;
}

// Opening alone, for long recordings: the median of three opens and what
// the source found.
void measureOpen(const QString& path)
{
    std::vector<double> opens;
    std::int64_t frames = 0, pictures = 0;
    for (int k = 0; k < 3; ++k) {
        QElapsedTimer t;
        t.start();
        auto s = openSource(path);
        opens.push_back(ms(t));
        if (!s) {
            std::printf("%-32s cannot be opened\n", qPrintable(QFileInfo(path).fileName()));
            return;
        }
        frames = s->properties().frameCount;
        pictures = s->pictureCount();
    }
    const double m = median(opens);
    std::printf("%-32s %9lld frames %9lld pictures  open %9.1f ms  %7.2f us/frame\n",
                qPrintable(QFileInfo(path).fileName()), (long long)frames, (long long)pictures, m,
                frames ? 1000.0 * m / double(frames) : 0.0);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString opencv, work = QStringLiteral("/tmp");
    QStringList files;
    bool openOnly = false;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == "--open-only")
            openOnly = true;
        else if (args[i] == "--opencv" && i + 1 < args.size())
            opencv = args[++i];
        else if (args[i] == "--python" && i + 1 < args.size())
            g_python = args[++i];
        else if (args[i] == "--work" && i + 1 < args.size())
            work = args[++i];
        else
            files << args[i];
    }
    if (files.isEmpty()) {
        std::fprintf(stderr, "usage: korvel-bench [--open-only] [--opencv SCRIPT] [--work DIR] "
                             "VIDEO...\n");
        return 2;
    }
    if (openOnly) {
        for (const QString& f : files)
            measureOpen(f);
        return 0;
    }
    std::printf(
        "Medians in milliseconds. cold = jump to any frame from a cold cache; warm = the same\n"
        "jumps after decoding ahead to the end (hits = jumps found in the cache); exact(warm) =\n"
        "frames equal to ffmpeg's decode, and (in brackets) of those, served from the prefetched "
        "cache;\n"
        "opencv = VideoCapture set(CAP_PROP_POS_FRAMES)+read; process = one ffmpeg per frame.\n\n");
    std::printf("%-24s %6s %6s %6s %5s %7s %7s %7s %8s %5s %5s %7s %6s %6s %8s %6s %-12s %6s %6s "
                "%7s %6s %s\n",
                "video", "open", "fwd", "back", "b/f", "cold", "warm", "opencv", "process", "xcv",
                "xproc", "warm-xcv", "xproc", "hits", "prefetch", "slice", "(max)", "export",
                "exp-cold", "exact(warm)", "cache", "prefetched");
    for (const QString& f : files) {
        const Row r = measure(f, opencv, work);
        auto ratio = [](double other, double ours) {
            return other > 0 && ours > 0 ? other / ours : 0.0;
        };
        std::printf(
            "%-24s %6.2f %6.2f %6.2f %5.2f %7.2f %7.2f %7.2f %8.1f %5.1f %5.0f %7.1f %6.0f "
            "%3d/%-2d %8.0f %6.2f (%-9.2f) %6.2f %6.2f %d/%d(%d) %3d fr %3.0f MB %3d fr %3.0f MB\n",
            qPrintable(r.name), r.open, r.forward, r.back, ratio(r.back, r.forward), r.random,
            r.warm, r.opencv, r.process, ratio(r.opencv, r.random), ratio(r.process, r.random),
            ratio(r.opencv, r.warm), ratio(r.process, r.warm), r.warmHits, r.jumps, r.prefetchTotal,
            r.sliceMedian, r.sliceMax, r.exportShown, r.exportCold, r.exact, r.compared,
            r.warmExact, r.cachedFrames, r.cacheMb, r.prefetchFrames, r.prefetchMb);
        std::fflush(stdout);
    }
    return 0;
}
