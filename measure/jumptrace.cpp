#include "measure/jumptrace.h"

#include "shell/readfile.h"
#include "shell/textfile.h"

#include <QFileInfo>
#include <QStringList>

#include <cmath>

namespace korvel
{

namespace
{

QString flat(QString value)
{
    value.replace(QLatin1Char('\t'), QLatin1Char(' '));
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return value;
}

// A trace file is small: a day's jumps. Far more is no trace file.
constexpr qint64 kTraceFileLimit = 64LL * 1024 * 1024;

} // namespace

bool isExportedFrame(const QString& path)
{
    return QFileInfo(path).fileName().compare(QLatin1String("currentcapture.bmp"),
                                              Qt::CaseInsensitive) == 0;
}

QString traceFilePath(const QString& resultsFile)
{
    return resultsFile + QStringLiteral(".trace");
}

FileResult appendTrace(const QString& resultsFile, const JumpTrace& t)
{
    return appendToFile(traceFilePath(resultsFile), traceLine(t).toUtf8() + "\r\n");
}

QString traceLine(const JumpTrace& t)
{
    QStringList f{flat(t.resultLine)};
    if (!t.video.isEmpty())
        f << QStringLiteral("video=") + flat(t.video);
    if (t.frame)
        f << QStringLiteral("frame=%1").arg(*t.frame);
    if (!t.picture.isEmpty() && !isExportedFrame(t.picture))
        f << QStringLiteral("picture=") + flat(t.picture);
    f << QStringLiteral("grid=%1").arg(t.grid);
    if (!t.gridFile.isEmpty())
        f << QStringLiteral("gridfile=") + flat(t.gridFile);
    if (t.impactTwips) {
        // Twips as the grid maps them, and the picture's pixel (15 twips a
        // pixel) a referee finds in the frame.
        const QPoint p = *t.impactTwips;
        f << QStringLiteral("impact=%1,%2").arg(p.x()).arg(p.y())
          << QStringLiteral("pixel=%1,%2").arg(p.x() / 15).arg(p.y() / 15);
    }
    if (t.perPixel)
        f << QStringLiteral("perpixel=%1").arg(*t.perPixel, 0, 'f', 4);
    if (t.check)
        f << QStringLiteral("check=%1").arg(*t.check, 0, 'f', 4);
    if (t.proposedFrame)
        f << QStringLiteral("proposed=%1").arg(*t.proposedFrame)
          << (t.frame == t.proposedFrame ? QStringLiteral("chosen=proposed")
                                         : QStringLiteral("chosen=other"));
    return f.join(QLatin1Char('\t'));
}

std::optional<JumpTrace> parseTraceLine(const QString& line)
{
    const QStringList f = line.split(QLatin1Char('\t'));
    if (f.size() < 2)
        return std::nullopt;
    JumpTrace t;
    t.resultLine = f[0];
    bool any = false;
    for (qsizetype k = 1; k < f.size(); ++k) {
        const qsizetype eq = f[k].indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        const QString name = f[k].left(eq);
        const QString value = f[k].mid(eq + 1);
        bool ok = false;
        if (name == QLatin1String("video")) {
            t.video = value;
        } else if (name == QLatin1String("frame") || name == QLatin1String("proposed")) {
            const qlonglong n = value.toLongLong(&ok);
            if (ok && n >= 0)
                (name == QLatin1String("frame") ? t.frame : t.proposedFrame) = n;
        } else if (name == QLatin1String("picture")) {
            if (!isExportedFrame(value))
                t.picture = value;
        } else if (name == QLatin1String("grid")) {
            const int g = value.toInt(&ok);
            t.grid = ok && g >= 1 && g <= 3 ? g : 0;
        } else if (name == QLatin1String("gridfile")) {
            t.gridFile = value;
        } else if (name == QLatin1String("perpixel") || name == QLatin1String("check")) {
            const double v = value.toDouble(&ok);
            if (ok && std::isfinite(v) && v >= 0)
                (name == QLatin1String("check") ? t.check : t.perPixel) = v;
        } else if (name == QLatin1String("impact")) {
            const QStringList xy = value.split(QLatin1Char(','));
            bool okY = false;
            if (xy.size() == 2) {
                const int x = xy[0].toInt(&ok);
                const int y = xy[1].toInt(&okY);
                if (ok && okY)
                    t.impactTwips = QPoint(x, y);
            }
        } else {
            continue;
        }
        any = true;
    }
    if (!any)
        return std::nullopt;
    return t;
}

std::optional<JumpTrace> findTrace(const QString& resultsFile, const QString& resultLine)
{
    // Written as UTF-8: a path keeps every letter it has on the disk.
    const auto bytes = readPlainFile(traceFilePath(resultsFile), kTraceFileLimit, nullptr);
    if (!bytes)
        return std::nullopt;
    QStringList split = QString::fromUtf8(*bytes).split(QLatin1Char('\n'));
    for (QString& l : split) {
        if (l.endsWith(QLatin1Char('\r')))
            l.chop(1);
    }
    const QStringList* lines = &split;
    const QString wanted = flat(resultLine).trimmed();
    for (auto it = lines->crbegin(); it != lines->crend(); ++it) {
        if (!it->startsWith(wanted.left(19)))
            continue;
        if (auto t = parseTraceLine(*it); t && t->resultLine.trimmed() == wanted)
            return t;
    }
    return std::nullopt;
}

QString traceSummary(const JumpTrace& t)
{
    QStringList s;
    if (!t.video.isEmpty())
        s << (t.frame ? QStringLiteral("Video: %1, frame %2").arg(t.video).arg(*t.frame)
                      : QStringLiteral("Video: %1").arg(t.video));
    if (!t.picture.isEmpty())
        s << QStringLiteral("Picture: ") + t.picture;
    if (t.grid > 0)
        s << (t.gridFile.isEmpty() ? QStringLiteral("Grid %1").arg(t.grid)
                                   : QStringLiteral("Grid %1: %2").arg(t.grid).arg(t.gridFile));
    if (t.perPixel)
        s << (t.check ? QStringLiteral("A pixel: \u00b1 %1 m; the grid's check \u00b1 %2 m")
                            .arg(*t.perPixel, 0, 'f', 2)
                            .arg(*t.check, 0, 'f', 2)
                      : QStringLiteral("A pixel: \u00b1 %1 m").arg(*t.perPixel, 0, 'f', 2));
    if (t.impactTwips)
        s << QStringLiteral("Impact: pixel %1, %2 (twips %3, %4)")
                 .arg(t.impactTwips->x() / 15)
                 .arg(t.impactTwips->y() / 15)
                 .arg(t.impactTwips->x())
                 .arg(t.impactTwips->y());
    return s.join(QLatin1Char('\n'));
}

} // namespace korvel
