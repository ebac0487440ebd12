#ifndef VORLIN_MAIN_BOOTSTRAP_H
#define VORLIN_MAIN_BOOTSTRAP_H

#include <string>

// Makes sure the level file exists: when `level_file` is missing it is built from the
// level bitmaps in `dir` ("mask.bmp", "fore.bmp", "back.bmp" and, when present,
// "undiggable.bmp") and written; an existing level file is never rebuilt and the bitmaps
// are then not read at all. False, with `error` naming the file, when the file could not
// be written; nothing partial is left behind.
bool bootstrap_level(const std::string& dir, const std::string& level_file, std::string* error);

#endif
