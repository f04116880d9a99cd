#pragma once
// The picture chunks of an AVI file, found by walking the chunks themselves.
//
// The index at the end of an AVI file ("idx1") is written last: a recorder
// stopped while writing it, or a copy cut short, leaves an index that lists
// fewer chunks than the file holds, and a damaged one lists the wrong places.
// The movie lists still hold every picture in order, each chunk headed by its
// stream number and size, so walking them gives the true count and places.

#include <QIODevice>

#include <cstdint>
#include <vector>

namespace korvel
{

struct AviChunk {
    std::int64_t pos = 0;   // offset of the chunk's 8-byte header in the file
    std::uint32_t size = 0; // bytes of data; 0 for the empty chunk of a dropped frame
};

struct AviChunkScan {
    // The video chunks ("NNdc", "NNdb") of the stream in file order: chunk k
    // is frame k. A last chunk cut short by the end of the file is left out.
    std::vector<AviChunk> chunks;
    // Every movie list was walked to its end. False when the walk stopped at
    // something that is no chunk (damage) or at the end of a cut file.
    bool complete = false;
};

// Walks the movie lists ("LIST movi", in "RIFF AVI " and any "RIFF AVIX"
// after it) of the file for the chunks of video stream `stream` (its number
// in the file's stream headers, 0 for the first). Reads chunk headers only.
AviChunkScan scanAviChunks(QIODevice& file, int stream);

} // namespace korvel
