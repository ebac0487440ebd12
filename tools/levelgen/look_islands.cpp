// Floating islands of dirt under a day sky, above a deep misty pit floored with dark
// basalt that can never be dug. Most islands hang on an earthen stalk down to what lies
// below them, short of the pit floor, and on each side of an island a zigzag of stepping
// stones leads down from its rim to the ground below, so that a player can climb back to
// every island.

#include <algorithm>

#include "levelgen_looks.h"

namespace levelgen {

namespace {

constexpr std::uint8_t kStalk = kIslandStalk, kStone = kIslandStone;

// Column spacing and row spacing of the islands, in pixels.
constexpr double kColumnGap = 240;
constexpr double kRowGap = 120;

// The pit floor: basalt, and heaps of dirt on it that never rise steeper than a player
// walks.
void make_floor(Terrain& t) {
    const std::uint32_t k = salt(t.seed);
    std::vector<int> rock(std::size_t(t.w));
    for (int x = 0; x < t.w; ++x) {
        rock[x] = t.h - std::max(12, int(36 * t.sy + 22 * t.sy * fbm(x / 90.0, 2.5, 3, 501 + k)));
        const double heap = (fbm(x / 150.0, 7.5, 3, 502 + k) - 0.42) * 120 * t.sy;
        t.surface[x] = rock[x] - std::max(0, int(heap));
    }
    for (int x = 1; x < t.w; ++x) t.surface[x] = std::max(t.surface[x], t.surface[x - 1] - 1);
    for (int x = t.w - 2; x >= 0; --x) t.surface[x] = std::max(t.surface[x], t.surface[x + 1] - 1);
    for (int x = 0; x < t.w; ++x)
        for (int y = std::min(t.surface[x], rock[x]); y < t.h; ++y) t.set(x, y, y < rock[x] ? Earth : Rock);
}

struct Island {
    double cx, cy, a, belly;
};

// A domed top, and an underside that hangs down to a ragged point.
void raise_island(Terrain& t, const Island& is, int i) {
    const std::uint32_t k = salt(t.seed) + std::uint32_t(i) * 7919u;
    for (int x = int(is.cx - is.a) + 1; x < int(is.cx + is.a); ++x) {
        const double u = (x - is.cx) / is.a, v = 1 - u * u;
        const int top = int(is.cy - 12 * v - 8 * (fbm(x / 40.0, 0.5, 2, 510 + k) - 0.5));
        const double drip = 0.5 + 0.7 * fbm(x / 22.0, 1.5, 3, 511 + k);
        const int bottom = int(is.cy + 4 + is.belly * v * v * drip);
        for (int y = top; y <= bottom; ++y) t.set(x, y, Earth);
    }
}

// Stepping stones: flat slabs of dirt beside an island's rim, each kStoneRise lower than
// the one before and alternately near the rim and farther out. A player jumps 53 pixels
// (170 px/s against the game's gravity), about 40 with the walk held; from one stone he
// needs to rise kStoneRise - 2 to walk onto the next, and the stone on his own side above
// leaves him 2 * kStoneRise - kStoneThick - 20 pixels to rise under it.
constexpr int kStoneRise = 30, kStoneThick = 6, kStoneWidth = 32, kStoneGap = 6;
// Room a player needs under a stone to walk beneath it, pixels, and the deepest a stair's
// first step reaches down to the ground under it.
constexpr int kUnderStone = 26, kStepFoot = 2 * kUnderStone;
// The air kept free of stalks around a stair's last hop, pixels: into the island from its
// rim, out beyond the top stone, and above the rim (a jump and a player's height).
constexpr int kLandingInside = 40, kLandingOutside = 2 * kStoneGap + kStoneWidth + 10;
constexpr int kLandingHeight = 75;
// Air left between the foot of a stalk and the pit floor, pixels: a player and a margin.
constexpr int kUnderStalk = 30;

bool open_rect(const Terrain& t, int x0, int y0, int x1, int y1) {
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (t.at(x, y) != Air) return false;
    return true;
}

// A first step on a slope of the pit floor may stand higher over the floor at its low end
// than a player climbs, or reach down to it in some columns only. Where there is room, it
// is made solid down to the floor, the floor's heap is raised under it and dirt is piled
// against its sides, falling away a pixel a column as the heaps do, so that no column of
// the step stands more than kStepUp over the floor or over the pile beside it. A step on
// an island, or with terrain too low over where a pile goes, is left as it is.
constexpr int kStepUp = 32, kPileReach = 40;
void heap_under_step(Terrain& t, int x0, int x1, int top) {
    x0 = std::max(x0, 0), x1 = std::min(x1, t.w);
    // Whether column x holds terrain (or air) throughout from row y down to the floor.
    const auto down_to_floor = [&](int x, int y, bool terrain) {
        for (; y < t.surface[x]; ++y)
            if ((t.at(x, y) != Air) != terrain) return false;
        return true;
    };
    bool on_floor = false;
    for (int x = x0; x < x1; ++x) on_floor = on_floor || down_to_floor(x, top, true);
    if (!on_floor) return;
    // The pile down one side, to the floor or for kPileReach columns (on a floor that falls
    // away as steeply, it ends in a step, lower than the one it mends): its columns, or none
    // when it meets terrain or leaves less than a player's height of air over itself.
    const auto pile = [&](int x, int dir, std::vector<std::pair<int, int>>* columns) {
        for (int heap = top + kStepUp + 1, n = 0; n < kPileReach && x >= 0 && x < t.w && t.surface[x] > heap;
             x += dir, ++heap, ++n) {
            if (!down_to_floor(x, heap, false) || !open_rect(t, x, heap - kUnderStone, x + 1, heap)) return false;
            columns->push_back({x, heap});
        }
        return true;
    };
    std::vector<std::pair<int, int>> raised;
    if (!pile(x0 - 1, -1, &raised) || !pile(x1, 1, &raised)) return;
    for (int x = x0; x < x1; ++x) {
        for (int y = top; y < t.surface[x]; ++y)
            if (t.at(x, y) == Air) t.set(x, y, Earth, kStone);
        if (t.surface[x] > top + kStepUp) raised.push_back({x, top + kStepUp});
    }
    for (const auto& [x, heap] : raised) {
        for (int y = heap; y < t.surface[x]; ++y) t.set(x, y, Earth);
        t.surface[x] = heap;
    }
}

// Stones down from the rim at `edge` (dir +1: the right rim, -1: the left), until terrain
// stands where the next one goes or above it, or until one comes within a player's
// height of the ground, where it stands on the ground as the first step. Returns the top
// row of the lowest stone.
int lay_stones(Terrain& t, int edge, int rim, int dir) {
    for (int k = 1;; ++k) {
        const int top = rim + k * kStoneRise;
        if (top + kStoneThick >= t.h) return top - kStoneRise;
        const int offset = kStoneGap + (k % 2 ? 0 : kStoneWidth + kStoneGap);
        const int x0 = dir > 0 ? edge + offset : edge - offset - kStoneWidth, x1 = x0 + kStoneWidth;
        if (!open_rect(t, x0, top - kStoneRise + kStoneThick + 1, x1, top + kStoneThick))
            return top - kStoneRise;
        // A stone with ground close under it would wedge a player in between: it stands on
        // the ground instead, the stair's first step. Where the ground falls away under
        // part of it (the rim of an island), that part stays a slab rather than reach
        // down to the pit.
        if (!open_rect(t, x0, top + kStoneThick, x1, top + kStoneThick + kUnderStone)) {
            for (int x = x0; x < x1; ++x) {
                const int below = top + kStoneThick + kStepFoot;
                const bool ground = !open_rect(t, x, top + kStoneThick, x + 1, below);
                for (int y = top; y < (ground ? below : top + kStoneThick) && t.at(x, y) == Air; ++y)
                    t.set(x, y, Earth, kStone);
            }
            heap_under_step(t, x0, x1, top);
            return top;
        }
        fill_rect(t, x0, top, x1, top + kStoneThick, Earth, kStone);
    }
}

// Where a stair meets its island: the rim at `edge` (`dir` the side the stones go out to)
// and the island's height there; and the top row of its lowest stone.
struct Landing {
    int edge, rim, dir;
    int bottom;
};

// A rectangle of pixels, x0..x1 and y0..y1 with the ends excluded.
struct Box {
    int x0, y0, x1, y1;
    bool holds(int x, int y) const { return x >= x0 && x < x1 && y >= y0 && y < y1; }
};

// Whether a pixel in `box` bears `tag`.
bool tag_in(const Terrain& t, const Box& box, std::uint8_t tag) {
    for (int y = box.y0; y < box.y1; ++y)
        for (int x = box.x0; x < box.x1; ++x)
            if (t.tag(x, y) == tag) return true;
    return false;
}

// The last hop, from the top stone up over the rim, needs the air a jump takes.
Box landing_air(const Landing& l) {
    const int x0 = l.dir > 0 ? l.edge - kLandingInside : l.edge - kLandingOutside;
    const int x1 = l.dir > 0 ? l.edge + kLandingOutside : l.edge + kLandingInside;
    return {x0, l.rim - kLandingHeight, x1 + 1, l.rim + kStoneRise};
}
bool in_landing(const Landing& l, int x, int y) { return landing_air(l).holds(x, y); }

// A stair down each side of the island that has room for one within the level, so that
// no island is only reached the long way round. A stone of a stair laid before, standing
// where the last hop goes, would leave a stair there no way onto the island: that side
// has none. The side drawn first is laid first.
void stair_island(Terrain& t, const Island& is, Rng& rng, std::vector<Landing>* laid) {
    const int reach = 2 * (kStoneWidth + kStoneGap);
    const int right = int(is.cx + is.a), left = int(is.cx - is.a) + 1;
    const bool right_first = rng.below(2) == 0;
    for (const bool go_right : {right_first, !right_first}) {
        if (go_right ? right + reach >= t.w : left - reach < 0) continue;
        Landing l{go_right ? right : left, int(is.cy), go_right ? 1 : -1, 0};
        if (tag_in(t, landing_air(l), kStone)) continue;
        l.bottom = lay_stones(t, l.edge, l.rim, l.dir);
        laid->push_back(l);
    }
}

// The air a stair's stones are climbed in: both columns of stones and a player's width
// beyond them, from its landing down to its lowest stone. A wall there leaves the stones
// too little room to jump past their ends.
constexpr int kStairAside = 2 * (kStoneGap + kStoneWidth) + 20;
bool in_stair(const Landing& l, int x, int y) {
    const int out = (x - l.edge) * l.dir;
    return out >= 0 && out <= kStairAside && y >= l.rim - kLandingHeight && y < l.bottom + kStoneThick;
}

// The top of what stands on the pit floor in column x: the floor, or a step on it.
int floor_top(const Terrain& t, int x) {
    int y = t.surface[x];
    while (y > t.sky && t.at(x, y - 1) != Air) --y;
    return y;
}

// The stalk under an island: down from its underside until it meets terrain below, or
// until a player's height over the pit floor, so that he walks under it. A stalk that
// would stand where a stair's last hop goes, or beside its stones, is left out: that
// island floats.
void hang_stalk(Terrain& t, const Island& is, int i, Rng& rng, const std::vector<Landing>& landings) {
    const std::uint32_t k = salt(t.seed) + std::uint32_t(i) * 7919u;
    const double x0 = is.cx + rng.uniform(-is.a / 3, is.a / 3);
    const double half = rng.uniform(13, 18);
    int start = int(is.cy) + 4;
    while (start < t.h && t.at(int(x0), start) != Air) ++start;
    std::vector<std::pair<int, int>> stalk;
    for (int y = start; y < t.h; ++y) {
        // Straight out of the island, then wandering; its own island's ragged underside
        // does not end it.
        const double sway = std::min(1.0, (y - start) / 60.0);
        const double xc = x0 + sway * 28 * (fbm(y / 70.0, i * 1.7, 2, 520 + k) - 0.5);
        const double hw = half * (0.8 + 0.4 * fbm(y / 45.0, i * 2.3, 2, 521 + k));
        if (y > start + 24 && t.at(int(xc), y + 2) != Air) break;
        for (int x = int(xc - hw); x <= int(xc + hw); ++x) {
            if (t.at(x, y) != Air) continue;
            for (const Landing& l : landings)
                if (in_landing(l, x, y) || in_stair(l, x, y)) return;
            // The pit floor stays one walk from end to end: no stalk stands on it or on a
            // stair's first step there.
            if (x >= 0 && x < t.w && y < floor_top(t, x) - kUnderStalk) stalk.push_back({x, y});
        }
    }
    for (const auto& [x, y] : stalk) t.set(x, y, Earth, kStalk);
}

void shape_islands(Terrain& t) {
    make_floor(t);
    Rng rng(std::uint64_t(t.seed) * 0x2545F4914F6CDD1Dull + 0x151A4Dull);
    const int cols = std::max(2, int(t.w / kColumnGap + 0.5));
    const double gap = double(t.w) / cols;
    // Islands down to about two thirds of the level: the pit below stays open.
    const double lowest = std::min(t.h * 0.64, t.h - 130.0);
    std::vector<Island> islands;
    for (int row = 0;; ++row) {
        const double cy = t.sky + 56 + row * kRowGap;
        if (row > 0 && cy > lowest) break;
        for (int c = 0; c < cols; ++c) {
            const double shift = row % 2 ? 0.5 : 0.0;
            if (row % 2 && c == cols - 1) continue;
            if (rng.uniform(0, 1) < 0.18) continue;
            const double cx = (c + 0.5 + shift) * gap + rng.uniform(-gap / 6, gap / 6);
            const double a = std::min(gap * 0.42, rng.uniform(55, 125));
            islands.push_back({cx, cy + rng.uniform(-18, 18), a, rng.uniform(30, 70) * std::min(1.0, t.sy * 2)});
        }
    }
    for (std::size_t i = 0; i < islands.size(); ++i) raise_island(t, islands[i], int(i));
    // The stones before the stalks: a stalk may end on a stone, but no stone ends on the
    // side of a stalk, where nobody can stand.
    Rng stairs(std::uint64_t(t.seed) * 0x9E3779B97F4A7C15ull + 0x57A125ull);
    std::vector<Landing> landings;
    for (std::size_t i = islands.size(); i-- > 0;) stair_island(t, islands[i], stairs, &landings);
    // Lowest first, so that a stalk from above may end on one below.
    for (std::size_t i = islands.size(); i-- > 0;) hang_stalk(t, islands[i], int(i), rng, landings);
}

// ---------------------------------------------------------------- pictures

// Open air within `n` rows above (dy < 0) or below (dy > 0) a cell.
bool air_within(const Terrain& t, int x, int y, int dy, int n) {
    for (int i = 1; i <= n; ++i)
        if (t.at(x, y + i * dy) == Air) return true;
    return false;
}

Rgb soil_colour(const Terrain& t, int x, int y) {
    Rgb c = mix({168, 124, 72}, {126, 84, 52}, fbm(x / 60.0, y / 30.0, 3, 530));
    c = add(c, 22 * (fbm(x / 6.0, y / 6.0, 2, 531) - 0.5) + 16 * (unit(x, y, 532) - 0.5));
    if (t.tag(x, y) == kStalk) {
        // Twisted roots: long vertical strands, darker between them.
        const double strand = fbm(x / 3.0, y / 38.0, 2, 533);
        c = mix(mix(c, {150, 104, 60}, 0.5), {92, 64, 40}, strand * 1.6 - 0.3);
        if (unit(x / 4, y / 9, 537) < 0.05) c = mix(c, {96, 150, 60}, 0.7);
    }
    return c;
}

Rgb basalt_colour(int x, int y, int edge) {
    double f1, f2;
    std::uint32_t id = 0;
    cells_at(x, y * 0.35, 18, 540, &f1, &f2, &id);
    Rgb c = scale({70, 76, 94}, 0.8 + 0.35 * ((id >> 8 & 0xFF) / 255.0));
    c = add(c, 14 * (fbm(x / 8.0, y / 8.0, 2, 541) - 0.5));
    if (f2 - f1 < 1.8) c = scale(c, 0.6);
    if (edge <= 2) c = mix(c, {120, 130, 150}, 0.35);
    return c;
}

Rgb island_fore(const Terrain& t, int x, int y) {
    const Cell cell = t.at(x, y);
    if (cell == Rock) return basalt_colour(x, y, edge_distance(t, x, y));
    Rgb c = soil_colour(t, x, y);
    if (cell == Air) return c;
    const int grass = 5 + int(4 * fbm(x / 5.0, 0.5, 2, 534));
    if (t.tag(x, y) != kStalk && air_within(t, x, y, -1, grass))
        return add(mix({112, 190, 64}, {70, 146, 44}, unit(x, 0, 535)), 18 * (unit(x, y, 536) - 0.5));
    if (air_within(t, x, y, 1, 3)) c = scale(c, 0.7);
    if (edge_distance(t, x, y) <= 1) c = scale(c, 0.8);
    return c;
}

Rgb island_back(const Terrain& t, int x, int y) {
    const double v = double(y) / t.h;
    Rgb c = mix({84, 148, 222}, {186, 218, 240}, v / 0.5);
    // Soft clouds high up, thinning towards the pit.
    const double cloud = fbm(x / 190.0, y / 55.0, 5, 550);
    if (cloud > 0.52) c = mix(c, {246, 248, 252}, (cloud - 0.52) * 4 * (1 - v));
    // Low banks of haze over the pit.
    const double haze = fbm(x / 260.0, y / 22.0, 4, 551);
    if (v > 0.45 && haze > 0.5) c = mix(c, {200, 214, 228}, (haze - 0.5) * 2.5 * (1 - v));
    // The pit: mist that darkens into blue-black.
    c = mix(c, {96, 118, 146}, (v - 0.55) / 0.2);
    c = mix(c, {26, 32, 50}, (v - 0.72) / 0.28);
    return add(c, 4 * (unit(x, y, 552) - 0.5));
}

Paint paint_islands(const Terrain& t, int x, int y) { return {island_fore(t, x, y), island_back(t, x, y)}; }

}  // namespace

Look islands_look() {
    return {"islands",
            "floating islands of dirt on earthen stalks, with stepping stones up to them, above a deep pit "
            "floored with rock",
            shape_islands, paint_islands};
}

}  // namespace levelgen
