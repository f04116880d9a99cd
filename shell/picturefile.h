#pragma once
// Pictures the screens load from files that come from elsewhere: a contact
// picture named in the picture log, the exported frame, one chosen by hand.
// Only a plain file is read (a pipe in the log would keep the screen
// waiting), and only a picture korvel could show: a bitmap, JPEG, PNG, GIF
// or icon, and not a few bytes claiming 60000 x 60000 pixels, which are
// refused before anything is allocated for them.

#include "shell/textfile.h"

#include <QByteArray>
#include <QImage>
#include <QString>

namespace korvel
{

// An 8K picture as an uncompressed bitmap is about 100 MB.
inline constexpr qint64 kPictureFileLimit = 256LL * 1024 * 1024;
inline constexpr int kPictureMaxSide = 16384;
inline constexpr qint64 kPictureMaxPixels = 8192LL * 8192;

// The picture, or a null image with the reason in *error.
QImage readPictureFile(const QString& path, QString* error = nullptr);
QImage pictureFromBytes(const QByteArray& bytes, QString* error = nullptr);

// Encodes the picture and replaces the file whole (written beside it, then
// renamed over it): a save that fails on a full disk leaves the old picture
// as it was and says the system's reason. format is "bmp", "jpg", ...; empty
// takes it from the name's suffix, a bitmap when the suffix names none.
FileResult writePictureFile(const QString& path, const QImage& image, QByteArray format = {},
                            bool progressiveJpeg = false);

} // namespace korvel
