#pragma once
// What the review screen leaves behind for a measured video: the ".info" side
// file that marks it as measured (and with which frame), the line in the day's
// measurement log, and the free-space figure shown while reviewing.

#include "shell/textfile.h"

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

namespace korvel
{

class Prompt;
struct SharedState;

// The video's full path + ".info".
QString infoFilePath(const QString& videoPath);

// One line: the path, a comma, the frame as number text (" 412"), CR LF.
// Created or replaced whole.
FileResult WriteInfoFile(const QString& videoPath, std::int32_t frame);

struct InfoFile {
    QString videoPath;
    std::int32_t frame = 0;
};
// The info file of the video, nullopt when there is none or it cannot be
// read: not a plain file, larger than one line can be, or a frame number
// outside 0 .. 2147483647.
inline constexpr qint64 kInfoFileLimit = qint64{64} * 1024;
std::optional<InfoFile> ReadInfoFile(const QString& videoPath);

// Skier and jump from a captured video's path (".../" + skier + "jump" +
// attempt + ".avi"), nullopt for a path that does not follow that pattern.
struct SkierJump {
    QString skier;
    QString jump;
};
std::optional<SkierJump> skierAndJump(const QString& videoPath);

// The measured-capture line of the log, in 14-column print zones.
QString measuredCaptureLine(const QDateTime& when, const SkierJump& who, std::int32_t frame,
                            const QString& videoPath);

// Logs a kept video as measured at the frame and writes its info file. A path
// that does not name skier and jump is neither logged nor marked; the
// operator is warned instead. Failed writes are shown with their reason.
void RecordMeasuredCapture(const QString& videoPath, std::int32_t frame, const SharedState& state,
                           Prompt& prompt, const QDateTime& when = QDateTime::currentDateTime());

// Bytes of the filesystem holding path: kind 0 free to the operator, kind 1
// its size; nullopt when the query fails.
std::optional<std::int64_t> DiskFree(const QString& path, int kind);

// The review screen's disk-space caption, label and warning for a video folder.
struct DiskSpace {
    QString caption;  // "Disk Space Available " + mount point
    QString label;    // megabytes as number text + " MB"
    bool low = false; // below 200 MB (or unknown)
};
// Free bytes of a drive (a mount point); DiskFree kind 0 unless another is given.
using FreeSpaceQuery = std::function<std::optional<std::int64_t>(const QString& drive)>;
DiskSpace diskSpaceFor(const QString& videoFolder, const FreeSpaceQuery& freeBytes = {});
DiskSpace diskSpaceFrom(const QString& drive, std::optional<std::int64_t> freeBytes);

} // namespace korvel
