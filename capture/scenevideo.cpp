#include "capture/scenevideo.h"

#include "capture/aviwriter.h"
#include "capture/testcamerascene.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>

namespace korvel
{

QString recordSceneVideo(const QString& path, const SceneVideo& video)
{
    const QFileInfo target(path);
    if (target.exists())
        return QStringLiteral("%1 exists already").arg(path);
    const QString part =
        target.dir().filePath(QLatin1Char('.') + target.fileName() + QStringLiteral(".part"));
    QFile::remove(part); // the remains of an earlier attempt
    AviVideoFormat format;
    format.width = video.size.width();
    format.height = video.size.height();
    format.rateNumerator = video.rate;
    format.rateDenominator = 1;
    format.coding = AviVideoFormat::Coding::EncodeMjpeg;
    QString problem;
    std::unique_ptr<AviWriter> writer = AviWriter::create(part, format, std::nullopt, &problem);
    if (!writer) {
        QFile::remove(part);
        return problem;
    }
    const TestCameraScene scene(video.size);
    const std::int64_t frames = std::llround(video.seconds * video.rate);
    bool ok = true;
    for (std::int64_t n = 0; ok && n < frames; ++n)
        ok = writer->writeImage(n, scene.frame(n, video.rate, std::uint32_t(n)));
    ok = writer->close() && ok;
    if (!ok)
        problem = writer->error().isEmpty() ? QStringLiteral("Out of memory") : writer->error();
    writer.reset();
    if (ok && !QFile::rename(part, path))
        problem = QStringLiteral("The recording could not be put in place as %1").arg(path);
    if (!problem.isEmpty())
        QFile::remove(part);
    return problem;
}

} // namespace korvel
