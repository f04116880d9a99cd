#include "tests/review/jumpvideos.h"

#include "tests/media/testvideos.h"

#include <QProcess>

#include <cmath>

namespace korvel::test
{

bool filmJump(const QString& path, const JumpFilm& film, QString* error)
{
    QProcess ffmpeg;
    ffmpeg.start(ffmpegProgram(),
                 QStringList{"-y", "-v", "error", "-f", "rawvideo", "-pix_fmt", "bgra", "-s",
                             QStringLiteral("%1x%2").arg(film.size.width()).arg(film.size.height()),
                             "-r", QString::number(film.rate), "-i", "-"} +
                     film.codec + QStringList{path});
    if (!ffmpeg.waitForStarted()) {
        if (error)
            *error = QStringLiteral("ffmpeg did not start");
        return false;
    }
    const TestCameraScene scene(film.size);
    const int frames = int(std::lround(film.seconds * film.rate));
    for (int n = 0; n < frames; ++n) {
        const QImage img =
            scene.frame(n, film.rate, std::uint32_t(n), film.flight, film.conditions);
        ffmpeg.write(reinterpret_cast<const char*>(img.constBits()), img.sizeInBytes());
        while (ffmpeg.bytesToWrite() > 0 && ffmpeg.waitForBytesWritten(30000)) {
        }
    }
    ffmpeg.closeWriteChannel();
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0) {
        if (error)
            *error = QString::fromLocal8Bit(ffmpeg.readAllStandardError());
        return false;
    }
    return true;
}

} // namespace korvel::test
