// levelgen [--seed N] [--size WxH] [--look NAME] [--preview FILE] [--thumb FILE] [--lvl FILE] DIR
//
// Writes a level's bitmaps into DIR (created when missing): back.bmp, fore.bmp,
// mask.bmp and undiggable.bmp, 24-bit BMPs of one size. The output depends on nothing
// but the options: the same bitmaps come out on every run and every machine. Without
// options it is the game's default level (the hills look, seed 0, 1280 x 800). With
// --preview the composed picture (as the game shows it) is written as well, with
// --thumb a small picture of it, with --lvl the level file the game would build from
// the bitmaps.

#include <allegro.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>

#include "level/level.h"
#include "level/level_file.h"
#include "level/level_thumbnail.h"
#include "levelgen_looks.h"
#include "levelgen_options.h"

namespace {

// The level as the game builds it from the files just written, for its pictures and
// its level file.
bool save_built(const levelgen::Options& o, std::string* why) {
    const Level level(o.dir + "/mask.bmp", o.dir + "/undiggable.bmp", o.dir + "/fore.bmp", o.dir + "/back.bmp");
    if (!o.lvl.empty() && !write_level_file(level, o.lvl, why)) return false;
    if (!o.preview.empty() && save_bitmap(o.preview.c_str(), level.render, nullptr) != 0)
        return *why = "cannot write " + o.preview, false;
    if (o.thumb.empty()) return true;
    const OwnedBitmap thumb = make_level_thumbnail(level);
    if (!thumb || save_bitmap(o.thumb.c_str(), thumb.get(), nullptr) != 0)
        return *why = "cannot write " + o.thumb, false;
    return true;
}

bool make_level(const levelgen::Options& o, std::string* why) {
    std::error_code ec;
    std::filesystem::create_directories(o.dir, ec);
    if (ec) return *why = "cannot create " + o.dir + ": " + ec.message(), false;
    const levelgen::LevelImages images = levelgen::make_level_images(o.recipe);
    if (!images.mask) return *why = "out of memory", false;
    if (!levelgen::save_level_images(images, o.dir, why)) return false;
    return o.preview.empty() && o.thumb.empty() && o.lvl.empty() ? true : save_built(o, why);
}

}  // namespace

int main(int argc, char** argv) {
    levelgen::Options options;
    std::string why;
    if (!levelgen::parse_options(argc, argv, &options, &why)) {
        std::fprintf(stderr, "levelgen: %s\n%s", why.c_str(), levelgen::usage().c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(levelgen::usage().c_str(), stdout);
        return 0;
    }
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) {
        std::fputs("levelgen: cannot start Allegro\n", stderr);
        return 1;
    }
    set_color_depth(32);
    if (!make_level(options, &why)) {
        std::fprintf(stderr, "levelgen: %s\n", why.c_str());
        return 1;
    }
    return 0;
}
