#include "media/cdib.h"
#include "media/frameexport.h"
#include "tests/support/testdir.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace korvel;
using korvel::test::readAll;

namespace
{

QByteArray packed(int width, int height, int bits)
{
    cDIB::InfoHeader h;
    h.width = width;
    h.height = height;
    h.bitCount = std::uint16_t(bits);
    const int row = ((width * bits + 31) / 32) * 4;
    h.sizeImage = std::uint32_t(row * height);
    QByteArray b(40 + int(h.sizeImage), '\x5a');
    h.write(reinterpret_cast<std::uint8_t*>(b.data()));
    return b;
}

quint32 at32(const QByteArray& b, int offset)
{
    return qFromLittleEndian<quint32>(b.constData() + offset);
}

} // namespace

TEST(cDIB, A320x240FrameMakesTheExpectedFile)
{
    test::TestDir t;
    const QByteArray p = packed(320, 240, 24);
    cDIB dib;
    ASSERT_TRUE(dib.CreateFromPackedDIBPointer(p.constData(), std::size_t(p.size())));
    ASSERT_TRUE(dib.WriteToFile(t.file("f.bmp")));
    const QByteArray file = readAll(t.file("f.bmp"));
    ASSERT_EQ(file.size(), 230454);
    EXPECT_EQ(file.left(2), "BM");
    EXPECT_EQ(at32(file, 2), 230454u);
    EXPECT_EQ(qFromLittleEndian<quint16>(file.constData() + 6), 0u);
    EXPECT_EQ(qFromLittleEndian<quint16>(file.constData() + 8), 0u);
    EXPECT_EQ(at32(file, 10), 54u);
    EXPECT_EQ(file.mid(14), p) << "header and pixels as they were given";
}

TEST(cDIB, RefusesWhatItCannotWriteTruthfully)
{
    const QByteArray eightBit = packed(16, 16, 8);
    QByteArray noImage = packed(16, 16, 24);
    qToLittleEndian<quint32>(0, noImage.data() + 20);
    QByteArray overclaims = packed(16, 16, 24);
    qToLittleEndian<quint32>(1u << 30, overclaims.data() + 20);
    const struct {
        const char* what;
        QByteArray bytes;
        std::size_t size;
    } cases[] = {
        {"8 bits per pixel", eightBit, std::size_t(eightBit.size())},
        {"no image", noImage, std::size_t(noImage.size())},
        {"image size beyond the block", overclaims, std::size_t(overclaims.size())},
        {"shorter than its header", packed(16, 16, 24), 39},
    };
    for (const auto& c : cases) {
        cDIB dib;
        EXPECT_FALSE(dib.CreateFromPackedDIBPointer(c.bytes.constData(), c.size)) << c.what;
        EXPECT_FALSE(dib.isValid()) << c.what;
    }
    EXPECT_TRUE(cDIB().CreateFromPackedDIBPointer(packed(4, 4, 16).constData(), 40 + 32));
}

TEST(cDIB, AFailedWriteIsReportedAndKeepsTheOldPicture)
{
    test::TestDir t;
    const QByteArray p = packed(8, 8, 24);
    cDIB dib;
    QString error;
    EXPECT_FALSE(dib.WriteToFile(t.file("empty.bmp"), &error)) << "nothing held";
    EXPECT_FALSE(QFile::exists(t.file("empty.bmp")));
    ASSERT_TRUE(dib.CreateFromPackedDIBPointer(p.constData(), std::size_t(p.size())));

    EXPECT_FALSE(dib.WriteToFile(t.file("no/such/folder/f.bmp"), &error));
    EXPECT_FALSE(error.isEmpty());

    // The target is a folder: the rename fails, the folder is untouched.
    QDir(t.path()).mkdir("currentcapture.bmp");
    EXPECT_FALSE(dib.WriteToFile(t.file("currentcapture.bmp")));
    EXPECT_TRUE(QFileInfo(t.file("currentcapture.bmp")).isDir());

    // A read-only folder: nothing half-written appears in it.
    if (geteuid() != 0) {
        QDir(t.path()).mkdir("ro");
        QFile::setPermissions(t.file("ro"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        EXPECT_FALSE(dib.WriteToFile(t.file("ro/f.bmp")));
        EXPECT_TRUE(
            QDir(t.file("ro")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
        QFile::setPermissions(t.file("ro"), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ExeOwner);
    }
}

TEST(cDIB, PackedPictureIsBottomUpWithPaddedRows)
{
    // 3 x 2 pixels: rows of 9 bytes padded to 12, the top row last.
    Picture pic;
    pic.width = 3;
    pic.height = 2;
    pic.stride = Picture::strideFor(3);
    ASSERT_EQ(pic.stride, 12);
    pic.bytes.assign(24, 0);
    for (int i = 0; i < 9; ++i) {
        pic.bytes[std::size_t(i)] = std::uint8_t(10 + i);      // top row
        pic.bytes[std::size_t(12 + i)] = std::uint8_t(50 + i); // bottom row
    }
    const QByteArray dib = packedDib(pic);
    ASSERT_EQ(dib.size(), 40 + 24);
    const auto h = cDIB::InfoHeader::read(reinterpret_cast<const std::uint8_t*>(dib.constData()));
    EXPECT_EQ(h.size, 40u);
    EXPECT_EQ(h.width, 3);
    EXPECT_EQ(h.height, 2);
    EXPECT_EQ(h.planes, 1);
    EXPECT_EQ(h.bitCount, 24);
    EXPECT_EQ(h.compression, 0u);
    EXPECT_EQ(h.sizeImage, 24u);
    EXPECT_EQ(std::uint8_t(dib[40]), 50);
    EXPECT_EQ(std::uint8_t(dib[40 + 12]), 10);
    EXPECT_EQ(dib.mid(40 + 9, 3), QByteArray(3, '\0'));
}
