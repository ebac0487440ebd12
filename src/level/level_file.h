#ifndef VORLIN_LEVEL_LEVEL_FILE_H
#define VORLIN_LEVEL_LEVEL_FILE_H

#include <string>

class Level;

// The level file is a packed Allegro packfile holding exactly four unpacked chunks
// (level_chunk.h): mask, undiggable flag byte (then the undiggable map when the flag is
// not 0), foreground, background; each image a TGA as `save_tga_pf` writes it.

// Writes `level` to `path` so that `path` is either untouched or holds the complete file:
// the level goes to a temporary file in the same folder, every write and the close are
// checked, the file is read back and checked chunk by chunk, flushed to disk, and only
// then renamed over `path`. On failure the temporary file is removed and `error` says
// "Unable to write <path>: <reason>".
bool write_level_file(const Level& level, const std::string& path, std::string* error);

// Whether `path` holds a level file that loads: what the level reader would stop at (a
// damaged chunk, a picture the image checks refuse, pictures of different sizes, a
// missing chunk, data after the last) found without stopping. False with the reason.
bool check_level_file(const std::string& path, std::string* why);

#endif
