// A picture file the screens load: a contact picture named in the picture
// log, the exported frame, one loaded by hand or left by the scoring side.

#include "shell/picturefile.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QString why;
    const QImage picture = korvel::pictureFromBytes(bytes, &why);
    if (picture.isNull() ? why.isEmpty()
                         : picture.width() > korvel::kPictureMaxSide ||
                               picture.height() > korvel::kPictureMaxSide)
        __builtin_trap();
    return 0;
}
