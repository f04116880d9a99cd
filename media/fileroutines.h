#pragma once
// The small file routines every screen leans on before it reads a file: does
// it exist, is it an AVI video, what does its header say, and the save dialog
// with the three kinds of file the operator saves. They tell the operator what
// went wrong themselves and hand back simple results; none of them throws.

#include <QString>

#include <cstdint>

namespace korvel
{

class Prompt;

// A file whose length can be asked for. A folder, or a file in a folder we may
// not enter, counts as missing.
bool FileExists(const QString& path);

// "RIFF" at bytes 1-4 and "AVI " at bytes 9-12. A missing or unopenable file
// is explained to the operator; a readable file of another kind (a WAVE file,
// a picture) is refused without a word, the caller says "Not a valid avi file".
bool IsAviFile(const QString& path, Prompt& prompt);

// The file information record of an AVI file: the main header of the file and
// the header of its first video stream.
struct AviFileInfo {
    std::uint32_t maxBytesPerSec = 0;
    std::uint32_t flags = 0; // main header flags (has index, interleaved, ...)
    std::uint32_t caps = 0;  // what we may do with the file: we only read
    std::uint32_t streams = 0;
    std::uint32_t suggestedBufferSize = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t scale = 0; // rate / scale = frames per second
    std::uint32_t rate = 0;
    std::uint32_t length = 0; // frames of the video stream, dropped ones included
    std::uint32_t editCount = 0;
    QString fileType; // at most 63 characters

    static constexpr std::uint32_t kCapsCanRead = 0x1;
};

// Reads the record. A file that cannot be opened as an AVI file gets "Unable
// to open file:", one whose headers are missing or cut short "Unable to read
// AVI file info from:"; both return false and leave *info untouched.
bool ReadAviFileInfo(const QString& path, Prompt& prompt, AviFileInfo* info = nullptr);

// Kinds of file the save dialog offers.
enum class SaveKind { Picture = 0, Video = 1, CaptureProfile = 2 };

// Shows the save dialog starting at currentPath; the chosen path replaces
// currentPath and is returned, a cancelled dialog returns it unchanged.
QString SaveFileDialog(QString& currentPath, SaveKind kind, Prompt& prompt);

} // namespace korvel
