#include "media/frameexport.h"

#include "media/cdib.h"
#include "shell/paths.h"
#include "shell/prompt.h"

#include <cstring>

namespace korvel
{

QString currentCapturePath()
{
    return joinPath(programFolder(), QStringLiteral("currentcapture.bmp"));
}

QByteArray packedDib(const Picture& picture)
{
    cDIB::InfoHeader info;
    info.width = picture.width;
    info.height = picture.height; // positive: bottom-up
    info.planes = 1;
    info.bitCount = 24;
    info.compression = 0;
    const int rowBytes = Picture::strideFor(picture.width);
    info.sizeImage = std::uint32_t(rowBytes) * std::uint32_t(picture.height);

    QByteArray packed(qsizetype(cDIB::kInfoHeaderSize) + qsizetype(info.sizeImage), '\0');
    auto* p = reinterpret_cast<std::uint8_t*>(packed.data());
    info.write(p);
    std::uint8_t* pixels = p + cDIB::kInfoHeaderSize;
    for (int y = 0; y < picture.height; ++y) {
        std::memcpy(pixels + std::size_t(picture.height - 1 - y) * std::size_t(rowBytes),
                    picture.row(y), std::size_t(picture.width) * 3);
    }
    return packed;
}

QString openFailureMessage(OpenFailure failure, const QString& videoPath)
{
    if (failure == OpenFailure::NoDecoder)
        return QStringLiteral("No suitable decompressor found for this video stream!");
    return QStringLiteral("There was an error working with the file:\r\n") + videoPath;
}

bool ExportFrame(const QString& videoPath, std::int64_t n, Prompt& prompt, const QString& target)
{
    OpenResult opened = openVideo(videoPath);
    if (!opened.source) {
        prompt.message(openFailureMessage(opened.failure, videoPath), kProgramTitle,
                       Icon::Information);
        return false;
    }
    return ExportFrame(*opened.source, videoPath, n, prompt, target);
}

bool ExportFrame(FrameSource& source, const QString& videoPath, std::int64_t n, Prompt& prompt,
                 const QString& target)
{
    const FrameResult frame = source.frame(n);
    if (!frame) {
        prompt.message(frame.error + QStringLiteral("\r\n") + videoPath, kProgramTitle,
                       Icon::Information);
        return false;
    }
    const QByteArray packed = packedDib(*frame.picture);
    cDIB dib;
    QString error;
    if (!dib.CreateFromPackedDIBPointer(packed.constData(), std::size_t(packed.size())) ||
        !dib.WriteToFile(target, &error)) {
        prompt.message(QStringLiteral("The picture could not be written:\r\n") + target +
                           (error.isEmpty() ? QString() : QStringLiteral("\r\n") + error),
                       kProgramTitle, Icon::Exclamation);
        return false;
    }
    return true;
}

} // namespace korvel
