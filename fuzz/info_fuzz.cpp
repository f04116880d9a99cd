// A video's ".info" side file as a copy from another laptop or a damaged
// disk leaves it: read for the frame it marks, and the video's path taken
// apart into skier and jump as the measured-capture line does.

#include "fuzz/fuzzfiles.h"
#include "review/reviewfiles.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace korvel;
    const QString video = fuzz::scratchFile(QStringLiteral("Smithjump3.avi"));
    if (!fuzz::writeFile(infoFilePath(video), reinterpret_cast<const char*>(data), size))
        return 0;
    const auto info = ReadInfoFile(video);
    if (!info)
        return 0;
    if (info->frame < 0)
        __builtin_trap(); // no video has a frame before its first
    if (const auto who = skierAndJump(info->videoPath))
        (void)measuredCaptureLine(QDateTime(QDate(2026, 7, 12), QTime(9, 0)), *who, info->frame,
                                  info->videoPath);
    // What korvel writes for it reads back the same.
    const QString again = fuzz::scratchFile(QStringLiteral("Again.avi"));
    if (!WriteInfoFile(again, info->frame))
        return 0;
    const auto reread = ReadInfoFile(again);
    if (!reread || reread->frame != info->frame || reread->videoPath != again)
        __builtin_trap();
    return 0;
}
