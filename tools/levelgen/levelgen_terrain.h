#ifndef VORLIN_TOOLS_LEVELGEN_TERRAIN_H
#define VORLIN_TOOLS_LEVELGEN_TERRAIN_H

#include <cstdint>
#include <vector>

namespace levelgen {

enum Cell : std::uint8_t { Air, Earth, Rock };

// The level being made, one cell per pixel, before it is painted. `sky` rows at the top
// stay open whatever the terrain does: players and weapon drops arrive there (at y = 20).
struct Terrain {
    Terrain(int width, int height, std::uint32_t seed);

    int w, h;
    int sky;
    std::uint32_t seed;
    // Size against the first level's 1280 x 800: what the layout of a look scales by.
    double sx, sy;
    std::vector<Cell> cells;
    // First earth row of each column where a look has one surface; the sky band else.
    std::vector<int> surface;
    // A look's own distinction between cells of one kind (roots, room fill, ...), 0 else.
    std::vector<std::uint8_t> tags;

    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h; }
    // Outside the level: air.
    Cell at(int x, int y) const { return inside(x, y) ? cells[index(x, y)] : Air; }
    Cell& ref(int x, int y) { return cells[index(x, y)]; }
    std::uint8_t tag(int x, int y) const { return inside(x, y) ? tags[index(x, y)] : 0; }
    // Below the sky band and inside the level, else nothing.
    void set(int x, int y, Cell c, std::uint8_t tag = 0);
    std::size_t index(int x, int y) const { return std::size_t(y) * w + x; }
};

// Every cell of the disc (below the sky band) becomes `c`.
void fill_disc(Terrain& t, double cx, double cy, double r, Cell c, std::uint8_t tag = 0);
// Every cell of the rectangle [x0, x1) x [y0, y1) (below the sky band) becomes `c`.
void fill_rect(Terrain& t, int x0, int y0, int x1, int y1, Cell c, std::uint8_t tag = 0);

// Distance (1 to 3) from a solid cell to the nearest air cell inside or above the level,
// 4 when farther.
int edge_distance(const Terrain& t, int x, int y);
// A solid cell with a cell of kind `c` beside, above or below it.
bool touches(const Terrain& t, int x, int y, Cell c);

}  // namespace levelgen

#endif
