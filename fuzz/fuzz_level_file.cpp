// Level files from anyone: the whole road from the bytes on disk to the composed level,
// the way Game::Load takes it (pack_fopen "rp", Level::Load with its chunk and image
// checks, decoding, the bitmask, Level::Update), in every colour depth.
//
// An input that starts with "slh" (a packfile magic) is written as it is; anything else
// is taken as the content of a level file and packed first, so that mutations reach the
// chunks and images and not only the compressed stream.

#include <allegro.h>

#include <cstring>

#include "collision/clgo.h"
#include "fuzz_support.h"
#include "level/level.h"

namespace {

bool same_size(const BITMAP* a, const BITMAP* b) { return a->w == b->w && a->h == b->h; }

// What every loaded level must satisfy before a game is played on it.
void check_loaded(const Level& level, int depth) {
    if (!level.mask || !level.foreground || !level.background || !level.render || !level.bound)
        fuzz::fail("a loaded level lacks a bitmap or its bitmask");
    const BITMAP* mask = level.mask;
    for (const BITMAP* bmp : {level.foreground, level.background, level.render})
        if (!same_size(bmp, mask)) fuzz::fail("loaded bitmaps of different sizes");
    if (level.undiggable && !same_size(level.undiggable, mask))
        fuzz::fail("undiggable map of another size");
    for (const BITMAP* bmp : {level.mask, level.undiggable, level.foreground, level.background,
                              level.render})
        if (bmp && bitmap_color_depth(const_cast<BITMAP*>(bmp)) != depth)
            fuzz::fail("loaded bitmap of another colour depth");
    if (level.width != mask->w || level.height != mask->h) fuzz::fail("level size not the mask's");
    if (level.bound->w != mask->w || level.bound->h != mask->h ||
        level.bound->size != mask->w * mask->h)
        fuzz::fail("bitmask not the mask's size");
}

// A little play on the loaded level: the terrain operations a game performs on it.
void play(Level& level) {
    const int w = level.width, h = level.height;
    level.Dig(w / 2, h / 2, 3);
    level.AddDirt(w / 3, h / 3, 2);
    level.Dig(0, 0, 2);
    level.Update();
    int x = w / 2, y = 0;
    level.DropToSolid(x, y, unsigned(h) + 1);
    BITMAP* view = create_bitmap(16, 16);
    if (!view) fuzz::fail("cannot create the view");
    level.Draw(view, w / 2 - 8, h / 2 - 8, 0, 0, 16, 16);
    destroy_bitmap(view);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::init();
    const bool packfile = size >= 3 && std::memcmp(data, "slh", 3) == 0;
    const std::string path = packfile ? fuzz::write_file("map.lvl", data, size)
                                      : fuzz::write_packed_file("map.lvl", data, size);
    for (int depth : fuzz::kDepths) {
        fuzz::Depth scoped(depth);
        // Game::Load asserts on a file that does not open: a refusal, not a finding.
        PACKFILE* pf = pack_fopen(path.c_str(), "rp");
        if (!pf) continue;
        fuzz::PackfileCloser closer(pf);
        Level level;
        try {
            level.Load(pf);
        } catch (const fuzz::Refused&) {
            continue;
        }
        check_loaded(level, depth);
        play(level);
    }
    return 0;
}
