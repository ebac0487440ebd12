// A dense maze of caves in dark shale under a crust: winding galleries, one row under
// another, broken into pieces and joined by ramps, with chambers where a gallery's roof
// rises, and veins of glowing volcanic rock that can never be dug, broken so that they
// wall nothing in.
//
// What a player can do shapes the maze. The walk climbs at most a pixel a pixel, a jump
// rises about 50 pixels, and dirt is dug down quickly but up only a few pixels a second
// and never sideways: a cave that is steep all round is a trap, and so is a shaft, which
// a player falls down and does not climb. So every floor winds at most a pixel a pixel,
// and ramps of 37 degrees, on shale all the way, lead from the ends of the galleries'
// pieces up to the row above (the top row's to the surface). Where a player can fall,
// into a ramp's mouth, the ramp leads on up.

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "levelgen_looks.h"

namespace levelgen {

namespace {

constexpr double kRowSpacing = 80;   // between the floors of two rows of galleries
constexpr double kRampSlope = 0.75;  // rise per pixel aside
constexpr double kBore = 15;         // radius of the disc a ramp is cut with
// How far above the floor line a ramp's bore runs, so that its lower edge is that line.
constexpr double kBoreLift = kBore * 1.25;
constexpr int kBacking = 10;     // shale kept round a ramp, so that none cuts another cave
constexpr int kMinPiece = 80;    // a shorter piece of a gallery is left as shale
constexpr int kMinGap = 100;     // nor is a gallery broken for less
constexpr int kMaxPiece = 480;   // nor is a longer piece left whole
constexpr int kLanding = 30;     // floor beyond a ramp's top, and room to the level's side
// How far behind its top a ramp's bore rises above the floor it meets, with some room.
constexpr int kMouth = int(2 * kBoreLift / kRampSlope) + 10;
constexpr int kMinCrust = 30;    // shale over the top row of galleries
constexpr int kMinSliver = 6;    // thinner shale between two caves is cut away

// A line (a row per column) that rises at most a pixel from one column to the next,
// either way.
void limit_rise(std::vector<int>& f) {
    for (std::size_t x = 1; x < f.size(); ++x) f[x] = std::max(f[x], f[x - 1] - 1);
    for (std::size_t x = f.size() - 1; x-- > 0;) f[x] = std::max(f[x], f[x + 1] - 1);
}

// And one that falls at most a pixel.
void limit_fall(std::vector<int>& f) {
    for (std::size_t x = 1; x < f.size(); ++x) f[x] = std::min(f[x], f[x - 1] + 1);
    for (std::size_t x = f.size() - 1; x-- > 0;) f[x] = std::min(f[x], f[x + 1] + 1);
}

// The end of the run of equal values in `v` that starts at `a`.
int run_end(const std::vector<char>& v, int a) {
    int b = a;
    while (b < int(v.size()) && v[b] == v[a]) ++b;
    return b;
}

void make_crust(Terrain& t) {
    const std::uint32_t k = salt(t.seed);
    for (int x = 0; x < t.w; ++x) t.surface[x] = t.sky + 20 + int(36 * fbm(x / 160.0, 0.5, 3, 701 + k));
    limit_rise(t.surface);
    for (int x = 0; x < t.w; ++x)
        for (int y = t.surface[x]; y < t.h; ++y) t.set(x, y, Earth);
}

// The bed of volcanic rock along the bottom.
int bed_top(const Terrain& t, int x) {
    return t.h - std::max(10, int(26 * t.sy + 18 * t.sy * fbm(x / 70.0, 3.5, 3, 702 + salt(t.seed))));
}

// One row of galleries: in each column its roof (first air row), the first shale row
// under its floor, and whether it is open there.
struct Gallery {
    std::vector<int> roof, floor;
    std::vector<char> open;
};

// Pieces longer than kMaxPiece are broken, gaps narrower than kMinGap widened (a ramp
// from a piece's end needs room beside it) and pieces shorter than kMinPiece closed.
void shape_pieces(std::vector<char>& open) {
    const int w = int(open.size());
    for (int a = 0; a < w;) {
        if (!open[a]) { ++a; continue; }
        const int b = run_end(open, a);
        if (b - a > kMaxPiece) {
            const int mid = a + (b - a) / 2 - kMinGap / 2;
            std::fill(open.begin() + mid, open.begin() + mid + kMinGap, 0);
            continue;  // the piece from a again, half as long now
        }
        a = b;
    }
    for (int a = 0; a < w;) {
        if (open[a]) { ++a; continue; }
        int b = run_end(open, a);
        if (a > 0 && b < w && b - a < kMinGap) {
            const int more = kMinGap - (b - a);
            std::fill(open.begin() + std::max(0, a - more / 2), open.begin() + a, 0);
            b = std::min(w, b + more - more / 2);
            std::fill(open.begin() + a, open.begin() + b, 0);
        }
        a = b;
    }
    for (int a = 0; a < w;) {
        if (!open[a]) { ++a; continue; }
        const int b = run_end(open, a);
        if (b - a < kMinPiece) std::fill(open.begin() + a, open.begin() + b, 0);
        a = b;
    }
}

// A gallery is 30 to 42 pixels high, and its roof rises up to some 45 more into a
// chamber where a field is high.
std::vector<Gallery> lay_out_galleries(const Terrain& t) {
    const std::uint32_t k = salt(t.seed);
    const int top = *std::max_element(t.surface.begin(), t.surface.end()) + kMinCrust + 42;
    int bottom = t.h;
    for (int x = 0; x < t.w; ++x) bottom = std::min(bottom, bed_top(t, x) - 8);
    std::vector<Gallery> rows;
    for (int i = 0; top + i * kRowSpacing + 22 <= bottom; ++i) {
        Gallery g{std::vector<int>(t.w), std::vector<int>(t.w), std::vector<char>(t.w)};
        for (int x = 0; x < t.w; ++x) {
            const double wind = 44 * (fbm(x / 170.0, i * 7.1, 3, 770 + k) - 0.5);
            g.floor[x] = std::clamp(int(top + i * kRowSpacing + wind), top - 10, bottom);
            g.open[x] = fbm(x / 230.0, i * 5.3 + 2, 2, 772 + k) > 0.44;
        }
        limit_rise(g.floor);
        limit_fall(g.floor);
        shape_pieces(g.open);
        for (int x = 0; x < t.w; ++x) {
            int roof = g.floor[x] - 30 - int(12 * fbm(x / 50.0, i * 2.9, 2, 773 + k));
            const double chamber = fbm(x / 120.0, i * 3.7, 2, 774 + k);
            if (chamber > 0.62) roof -= int((chamber - 0.62) * 250);
            // A chamber never breaks into the row above: its walls would be a pit's.
            g.roof[x] = std::max(roof, rows.empty() ? t.surface[x] + kMinCrust : rows.back().floor[x] + kBacking);
        }
        rows.push_back(std::move(g));
    }
    return rows;
}

void dig_gallery(Terrain& t, const Gallery& g, int from, int to) {
    for (int x = std::max(0, from); x < std::min(t.w, to); ++x)
        if (g.open[x])
            for (int y = g.roof[x]; y < g.floor[x]; ++y) t.ref(x, y) = Air;
}

// Where the floor above row `i` lies in column x: the row above's, or the surface's.
int floor_above(const Terrain& t, const std::vector<Gallery>& rows, std::size_t i, int x) {
    return i == 0 ? t.surface[x] : rows[i - 1].floor[x];
}

// The column where a ramp from the foot (x, floor of row i) up towards `dir` meets the
// floor above; -1 when it would leave the level.
int ramp_top(const Terrain& t, const std::vector<Gallery>& rows, std::size_t i, int x, int dir) {
    const int foot = rows[i].floor[x];
    for (int d = 1;; ++d) {
        const int at = x + dir * d;
        if (at < 2 * kLanding || at >= t.w - 2 * kLanding) return -1;
        if (foot - kRampSlope * d <= floor_above(t, rows, i, at)) return at;
    }
}

// Air that a ramp up from row i may meet: the galleries it joins, and the sky.
bool joined_air(const Terrain& t, const std::vector<Gallery>& rows, std::size_t i, int x, int y) {
    auto inside = [&](const Gallery& g) { return g.open[x] && y >= g.roof[x] && y < g.floor[x]; };
    return inside(rows[i]) || (i == 0 ? y < t.surface[x] : inside(rows[i - 1]));
}

// A ramp from the foot (x0, floor of row i) up towards `dir` to `top`, with its landing.
struct Ramp {
    std::size_t i;
    int x0, dir, top;
};

// Every column of the ramp and its landing, with the floor line there (the first shale
// row under the ramp, or under the landing) and how far beyond the top it lies.
template <class Visit>
void for_each_column(const Terrain& t, const std::vector<Gallery>& rows, const Ramp& r, Visit visit) {
    const int foot = rows[r.i].floor[r.x0];
    for (int x = r.x0; x != r.top + r.dir * kLanding; x += r.dir) {
        const int beyond = (x - r.top) * r.dir;
        visit(x, beyond >= 0 ? floor_above(t, rows, r.i, x) : int(foot - kRampSlope * (x - r.x0) * r.dir), beyond);
    }
}

// The cells a ramp needs for itself: its bore and landing with the shale round them.
// No two ramps share one, so that none cuts into another's floor or landing.
template <class Visit>
void for_each_claimed(const Terrain& t, const std::vector<Gallery>& rows, const Ramp& r, Visit visit) {
    for_each_column(t, rows, r, [&](int x, int floor, int) {
        for (int y = std::max(0, int(floor - 2 * kBoreLift) - kBacking); y < std::min(t.h, floor + kBacking); ++y)
            visit(std::size_t(y) * t.w + x);
    });
}

// A ramp that cuts no other cave, on shale all the way up (not across a chamber's air)
// and with shale under the floor to step onto beyond its top.
bool ramp_is_clean(const Terrain& t, const std::vector<Gallery>& rows, const std::vector<char>& claimed, const Ramp& r) {
    bool clean = true;
    for_each_column(t, rows, r, [&](int x, int floor, int beyond) {
        for (int y = floor; y < floor + kBacking; ++y)
            if (t.at(x, y) == Air) clean = false;
        for (int y = int(floor - 2 * kBoreLift) - kBacking; y < floor && beyond < 0; ++y)
            if (t.at(x, y) == Air && !joined_air(t, rows, r.i, x, y)) clean = false;
    });
    for_each_claimed(t, rows, r, [&](std::size_t at) { clean = clean && !claimed[at]; });
    return clean;
}

void cut_bore(Terrain& t, double x0, double y0, double x1, double y1) {
    const double len = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
    for (double d = 0; d < len; d += 2) fill_disc(t, x0 + (x1 - x0) * d / len, y0 + (y1 - y0) * d / len, kBore, Air);
    fill_disc(t, x1, y1, kBore, Air);
}

void cut_ramp(Terrain& t, const std::vector<Gallery>& rows, std::vector<char>& claimed, const Ramp& r) {
    cut_bore(t, r.x0, rows[r.i].floor[r.x0] - kBoreLift, r.top, floor_above(t, rows, r.i, r.top) - kBoreLift);
    for_each_claimed(t, rows, r, [&](std::size_t at) { claimed[at] = 1; });
}

// No ramp needs a cell of the gallery `g` in the columns [from, to).
bool unclaimed(const Terrain& t, const Gallery& g, const std::vector<char>& claimed, int from, int to) {
    for (int x = from; x < to; ++x)
        for (int y = g.roof[x]; y < g.floor[x]; ++y)
            if (claimed[std::size_t(y) * t.w + x]) return false;
    return true;
}

// Opens or closes the gallery `g` in the columns [from, to).
void set_gallery(Terrain& t, Gallery& g, int from, int to, bool open) {
    for (int x = std::max(0, from); x < std::min(t.w, to); ++x) {
        g.open[x] = open;
        for (int y = g.roof[x]; y < g.floor[x]; ++y) t.ref(x, y) = open ? Air : Earth;
    }
}

// Columns [from, to) from `a` and `b` in either order, both included.
std::pair<int, int> span(const Terrain& t, int a, int b) {
    return {std::max(0, std::min(a, b)), std::min(t.w, std::max(a, b) + 1)};
}

// A ramp leaves a piece of row i through each end where one fits, up to the row above
// (the top row's up to the surface). Behind its top the ramp's bore rises above the
// floor there: a hole that a player on that floor would fall into and, in a gallery too
// low to jump across, not come back out of on that side. So the gallery above is closed
// behind the top, where it is open, and opened beyond it, where it is not; the row above,
// joined after this one, takes on the pieces this makes. A piece left without a ramp up
// is no trap: a player enters it only up a ramp from the row below, and goes back down.
void join_row(Terrain& t, std::vector<Gallery>& rows, std::size_t i, std::vector<char>& claimed) {
    for (int a = 0; a < t.w;) {
        if (!rows[i].open[a]) { ++a; continue; }
        const int b = run_end(rows[i].open, a);
        for (const Ramp& r : {Ramp{i, a, -1, ramp_top(t, rows, i, a, -1)}, Ramp{i, b - 1, 1, ramp_top(t, rows, i, b - 1, 1)}}) {
            if (r.top < 0 || !ramp_is_clean(t, rows, claimed, r)) continue;
            if (i > 0) {
                Gallery& above = rows[i - 1];
                const auto [behind_from, behind_to] = span(t, r.top - r.dir * kMouth, r.top - r.dir * 5);
                const auto [beyond_from, beyond_to] = span(t, r.top - r.dir * 4, r.top + r.dir * kMinPiece);
                if (!unclaimed(t, above, claimed, behind_from, behind_to) ||
                    !unclaimed(t, above, claimed, beyond_from, beyond_to))
                    continue;
                set_gallery(t, above, behind_from, behind_to, false);
                set_gallery(t, above, beyond_from, beyond_to, true);
            }
            cut_ramp(t, rows, claimed, r);
        }
        a = b;
    }
}

// Shale thinner than a few pixels between two caves (the tip of a wedge where a ramp
// meets a floor) would hold a player by a point; it is cut away.
void cut_slivers(Terrain& t) {
    for (int x = 0; x < t.w; ++x)
        for (int y = t.sky; y < t.h;) {
            if (t.at(x, y) == Air) { ++y; continue; }
            int end = y;
            while (end < t.h && t.at(x, end) != Air) ++end;
            if (end < t.h && end - y < kMinSliver && t.at(x, y - 1) == Air)
                for (int at = y; at < end; ++at) t.ref(x, at) = Air;
            y = end;
        }
}

void carve_maze(Terrain& t) {
    std::vector<Gallery> rows = lay_out_galleries(t);
    for (const Gallery& g : rows) dig_gallery(t, g, 0, t.w);
    std::vector<char> claimed(t.cells.size(), 0);
    for (std::size_t i = rows.size(); i-- > 0;) join_row(t, rows, i, claimed);
    cut_slivers(t);
    for (int x = 0; x < t.w; ++x)
        for (int y = bed_top(t, x); y < t.h; ++y) t.ref(x, y) = Rock;
}

// Veins: a third field's mid line, kept only where a coarse field is high, so that they
// come in pieces.
void lay_veins(Terrain& t) {
    const std::uint32_t k = salt(t.seed);
    for (int y = t.sky; y < t.h; ++y)
        for (int x = 0; x < t.w; ++x) {
            if (t.at(x, y) != Earth || y < t.surface[x] + 40) continue;
            const double vein = ridge(fbm(x / 90.0, y / 90.0, 3, 720 + k));
            if (vein > 0.94 && fbm(x / 120.0, y / 120.0, 2, 721 + k) > 0.6) t.ref(x, y) = Rock;
        }
}

void shape_caves(Terrain& t) {
    make_crust(t);
    carve_maze(t);
    lay_veins(t);
}

// ---------------------------------------------------------------- pictures

Rgb shale_colour(const Terrain& t, int x, int y, int edge) {
    // Thin wavy strata of blue-grey shale.
    const double band = fbm(x / 200.0, y / 14.0 + 3 * fbm(x / 90.0, y / 90.0, 2, 740), 3, 741);
    Rgb c = mix({54, 58, 86}, {112, 106, 132}, band * 2 - 0.5);
    c = add(c, 16 * (fbm(x / 5.0, y / 5.0, 2, 742) - 0.5) + 12 * (unit(x, y, 743) - 0.5));
    if (t.at(x, y) != Earth) return c;
    // Glowing cyan crystals where the shale meets a cave.
    if (edge <= 2) {
        c = scale(c, 0.7 + 0.1 * edge);
        const int gx = x / 5, gy = y / 5;
        if (unit(gx, gy, 744) < 0.22) c = mix(c, {120, 250, 236}, 0.95 - 0.2 * edge);
    }
    // Moss on the floors of the caves.
    if (t.at(x, y - 1) == Air || t.at(x, y - 2) == Air || t.at(x, y - 3) == Air)
        c = mix(c, {64, 120, 70}, 0.7 + 0.3 * (unit(x, y, 745) - 0.5));
    return c;
}

Rgb lava_rock_colour(int x, int y, int edge) {
    double f1, f2;
    std::uint32_t id = 0;
    cells_at(x, y, 14, 750, &f1, &f2, &id);
    Rgb c = scale({44, 36, 42}, 0.8 + 0.4 * ((id >> 8 & 0xFF) / 255.0));
    c = add(c, 10 * (fbm(x / 6.0, y / 6.0, 2, 751) - 0.5));
    // Cracks glowing with the heat below.
    const double seam = f2 - f1;
    if (seam < 1.6) c = mix({255, 150, 40}, {200, 60, 20}, seam / 1.6);
    if (edge <= 1) c = scale(c, 0.7);
    return c;
}

Rgb cave_back(const Terrain& t, int x, int y) {
    Rgb c = mix({22, 24, 36}, {10, 12, 18}, double(y) / t.h);
    c = add(c, 14 * (fbm(x / 40.0, y / 40.0, 4, 760) - 0.5));
    // Faint glow of fungus on the far walls.
    const double glow = fbm(x / 100.0, y / 100.0, 3, 761);
    if (glow > 0.62) c = mix(c, {30, 90, 96}, (glow - 0.62) * 3);
    // The cavern's vault above the crust: stalactites hanging from the top.
    if (y < t.surface[x] + 6) {
        const double drop = 18 + 60 * ridge(fbm(x / 12.0, 0.5, 2, 762)) * ridge(fbm(x / 9.0, 1.5, 1, 763));
        c = y < drop ? mix({34, 34, 46}, {26, 26, 36}, y / drop) : mix(c, {8, 10, 16}, 0.3);
    }
    return add(c, 4 * (unit(x, y, 764) - 0.5));
}

Paint paint_caves(const Terrain& t, int x, int y) {
    const Cell cell = t.at(x, y);
    const int edge = cell == Air ? 4 : edge_distance(t, x, y);
    return {cell == Rock ? lava_rock_colour(x, y, edge) : shale_colour(t, x, y, edge), cave_back(t, x, y)};
}

}  // namespace

Look caves_look() {
    return {"caves", "a maze of caves in shale, galleries joined by ramps, with veins of rock that cannot be dug", shape_caves, paint_caves};
}

}  // namespace levelgen
