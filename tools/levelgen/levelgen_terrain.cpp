#include "levelgen_terrain.h"

#include <algorithm>
#include <cstdlib>

namespace levelgen {

namespace {

// Rows kept open at the top of the first level (800 rows); never fewer than the spawn
// height and a player's diameter with some room to spare.
constexpr int kSkyBand = 64;
constexpr int kMinSkyBand = 40;

}  // namespace

Terrain::Terrain(int width, int height, std::uint32_t level_seed)
    : w(width),
      h(height),
      sky(std::max(kMinSkyBand, kSkyBand * height / 800)),
      seed(level_seed),
      sx(width / 1280.0),
      sy(height / 800.0),
      cells(std::size_t(width) * height, Air),
      surface(std::size_t(width), sky),
      tags(std::size_t(width) * height, 0) {}

void Terrain::set(int x, int y, Cell c, std::uint8_t t) {
    if (!inside(x, y) || y < sky) return;
    cells[index(x, y)] = c;
    tags[index(x, y)] = t;
}

void fill_disc(Terrain& t, double cx, double cy, double r, Cell c, std::uint8_t tag) {
    for (int y = int(cy - r) - 1; y <= int(cy + r) + 1; ++y)
        for (int x = int(cx - r) - 1; x <= int(cx + r) + 1; ++x) {
            const double dx = x - cx, dy = y - cy;
            if (dx * dx + dy * dy <= r * r) t.set(x, y, c, tag);
        }
}

void fill_rect(Terrain& t, int x0, int y0, int x1, int y1, Cell c, std::uint8_t tag) {
    for (int y = std::max(y0, 0); y < std::min(y1, t.h); ++y)
        for (int x = std::max(x0, 0); x < std::min(x1, t.w); ++x) t.set(x, y, c, tag);
}

int edge_distance(const Terrain& t, int x, int y) {
    for (int d = 1; d <= 3; ++d)
        for (int j = -d; j <= d; ++j)
            for (int i = -d; i <= d; ++i)
                if ((std::abs(i) == d || std::abs(j) == d) && t.at(x + i, y + j) == Air && y + j >= 0)
                    return d;
    return 4;
}

bool touches(const Terrain& t, int x, int y, Cell c) {
    return t.at(x - 1, y) == c || t.at(x + 1, y) == c || t.at(x, y - 1) == c || t.at(x, y + 1) == c;
}

}  // namespace levelgen
