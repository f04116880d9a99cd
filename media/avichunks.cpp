#include "media/avichunks.h"

#include <QtEndian>

namespace korvel
{

namespace
{

struct Header {
    char id[4];
    std::uint32_t size;
};

bool readAt(QIODevice& file, std::int64_t pos, char* out, int n)
{
    return file.seek(pos) && file.read(out, n) == n;
}

bool readHeader(QIODevice& file, std::int64_t pos, Header* h)
{
    char b[8];
    if (!readAt(file, pos, b, 8))
        return false;
    std::copy(b, b + 4, h->id);
    h->size = qFromLittleEndian<quint32>(b + 4);
    return true;
}

bool is(const char* id, const char* fcc)
{
    return id[0] == fcc[0] && id[1] == fcc[1] && id[2] == fcc[2] && id[3] == fcc[3];
}

// A chunk id is four letters, digits or blanks; anything else means the walk
// has left the chunks (a damaged size sent it into the middle of a picture).
bool plausible(const char* id)
{
    for (int i = 0; i < 4; ++i) {
        const char c = id[i];
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
              c == ' ' || c == '_'))
            return false;
    }
    return true;
}

// The end of a list: where its size says, unless that is no size a file in
// progress or cut short can be trusted with (0, or past the end of the file).
std::int64_t listEnd(std::int64_t pos, std::uint32_t size, std::int64_t limit)
{
    const std::int64_t end = pos + 8 + std::int64_t(size);
    return size == 0 || end > limit ? limit : end;
}

} // namespace

AviChunkScan scanAviChunks(QIODevice& file, int stream)
{
    AviChunkScan scan;
    const std::int64_t fileSize = file.size();
    if (stream < 0 || stream > 99 || fileSize < 12)
        return scan;
    const char tens = char('0' + stream / 10);
    const char ones = char('0' + stream % 10);

    bool stopped = false;
    // Walks the chunks of one movie list; false when it stopped early.
    auto walkMovi = [&](std::int64_t pos, std::int64_t end) {
        while (pos + 8 <= end) {
            Header h;
            if (!readHeader(file, pos, &h) || !plausible(h.id))
                return false;
            if (is(h.id, "LIST")) {
                pos += 12; // a "rec " list groups chunks: walk into it
                continue;
            }
            const std::int64_t next = pos + 8 + std::int64_t(h.size) + (h.size & 1);
            if (h.id[0] == tens && h.id[1] == ones && h.id[2] == 'd' &&
                (h.id[3] == 'c' || h.id[3] == 'b')) {
                if (pos + 8 + std::int64_t(h.size) > fileSize)
                    return false; // half a picture: the file ends inside it
                scan.chunks.push_back({pos, h.size});
            }
            pos = next;
        }
        return pos + 8 > end;
    };

    std::int64_t riff = 0;
    bool first = true;
    while (riff + 12 <= fileSize && !stopped) {
        Header h;
        char type[4];
        if (!readHeader(file, riff, &h) || !is(h.id, "RIFF") || !readAt(file, riff + 8, type, 4))
            break;
        if (!(first ? is(type, "AVI ") : is(type, "AVIX")))
            break;
        first = false;
        const std::int64_t riffEnd = listEnd(riff, h.size, fileSize);
        std::int64_t pos = riff + 12;
        bool sawMovi = false;
        while (pos + 12 <= riffEnd) {
            Header c;
            if (!readHeader(file, pos, &c) || !plausible(c.id)) {
                stopped = true;
                break;
            }
            std::int64_t end = pos + 8 + std::int64_t(c.size);
            if (is(c.id, "LIST") && readAt(file, pos + 8, type, 4) && is(type, "movi")) {
                sawMovi = true;
                end = listEnd(pos, c.size, riffEnd);
                if (!walkMovi(pos + 12, end)) {
                    stopped = true;
                    break;
                }
            }
            pos = end + (end & 1);
        }
        if (!sawMovi)
            stopped = true;
        riff = riffEnd + (riffEnd & 1);
    }
    scan.complete = !first && !stopped;
    return scan;
}

} // namespace korvel
