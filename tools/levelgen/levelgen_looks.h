#ifndef VORLIN_TOOLS_LEVELGEN_LOOKS_H
#define VORLIN_TOOLS_LEVELGEN_LOOKS_H

#include <cstdint>
#include <string>
#include <vector>

#include "base/owned_bitmap.h"
#include "levelgen_noise.h"
#include "levelgen_terrain.h"

namespace levelgen {

// Sizes a level may have, in pixels.
constexpr int kMinWidth = 320, kMaxWidth = 4096;
constexpr int kMinHeight = 200, kMaxHeight = 2048;

struct LevelRecipe {
    std::uint32_t seed = 0;
    int width = 1280;
    int height = 800;
    std::string look = "hills";
};

// The two pictures of one pixel.
struct Paint {
    Rgb fore;  // the terrain picture, also under open space (dirt piled up there shows it)
    Rgb back;  // what shows where there is no terrain
};

// One kind of level: how its terrain is shaped and how it is painted.
struct Look {
    const char* name;
    const char* summary;
    void (*shape)(Terrain& t);
    Paint (*paint)(const Terrain& t, int x, int y);
};

// The islands' tags: the earthen stalks under the islands and the stepping stones.
constexpr std::uint8_t kIslandStalk = 1, kIslandStone = 2;

// Every look, the default first.
const std::vector<Look>& looks();
// The look of that name; null when there is none.
const Look* find_look(const std::string& name);

Look hills_look();
Look islands_look();
Look caves_look();
Look fortress_look();

// The four bitmaps of a level, in the current colour depth.
struct LevelImages {
    OwnedBitmap mask, undiggable, fore, back;
};

// The terrain of the level `recipe` describes (its look must exist).
Terrain make_terrain(const LevelRecipe& recipe);
// The level's bitmaps; empty handles when a bitmap cannot be made.
LevelImages make_level_images(const LevelRecipe& recipe);
// Writes back.bmp, fore.bmp, mask.bmp and undiggable.bmp into `dir`; false with the
// reason (one line) when a file cannot be written.
bool save_level_images(const LevelImages& images, const std::string& dir, std::string* why);

}  // namespace levelgen

#endif
