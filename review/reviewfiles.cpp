#include "review/reviewfiles.h"

#include "shell/paths.h"
#include "shell/prompt.h"
#include "shell/sharedstate.h"
#include "shell/textrules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <climits>
#include <cmath>
#include <cstdint>
#include <filesystem>

namespace korvel
{

QString infoFilePath(const QString& videoPath)
{
    return videoPath + QStringLiteral(".info");
}

FileResult WriteInfoFile(const QString& videoPath, std::int32_t frame)
{
    return writeLines(infoFilePath(videoPath), {videoPath + QLatin1Char(',') + numberText(frame)});
}

std::optional<InfoFile> ReadInfoFile(const QString& videoPath)
{
    // One line: a path and a frame number. Anything longer is no info file.
    const auto lines = readLines(infoFilePath(videoPath), nullptr, kInfoFileLimit);
    if (!lines || lines->isEmpty())
        return std::nullopt;
    const QString& line = lines->first();
    // The frame number never holds a comma; a folder name may.
    const qsizetype comma = line.lastIndexOf(QLatin1Char(','));
    if (comma < 0)
        return std::nullopt;
    auto skipBlanks = [](QString s) {
        qsizetype i = 0;
        while (i < s.size() && s[i] == QLatin1Char(' '))
            ++i;
        return s.mid(i);
    };
    // A frame number no video can reach (1e300, a negative one) is damage,
    // not a number to convert.
    const double frame = std::floor(leadingNumber(skipBlanks(line.mid(comma + 1))));
    if (!(frame >= 0 && frame <= double(INT32_MAX)))
        return std::nullopt;
    InfoFile info;
    info.videoPath = skipBlanks(line.left(comma));
    info.frame = std::int32_t(frame);
    return info;
}

std::optional<SkierJump> skierAndJump(const QString& p)
{
    // The capture names its files skier + "jump" + attempt + ".avi"; the
    // search for "jump" starts seven characters before ".avi", so a name
    // such as "Jumpers/Smithjump3.avi" finds the last one and a four-digit
    // attempt does not fit. Letter case counts.
    const qsizetype a = p.indexOf(QStringLiteral(".avi"));
    if (a < 0)
        return std::nullopt;
    const qsizetype j = p.indexOf(QStringLiteral("jump"), std::max<qsizetype>(0, a - 7));
    if (j < 0 || j > a)
        return std::nullopt;
    const qsizetype s =
        std::max(p.lastIndexOf(QLatin1Char('/')), p.lastIndexOf(QLatin1Char('\\'))) + 1;
    if (s > j)
        return std::nullopt; // "jump" in a folder name, not in the file's own
    return SkierJump{p.mid(s, j - s), p.mid(j + 4, a - j - 4)};
}

QString measuredCaptureLine(const QDateTime& when, const SkierJump& who, std::int32_t frame,
                            const QString& videoPath)
{
    return printZones({dateText(when.date()), timeText(when.time()),
                       QStringLiteral("Skier: ") + who.skier, QStringLiteral("Jump: ") + who.jump,
                       QStringLiteral("Contact Frame: ") + numberText(frame),
                       QStringLiteral("File: ") + videoPath});
}

void RecordMeasuredCapture(const QString& videoPath, std::int32_t frame, const SharedState& state,
                           Prompt& prompt, const QDateTime& when)
{
    const auto who = skierAndJump(videoPath);
    if (!who) {
        prompt.message(
            QStringLiteral("Warning, this is not a  standard KVF file so it will not be saved in "
                           "the Log for future reference"),
            kProgramTitle, Icon::Exclamation);
        return;
    }
    const QString log = joinPath(state.VideoDir, state.LogFileName);
    const FileResult logged = appendLines(log, {measuredCaptureLine(when, *who, frame, videoPath)});
    if (!logged)
        prompt.message(QStringLiteral("The measurement log could not be written:\r\n") + log +
                           QStringLiteral("\r\n") + logged.error,
                       kProgramTitle, Icon::Exclamation);
    const FileResult marked = WriteInfoFile(videoPath, frame);
    if (!marked)
        prompt.message(QStringLiteral("The info file could not be written:\r\n") +
                           infoFilePath(videoPath) + QStringLiteral("\r\n") + marked.error,
                       kProgramTitle, Icon::Exclamation);
}

std::optional<std::int64_t> DiskFree(const QString& path, int kind)
{
    std::error_code ec;
    const auto space =
        std::filesystem::space(std::filesystem::path(QFile::encodeName(path).toStdString()), ec);
    if (ec || path.isEmpty())
        return std::nullopt;
    // Free to the operator: blocks kept for the system administrator do not
    // hold videos.
    return std::int64_t(kind == 1 ? space.capacity : space.available);
}

DiskSpace diskSpaceFrom(const QString& drive, std::optional<std::int64_t> freeBytes)
{
    const std::int64_t megabytes = freeBytes ? *freeBytes / 1000000 : 0;
    DiskSpace d;
    d.caption = QStringLiteral("Disk Space Available ") + drive;
    d.label = numberText(double(megabytes)) + QStringLiteral(" MB");
    d.low = megabytes < 200;
    return d;
}

DiskSpace diskSpaceFor(const QString& videoFolder, const FreeSpaceQuery& freeBytes)
{
    // The "drive" of a folder is the mount point of the filesystem holding it.
    // A folder not made yet counts on the filesystem that will hold it.
    QString folder = videoFolder.isEmpty() ? QDir::rootPath() : QDir::cleanPath(videoFolder);
    while (!QFileInfo(folder).isDir()) {
        const QString up = QFileInfo(folder).path();
        if (up == folder)
            break;
        folder = up;
    }
    const QStorageInfo storage(folder.isEmpty() ? QDir::rootPath() : folder);
    const QString drive = storage.isValid() ? storage.rootPath() : QDir::rootPath();
    return diskSpaceFrom(drive, freeBytes ? freeBytes(drive) : DiskFree(drive, 0));
}

} // namespace korvel
