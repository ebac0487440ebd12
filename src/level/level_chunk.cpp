#include "level/level_chunk.h"

#include <allegro.h>

#include <algorithm>
#include <cstdint>

namespace {

bool refuse(std::string* why, const std::string& reason) {
    if (why) *why = reason;
    return false;
}

}  // namespace

bool read_level_chunk(PACKFILE* pf, std::vector<unsigned char>* data, std::string* why) {
    data->clear();
    unsigned char header[8];
    for (unsigned char& byte : header) {
        const int c = pack_getc(pf);
        if (c == EOF) return refuse(why, "chunk header truncated");
        byte = static_cast<unsigned char>(c);
    }
    // The first word is the stored size, the second the data size; an unpacked chunk has
    // both equal, and the second (as in the library's reader) is what counts. Negative
    // means a compressed chunk, which a level file never holds.
    const std::int32_t length = std::int32_t(std::uint32_t(header[4]) << 24 |
                                             std::uint32_t(header[5]) << 16 |
                                             std::uint32_t(header[6]) << 8 | header[7]);
    if (length < 0) return refuse(why, "compressed or negative chunk length");
    if (length > kMaxLevelChunk)
        return refuse(why, "chunk length " + std::to_string(length) + " too large");

    // Grown only as the data arrives: a lying length costs no more memory than the file.
    constexpr long kBlock = 1 << 16;
    long remaining = length;
    while (remaining > 0) {
        const long want = std::min(remaining, kBlock);
        const std::size_t old = data->size();
        data->resize(old + std::size_t(want));
        const long got = pack_fread(data->data() + old, want, pf);
        if (got != want)
            return refuse(why, "chunk data truncated: " +
                                   std::to_string(long(old) + std::max(got, 0L)) + " of " +
                                   std::to_string(length) + " bytes");
        remaining -= want;
    }
    return true;
}
