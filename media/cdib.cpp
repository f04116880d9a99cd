#include "media/cdib.h"

#include "shell/textfile.h"

#include <QtEndian>

namespace korvel
{

cDIB::InfoHeader cDIB::InfoHeader::read(const std::uint8_t* p)
{
    InfoHeader h;
    h.size = qFromLittleEndian<std::uint32_t>(p + 0);
    h.width = qFromLittleEndian<std::int32_t>(p + 4);
    h.height = qFromLittleEndian<std::int32_t>(p + 8);
    h.planes = qFromLittleEndian<std::uint16_t>(p + 12);
    h.bitCount = qFromLittleEndian<std::uint16_t>(p + 14);
    h.compression = qFromLittleEndian<std::uint32_t>(p + 16);
    h.sizeImage = qFromLittleEndian<std::uint32_t>(p + 20);
    h.xPelsPerMeter = qFromLittleEndian<std::int32_t>(p + 24);
    h.yPelsPerMeter = qFromLittleEndian<std::int32_t>(p + 28);
    h.clrUsed = qFromLittleEndian<std::uint32_t>(p + 32);
    h.clrImportant = qFromLittleEndian<std::uint32_t>(p + 36);
    return h;
}

void cDIB::InfoHeader::write(std::uint8_t* p) const
{
    qToLittleEndian<std::uint32_t>(size, p + 0);
    qToLittleEndian<std::int32_t>(width, p + 4);
    qToLittleEndian<std::int32_t>(height, p + 8);
    qToLittleEndian<std::uint16_t>(planes, p + 12);
    qToLittleEndian<std::uint16_t>(bitCount, p + 14);
    qToLittleEndian<std::uint32_t>(compression, p + 16);
    qToLittleEndian<std::uint32_t>(sizeImage, p + 20);
    qToLittleEndian<std::int32_t>(xPelsPerMeter, p + 24);
    qToLittleEndian<std::int32_t>(yPelsPerMeter, p + 28);
    qToLittleEndian<std::uint32_t>(clrUsed, p + 32);
    qToLittleEndian<std::uint32_t>(clrImportant, p + 36);
}

bool cDIB::CreateFromPackedDIBPointer(const void* packed, std::size_t availableBytes)
{
    if (!packed || availableBytes < std::size_t(kInfoHeaderSize))
        return false;
    const auto* bytes = static_cast<const std::uint8_t*>(packed);
    const InfoHeader info = InfoHeader::read(bytes);
    if (info.bitCount < 16 || info.sizeImage < 1)
        return false;
    // The file size field is 32 bits: an image that would overflow it cannot
    // be written truthfully.
    if (info.sizeImage > availableBytes - kInfoHeaderSize ||
        info.sizeImage > 0xFFFFFFFFu - kFileHeaderSize - kInfoHeaderSize)
        return false;

    m_info = info;
    m_header = QByteArray(reinterpret_cast<const char*>(bytes), kInfoHeaderSize);
    m_pixels = QByteArray(reinterpret_cast<const char*>(bytes + kInfoHeaderSize),
                          qsizetype(info.sizeImage));
    m_pixelOffset = kFileHeaderSize + kInfoHeaderSize;
    m_fileSize = m_pixelOffset + info.sizeImage;
    return true;
}

QByteArray cDIB::fileBytes() const
{
    if (!isValid())
        return {};
    QByteArray out(kFileHeaderSize, '\0');
    auto* p = reinterpret_cast<std::uint8_t*>(out.data());
    p[0] = 'B';
    p[1] = 'M';
    qToLittleEndian<std::uint32_t>(m_fileSize, p + 2);
    qToLittleEndian<std::uint16_t>(0, p + 6);
    qToLittleEndian<std::uint16_t>(0, p + 8);
    qToLittleEndian<std::uint32_t>(m_pixelOffset, p + 10);
    out.reserve(qsizetype(m_fileSize));
    out += m_header;
    out += m_pixels;
    return out;
}

bool cDIB::WriteToFile(const QString& fileName, QString* error) const
{
    if (!isValid()) {
        if (error)
            *error = QStringLiteral("no picture to write");
        return false;
    }
    const FileResult r = writeFileAtomically(fileName, fileBytes());
    if (!r && error)
        *error = r.error;
    return bool(r);
}

} // namespace korvel
