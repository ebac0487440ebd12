#ifndef VORLIN_LEVEL_LEVEL_FILE_H
#define VORLIN_LEVEL_LEVEL_FILE_H

#include <string>
#include <vector>

struct PACKFILE;
class Level;

// The level file is a packed Allegro packfile holding exactly four unpacked chunks:
// mask, undiggable flag byte (then the undiggable map when the flag is not 0),
// foreground, background; each image a TGA as `save_tga_pf` writes it.

// Largest chunk accepted when reading: the flag byte, a TGA header and palette, and the
// largest picture the image checks let through.
constexpr long long kMaxLevelChunk = (1LL << 28) + 4096;

// Reads one unpacked chunk (two big-endian 32-bit lengths, then the data) into `data`.
// The library's own chunk reader trusts the length; this one refuses a negative
// (compressed) or oversized length and data that ends before the length says, and grows
// `data` only as bytes actually arrive. False with a reason otherwise.
bool read_level_chunk(PACKFILE* pf, std::vector<unsigned char>* data, std::string* why);

// Writes `level` to `path` so that `path` is either untouched or holds the complete file:
// the level goes to a temporary file in the same folder, every write and the close are
// checked, the file is read back and checked chunk by chunk, flushed to disk, and only
// then renamed over `path`. On failure the temporary file is removed and `error` says
// "Unable to write <path>: <reason>".
bool write_level_file(const Level& level, const std::string& path, std::string* error);

#endif
