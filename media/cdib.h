#pragma once
// One uncompressed device-independent bitmap in memory, written as a .bmp
// file. The review screen fills it from a decoded video frame; grid set-up and
// measurement load the written file as an ordinary picture.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace korvel
{

class cDIB
{
public:
    static constexpr int kFileHeaderSize = 14;
    static constexpr int kInfoHeaderSize = 40;

    // The 40-byte information header as it lies in a packed bitmap and on disk.
    struct InfoHeader {
        std::uint32_t size = kInfoHeaderSize;
        std::int32_t width = 0;
        std::int32_t height = 0; // positive: rows stored bottom-up
        std::uint16_t planes = 1;
        std::uint16_t bitCount = 0;
        std::uint32_t compression = 0;
        std::uint32_t sizeImage = 0;
        std::int32_t xPelsPerMeter = 0;
        std::int32_t yPelsPerMeter = 0;
        std::uint32_t clrUsed = 0;
        std::uint32_t clrImportant = 0;

        static InfoHeader read(const std::uint8_t* p);
        void write(std::uint8_t* p) const;
    };

    // Takes a packed bitmap: the information header followed at once by the
    // pixels. Only 16 bits per pixel and more (no colour table) with at least
    // one byte of image are taken; anything else leaves the object as it was
    // and returns false. availableBytes is the length of the packed block: an
    // image size that claims more than the block holds is refused too.
    bool CreateFromPackedDIBPointer(const void* packed, std::size_t availableBytes);

    // Writes the file header, the information header and the pixels. The file
    // is written beside its final name and renamed over it, so a reader sees
    // the old picture or the new one, never half of one. False, with the
    // reason in *error, when the file could not be written or nothing is held.
    bool WriteToFile(const QString& fileName, QString* error = nullptr) const;

    bool isValid() const { return !m_pixels.isEmpty(); }
    const InfoHeader& infoHeader() const { return m_info; }
    std::uint32_t fileSize() const { return m_fileSize; }
    std::uint32_t pixelOffset() const { return m_pixelOffset; }
    const QByteArray& pixels() const { return m_pixels; }
    // The whole file as WriteToFile writes it.
    QByteArray fileBytes() const;

private:
    InfoHeader m_info;
    QByteArray m_header; // the information header as it goes into the file
    QByteArray m_pixels;
    std::uint32_t m_fileSize = 0;
    std::uint32_t m_pixelOffset = 0;
};

} // namespace korvel
