#include "main/bootstrap.h"

#include <allegro.h>

#include "level/level.h"
#include "level/level_file.h"

bool bootstrap_level(const std::string& dir, const std::string& level_file, std::string* error) {
    // A level file, once written, is the level: newer bitmaps never replace it.
    if (exists(level_file.c_str())) return true;

    const std::string undiggable = dir + "/undiggable.bmp";
    Level level(dir + "/mask.bmp", exists(undiggable.c_str()) ? undiggable : std::string(),
                dir + "/fore.bmp", dir + "/back.bmp");
    return write_level_file(level, level_file, error);
}
