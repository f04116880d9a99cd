#pragma once
// Videos for the tests, made on the spot: small AVI files written chunk by
// chunk (for the cases a recorder makes and ffmpeg will not: dropped-frame
// chunks, cut files, forged headers), and clips made by the ffmpeg program
// from its test pattern, whose own decode is the reference for ours.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace korvel
{
struct Picture;
}

namespace korvel::test
{

// An uncompressed 24-bit AVI. Each frame holds bottom-up rows padded to 4
// bytes; an empty frame becomes a zero-length chunk, as a capture writes for
// a dropped frame.
struct RawAvi {
    int width = 32;
    int height = 16;
    int rate = 30;
    std::vector<QByteArray> frames;
    bool withIndex = true;   // 'idx1' at the end
    bool videoStream = true; // false: one audio stream only
    int headerWidth = 0;     // header values when they should lie; 0 = true size
    int headerHeight = 0;
    QByteArray compression; // four-character code of the codec; empty = uncompressed

    // A frame of one colour per frame number, easy to tell apart.
    static QByteArray solidFrame(int width, int height, int n);
    // A clip of solid frames 0 .. frames - 1; with shortChunk, that frame's
    // chunk is cut to 100 bytes, a damaged picture.
    static RawAvi solidClip(int frames, int shortChunk = -1);
    // The frame number a decoded solid frame was made for.
    static int solidFrameNumber(const Picture& picture);
    QByteArray bytes() const;
    bool write(const QString& path) const;
};

// Writes RawAvi::solidClip(frames, shortChunk) to path and gives the path;
// a failed write fails the test.
QString writeSolidClip(const QString& path, int frames, int shortChunk = -1);

// The ffmpeg program, or empty when it is not installed.
QString ffmpegProgram();

// Runs ffmpeg with the arguments (-y -v error are added); false with the
// program's error output in *error when it fails.
bool runFfmpeg(const QStringList& args, QString* error = nullptr);

// A clip of the test pattern: "-f lavfi -i testsrc=..." with the codec options.
bool makeTestClip(const QString& path, const QString& size, int rate, int frames,
                  const QStringList& codecArgs, QString* error = nullptr);

// Frame n as ffmpeg decodes it (select by decoded frame count), as the pixel
// data of a 24-bit bitmap; nullopt when ffmpeg fails.
std::optional<QByteArray> ffmpegFramePixels(const QString& video, int n, const QString& workDir);

// The pixel data of a bitmap file (from the offset its header gives).
QByteArray bmpPixels(const QByteArray& file);

} // namespace korvel::test
