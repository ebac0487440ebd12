#include "replay/world_digest.h"

#include <allegro.h>

#include <cstdio>
#include <vector>

#include "base/hasher.h"
#include "replay/world_snapshot.h"
#include "level/level.h"

namespace {

// One pseudo-random 64-bit weight per column (splitmix64 of the column). A row's value
// is the sum of the weights of its solid pixels: no chain from pixel to pixel, so the
// loop runs at the speed of memory, and two different rows collide only when two sums
// of random weights meet (about 1 in 2^64).
std::vector<std::uint64_t> column_weights(int width) {
    std::vector<std::uint64_t> weights(static_cast<std::size_t>(width));
    std::uint64_t s = 0;
    for (std::uint64_t& w : weights) {
        std::uint64_t z = (s += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        w = z ^ (z >> 31);
    }
    return weights;
}

template <class Pixel>
std::uint64_t row_value(const unsigned char* row, int width, Pixel solid,
                        const std::uint64_t* weights) {
    const Pixel* p = reinterpret_cast<const Pixel*>(row);
    std::uint64_t sum = 0;
    for (int x = 0; x < width; ++x) sum += weights[x] & (0 - std::uint64_t(p[x] == solid));
    return sum;
}

// 24-bit rows: three bytes a pixel, compared as the library stores them.
std::uint64_t row_value_24(const unsigned char* row, int width, int solid,
                           const std::uint64_t* weights) {
    std::uint64_t sum = 0;
    for (int x = 0; x < width; ++x) {
        const unsigned char* q = row + 3 * x;
        const int c = q[0] | (q[1] << 8) | (q[2] << 16);
        sum += weights[x] & (0 - std::uint64_t(c == solid));
    }
    return sum;
}

std::uint64_t mask_row(BITMAP* mask, int y, int solid, const std::uint64_t* weights) {
    const unsigned char* row = mask->line[y];
    switch (bitmap_color_depth(mask)) {
        case 8: return row_value<std::uint8_t>(row, mask->w, std::uint8_t(solid), weights);
        case 15:
        case 16: return row_value<std::uint16_t>(row, mask->w, std::uint16_t(solid), weights);
        case 24: return row_value_24(row, mask->w, solid, weights);
        default: return row_value<std::uint32_t>(row, mask->w, std::uint32_t(solid), weights);
    }
}

}  // namespace

void digest_terrain(Hasher& h, const Level& level) {
    h.Int(level.width);
    h.Int(level.height);
    BITMAP* mask = level.mask;
    if (!mask) return;
    h.Int(mask->w);
    h.Int(mask->h);
    const std::vector<std::uint64_t> weights = column_weights(mask->w);
    const int solid = makecol_depth(bitmap_color_depth(mask), 255, 0, 255);
    for (int y = 0; y < mask->h; ++y) h.Word(mask_row(mask, y, solid, weights.data()));
}

std::uint64_t world_digest(const Game& game) {
    Hasher h;
    for (std::size_t i = 0; i < kWorldParts; ++i)
        digest_world_part(h, game, static_cast<WorldPart>(i));
    return h.value();
}

std::string digest_text(std::uint64_t digest) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(digest));
    return text;
}
