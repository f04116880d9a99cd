#include "shell/picturefile.h"
#include "tests/support/testdir.h"

#include <QBuffer>
#include <QFile>
#include <QtEndian>

#include <sys/stat.h>

#include <gtest/gtest.h>

using namespace korvel;

namespace
{

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// A bitmap header that claims a picture far beyond its few bytes.
QByteArray forgedBitmap(qint32 width, qint32 height)
{
    QByteArray b = encoded(QImage(4, 4, QImage::Format_RGB888), "BMP");
    qToLittleEndian<qint32>(width, b.data() + 18);
    qToLittleEndian<qint32>(height, b.data() + 22);
    return b;
}

} // namespace

TEST(PictureFile, OnlyAPictureKorvelCanShowIsRead)
{
    test::TestDir t;
    QImage lake(64, 48, QImage::Format_RGB32);
    lake.fill(Qt::darkCyan);
    const struct {
        const char* name;
        QByteArray bytes;
        const char* why; // nullptr: read
    } cases[] = {
        {"lake.bmp", encoded(lake, "BMP"), nullptr},
        {"lake.png", encoded(lake, "PNG"), nullptr},
        {"huge.bmp", forgedBitmap(60000, 60000), ""}, // refused before it is allocated
        {"notes.bmp", QByteArray("Jump 1: 45.2 m\r\n"), ""},
        {"lake.xpm", encoded(lake, "XPM"), "not one korvel shows"},
        // Read whole by the bitmap reader (12 rows of few bytes), far too wide to show.
        {"wide.bmp", forgedBitmap(196849, -12), "196849 x 12"},
        {"empty.bmp", QByteArray(), ""},
    };
    for (const auto& c : cases) {
        QFile f(t.file(c.name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.bytes);
        f.close();
        QString why;
        const QImage read = readPictureFile(t.file(c.name), &why);
        EXPECT_EQ(read.isNull(), c.why != nullptr) << c.name;
        if (c.why) {
            EXPECT_TRUE(why.contains(QLatin1String(c.why))) << c.name << ": " << why.toStdString();
        } else {
            EXPECT_EQ(read.size(), lake.size()) << c.name;
        }
    }
    // A pipe named in the picture log is refused, not waited on.
    ASSERT_EQ(::mkfifo(QFile::encodeName(t.file("pipe.bmp")).constData(), 0600), 0);
    QString why;
    EXPECT_TRUE(readPictureFile(t.file("pipe.bmp"), &why).isNull());
    EXPECT_TRUE(why.contains("pipe")) << why.toStdString();
}
