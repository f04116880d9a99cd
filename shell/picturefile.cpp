#include "shell/picturefile.h"

#include "shell/readfile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>

namespace korvel
{

QImage pictureFromBytes(const QByteArray& bytes, QString* error)
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return QImage();
    };
    QByteArray data = bytes; // shared, not copied
    QBuffer buffer(&data);
    if (!buffer.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("it cannot be read"));
    QImageReader reader(&buffer);
    // The kinds of picture a camera, a capture card or korvel itself saves;
    // the readers of rarer kinds (text-based, vector, layered) stay out of it.
    const QByteArray format = reader.format();
    if (format.isEmpty())
        return fail(reader.errorString());
    if (!QList<QByteArray>{"bmp", "jpeg", "jpg", "png", "gif", "ico"}.contains(format))
        return fail(QStringLiteral("it is a %1 picture, not one korvel shows")
                        .arg(QString::fromLatin1(format)));
    auto tooLarge = [](QSize size) {
        return size.width() > kPictureMaxSide || size.height() > kPictureMaxSide ||
               qint64(size.width()) * size.height() > kPictureMaxPixels;
    };
    auto refuse = [&fail](QSize size) {
        return fail(QStringLiteral("it claims %1 x %2 pixels, more than a picture korvel shows")
                        .arg(size.width())
                        .arg(size.height()));
    };
    // Asked before reading where the format tells; the reader's own memory
    // limit holds for the others, and the size is checked once more after.
    const QSize size = reader.size();
    if (size.isValid() && tooLarge(size))
        return refuse(size);
    QImage image = reader.read();
    if (image.isNull())
        return fail(reader.errorString());
    if (tooLarge(image.size()))
        return refuse(image.size());
    return image;
}

QImage readPictureFile(const QString& path, QString* error)
{
    const auto bytes = readPlainFile(path, kPictureFileLimit, error);
    if (!bytes)
        return {};
    return pictureFromBytes(*bytes, error);
}

FileResult writePictureFile(const QString& path, const QImage& image, QByteArray format,
                            bool progressiveJpeg)
{
    if (format.isEmpty()) {
        format = QFileInfo(path).suffix().toLower().toLatin1();
        if (!QImageWriter::supportedImageFormats().contains(format))
            format = "bmp";
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (progressiveJpeg)
        writer.setProgressiveScanWrite(true);
    if (!writer.write(image))
        return {writer.errorString()};
    buffer.close();
    return writeFileAtomically(path, bytes);
}

} // namespace korvel
