// A fortress of undiggable masonry under a dusk sky: a maze of halls joined by narrow
// corridors of stone (air, at least 36 pixels high) and shafts packed with rubble (dirt,
// 40 pixels wide) that a player digs through, rooms filled with rubble, and gates of
// rubble through the battlements on the roof. The maze is a spanning tree of its halls
// with a few loops added, so that every hall can be reached from every gate.

#include <algorithm>
#include <vector>

#include "levelgen_looks.h"

namespace levelgen {

namespace {

// The maze's pitch, in pixels: halls this far apart across and down.
constexpr double kPitchX = 110;
constexpr double kPitchY = 96;
// Half the width of a hall and of a shaft; the height of a hall and of a corridor.
constexpr int kHallHalf = 26, kShaftHalf = 20, kHallHeight = 44, kCorridorHeight = 36;

struct Maze {
    int cols, rows;
    double x0, y0, dx, dy;
    // Per hall: the passage to the right and the one down.
    std::vector<bool> right, down;

    int hx(int c) const { return int(x0 + (c + 0.5) * dx); }
    // The floor of a hall.
    int floor(int r) const { return int(y0 + (r + 0.5) * dy) + kHallHeight / 2; }
};

// A random spanning tree of the halls (depth first), then about one passage in six more.
void dig_maze(Maze& m, Rng& rng) {
    const int n = m.cols * m.rows;
    m.right.assign(std::size_t(n), false);
    m.down.assign(std::size_t(n), false);
    std::vector<bool> seen(std::size_t(n), false);
    std::vector<int> stack{rng.below(n)};
    seen[stack[0]] = true;
    while (!stack.empty()) {
        const int at = stack.back(), c = at % m.cols, r = at / m.cols;
        int options[4], count = 0;
        if (c > 0 && !seen[at - 1]) options[count++] = at - 1;
        if (c < m.cols - 1 && !seen[at + 1]) options[count++] = at + 1;
        if (r > 0 && !seen[at - m.cols]) options[count++] = at - m.cols;
        if (r < m.rows - 1 && !seen[at + m.cols]) options[count++] = at + m.cols;
        if (count == 0) {
            stack.pop_back();
            continue;
        }
        const int next = options[rng.below(count)];
        const int lo = std::min(at, next);
        (next - at == 1 || at - next == 1 ? m.right : m.down)[lo] = true;
        seen[next] = true;
        stack.push_back(next);
    }
    for (int i = 0; i < n; ++i) {
        if (i % m.cols < m.cols - 1 && rng.below(6) == 0) m.right[i] = true;
        if (i / m.cols < m.rows - 1 && rng.below(6) == 0) m.down[i] = true;
    }
}

void carve_halls(Terrain& t, const Maze& m) {
    for (int r = 0; r < m.rows; ++r)
        for (int c = 0; c < m.cols; ++c) {
            const int x = m.hx(c), f = m.floor(r), i = r * m.cols + c;
            fill_rect(t, x - kHallHalf, f - kHallHeight, x + kHallHalf, f, Air);
            if (m.right[i]) fill_rect(t, x, f - kCorridorHeight, m.hx(c + 1), f, Air);
            if (m.down[i])
                fill_rect(t, x - kShaftHalf, f, x + kShaftHalf, m.floor(r + 1) - kHallHeight, Earth);
        }
}

// Rooms of rubble over a block of two by one or two by two halls.
void fill_rooms(Terrain& t, const Maze& m, Rng& rng) {
    const int count = m.cols * m.rows / 7;
    for (int i = 0; i < count; ++i) {
        const int c = rng.below(std::max(1, m.cols - 1)), r = rng.below(m.rows);
        const int r1 = std::min(m.rows - 1, r + rng.below(2));
        const int x0 = m.hx(c) - kHallHalf - 10, x1 = m.hx(std::min(m.cols - 1, c + 1)) + kHallHalf + 10;
        const int y0 = m.floor(r) - kHallHeight - 12, y1 = m.floor(r1);
        fill_rect(t, x0, y0, x1, y1, Earth);
        // A few hollows in the rubble.
        for (int k = 0; k < 3; ++k)
            fill_disc(t, rng.uniform(x0 + 14, x1 - 14), rng.uniform(y0 + 14, y1 - 14), rng.uniform(8, 16), Air);
    }
}

// Battlements along the roof, towers between the gates, and gates of rubble from the
// roof into the halls below; no part of the roof without a gate of its own.
void build_roof(Terrain& t, const Maze& m, int roof, Rng& rng) {
    // Merlons with gaps wide enough to stand in, low enough to jump over.
    for (int x = 0; x < t.w; x += 64) fill_rect(t, x + 22, roof - 12, x + 42, roof, Rock);
    const int per_span = 3;
    for (int c0 = 0; c0 < m.cols; c0 += per_span) {
        const int span = std::min(per_span, m.cols - c0);
        const int gate = c0 + rng.below(span);
        const int x = m.hx(gate);
        fill_rect(t, x - kShaftHalf, roof - 14, x + kShaftHalf, m.floor(0) - kHallHeight, Earth);
        // A tower over the border to the next span, low enough to jump onto.
        if (c0 + span < m.cols) {
            const int tx = int(m.x0 + (c0 + span) * m.dx);
            fill_rect(t, tx - 30, roof - 30, tx + 30, roof, Rock);
            // A merlon at each corner: the crenel between them (36 pixels) is wider than
            // a player (20), so whoever stands up there can always walk down into it.
            fill_rect(t, tx - 30, roof - 40, tx - 18, roof - 30, Rock);
            fill_rect(t, tx + 18, roof - 40, tx + 30, roof - 30, Rock);
        }
    }
}

// Torchlight behind the halls: a warm pool around one hall in three, kept (0 to 255)
// in the tags of the open cells.
void light_torches(Terrain& t, const Maze& m, Rng& rng) {
    for (int r = 0; r < m.rows; ++r)
        for (int c = 0; c < m.cols; ++c) {
            if (rng.below(3) != 0) continue;
            const int cx = m.hx(c), cy = m.floor(r) - kHallHeight + 10;
            for (int y = cy - 56; y <= cy + 56; ++y)
                for (int x = cx - 56; x <= cx + 56; ++x) {
                    if (!t.inside(x, y) || t.at(x, y) != Air) continue;
                    const double d2 = double(x - cx) * (x - cx) + double(y - cy) * (y - cy);
                    const double light = 255 * (1 - d2 / 3136);
                    std::uint8_t& tag = t.tags[t.index(x, y)];
                    if (light > tag) tag = std::uint8_t(light);
                }
        }
}

void shape_fortress(Terrain& t) {
    Rng rng(std::uint64_t(t.seed) * 0xA0761D6478BD642Full + 0xF0475ull);
    const int roof = t.sky + 56;
    fill_rect(t, 0, roof, t.w, t.h, Rock);
    for (int x = 0; x < t.w; ++x) t.surface[x] = roof;
    Maze m;
    const double top = roof + 40, bottom = t.h - 24;
    m.cols = std::max(2, int((t.w - 40) / kPitchX));
    m.rows = std::max(1, int((bottom - top) / kPitchY));
    m.x0 = 20;
    m.dx = (t.w - 40.0) / m.cols;
    m.y0 = top;
    m.dy = (bottom - top) / m.rows;
    dig_maze(m, rng);
    carve_halls(t, m);
    fill_rooms(t, m, rng);
    build_roof(t, m, roof, rng);
    light_torches(t, m, rng);
}

// ---------------------------------------------------------------- pictures

// Ashlar: courses of blocks, every other course shifted by half a block; `id` names
// the block, `mortar` is the distance to its nearest joint.
void ashlar(double x, double y, double bw, double bh, std::uint32_t* id, double* mortar) {
    const int row = int(y / bh);
    const double shift = (row % 2) * bw / 2;
    const int col = int((x + shift) / bw);
    const double ux = x + shift - col * bw, uy = y - row * bh;
    *id = hash3(col, row, 800);
    *mortar = std::min(std::min(ux, bw - ux), std::min(uy, bh - uy));
}

Rgb masonry_colour(const Terrain& t, int x, int y, int edge) {
    std::uint32_t id;
    double mortar;
    ashlar(x, y, 26, 13, &id, &mortar);
    Rgb c = scale({98, 92, 108}, 0.82 + 0.3 * ((id >> 8 & 0xFF) / 255.0));
    c = add(c, 16 * (fbm(x / 7.0, y / 7.0, 3, 801) - 0.5) + 8 * (unit(x, y, 802) - 0.5));
    if (mortar < 1.5) c = {48, 44, 54};
    else if (mortar < 3 && y % 13 < 3) c = add(c, 12);
    // Moss where the stone meets the open air and the weather.
    const double moss = fbm(x / 24.0, y / 24.0, 3, 803);
    if (edge <= 3 && moss > 0.5) c = mix(c, {72, 102, 56}, (moss - 0.5) * 3 / edge);
    if (edge <= 1) c = scale(c, 0.75);
    if (y < t.surface[x] && edge > 1) c = add(c, 14);
    return c;
}

Rgb rubble_colour(int x, int y, int edge) {
    double f1, f2;
    std::uint32_t id = 0;
    cells_at(x, y, 7, 810, &f1, &f2, &id);
    Rgb c = mix({108, 86, 66}, {132, 120, 104}, (id >> 8 & 0xFF) / 255.0);
    if (f2 - f1 < 1.2) c = {62, 50, 42};
    c = add(c, 14 * (unit(x, y, 811) - 0.5));
    if (edge <= 2) c = scale(c, 0.7 + 0.1 * edge);
    return c;
}

Rgb fortress_back(const Terrain& t, int x, int y) {
    if (y < t.surface[x]) {
        // Dusk: deep violet above, burning orange at the horizon, a pale moon, clouds.
        const double v = double(y) / t.surface[x];
        Rgb c = mix({40, 30, 70}, {150, 70, 80}, v * 1.2);
        c = mix(c, {240, 140, 70}, (v - 0.6) * 2.5);
        const double cloud = fbm(x / 150.0, y / 30.0, 4, 820);
        if (cloud > 0.55) c = mix(c, {70, 40, 70}, (cloud - 0.55) * 3);
        const double mx = x - t.w * 0.78, my = y - t.sky * 0.55;
        if (mx * mx + my * my < 400) c = mix({250, 240, 210}, c, fbm(x / 5.0, y / 5.0, 2, 821) * 0.4);
        return c;
    }
    // Inside: dark dressed walls, warm where a torch burns.
    std::uint32_t id;
    double mortar;
    ashlar(x * 0.5, y * 0.5, 34, 17, &id, &mortar);
    Rgb c = scale({44, 38, 46}, 0.85 + 0.2 * ((id >> 8 & 0xFF) / 255.0));
    if (mortar < 1) c = scale(c, 0.6);
    const double light = t.tag(x, y) / 255.0;
    c = mix(c, {230, 140, 60}, light * light * 0.5);
    // The torch itself: a flame over a dark bracket.
    if (light > 0.985) c = mix({255, 236, 150}, {255, 150, 40}, (1 - light) / 0.015);
    else if (light > 0.97 && y > 0 && t.tag(x, y - 4) / 255.0 > 0.985) c = {40, 30, 26};
    return add(c, 5 * (unit(x, y, 822) - 0.5));
}

Paint paint_fortress(const Terrain& t, int x, int y) {
    const Cell cell = t.at(x, y);
    const int edge = cell == Air ? 4 : edge_distance(t, x, y);
    return {cell == Rock ? masonry_colour(t, x, y, edge) : rubble_colour(x, y, edge), fortress_back(t, x, y)};
}

}  // namespace

Look fortress_look() {
    return {"fortress", "a stone fortress: a maze of narrow undiggable passages, shafts and rooms of rubble",
            shape_fortress, paint_fortress};
}

}  // namespace levelgen
