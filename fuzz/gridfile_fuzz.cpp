// The grid file pair as it arrives from another laptop or a homologator's
// mail: the bytes before the first NUL are the parameter file (.ipt), those
// after it, when there is one, its check buoy file (.ipt.cb).

#include "fuzz/fuzzfiles.h"
#include "grid/gridfile.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace korvel;
    const char* bytes = reinterpret_cast<const char*>(data);
    const void* nul = std::memchr(bytes, 0, size);
    const std::size_t iptSize = nul ? std::size_t(static_cast<const char*>(nul) - bytes) : size;
    const QString ipt = fuzz::scratchFile(QStringLiteral("grid.ipt"));
    const QString cb = checkBuoyFilePath(ipt);
    QFile::remove(cb);
    if (!fuzz::writeFile(ipt, bytes, iptSize))
        return 0;
    if (nul && !fuzz::writeFile(cb, bytes + iptSize + 1, size - iptSize - 1))
        return 0;

    const auto result = readGridFiles(ipt);
    if (const auto* grid = std::get_if<GridFileData>(&result)) {
        // What the screens do next with a grid that read whole.
        (void)coefficientMismatch(*grid);
        (void)parameterFileLines(*grid);
        (void)checkBuoyFileLines(*grid);
    }
    return 0;
}
