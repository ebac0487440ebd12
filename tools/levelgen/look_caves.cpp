// A dense maze of caves in dark shale under a thin crust: tunnels along the mid lines of
// two noise fields, which cross and branch into a net, chambers where a third field is
// high, shafts down from the surface, and veins of glowing volcanic rock that can never
// be dug, broken so that they wall nothing in.

#include <algorithm>

#include "levelgen_looks.h"

namespace levelgen {

namespace {

void make_crust(Terrain& t) {
    const std::uint32_t k = salt(t.seed);
    for (int x = 0; x < t.w; ++x) t.surface[x] = t.sky + 20 + int(36 * fbm(x / 160.0, 0.5, 3, 701 + k));
    for (int x = 1; x < t.w; ++x) t.surface[x] = std::max(t.surface[x], t.surface[x - 1] - 1);
    for (int x = t.w - 2; x >= 0; --x) t.surface[x] = std::max(t.surface[x], t.surface[x + 1] - 1);
    for (int x = 0; x < t.w; ++x)
        for (int y = t.surface[x]; y < t.h; ++y) t.set(x, y, Earth);
}

// The bed of volcanic rock along the bottom.
int bed_top(const Terrain& t, int x) {
    return t.h - std::max(10, int(26 * t.sy + 18 * t.sy * fbm(x / 70.0, 3.5, 3, 702 + salt(t.seed))));
}

void carve_maze(Terrain& t) {
    const std::uint32_t k = salt(t.seed);
    for (int x = 0; x < t.w; ++x) {
        const int bed = bed_top(t, x);
        for (int y = t.surface[x] + 18; y < bed; ++y) {
            const double a = ridge(fbm(x / 190.0, y / 120.0, 3, 710 + k));
            const double b = ridge(fbm(x / 120.0, y / 170.0, 3, 711 + k));
            const double room = fbm(x / 80.0, y / 64.0, 3, 712 + k);
            if (std::max(a, b) > 0.9 || room > 0.7) t.ref(x, y) = Air;
        }
        for (int y = bed; y < t.h; ++y) t.ref(x, y) = Rock;
    }
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

// Shafts from the surface down into the maze, wide enough for a player.
void sink_shafts(Terrain& t) {
    const std::uint32_t k = salt(t.seed);
    Rng rng(std::uint64_t(t.seed) * 0x9FB21C651E98DF25ull + 0xCA7Eull);
    const int count = std::max(2, int(t.w / 320.0 + 0.5));
    for (int i = 0; i < count; ++i) {
        const double x0 = (i + rng.uniform(0.25, 0.75)) * t.w / count;
        const double depth = rng.uniform(90, 220) * std::min(1.0, t.sy * 1.5);
        for (double d = 0; d < depth; d += 2) {
            const double x = x0 + 50 * (fbm(d / 80.0, i * 3.3, 2, 730 + k) - 0.5);
            fill_disc(t, x, t.surface[std::clamp(int(x), 0, t.w - 1)] + d, 15, Air);
        }
    }
}

void shape_caves(Terrain& t) {
    make_crust(t);
    carve_maze(t);
    lay_veins(t);
    sink_shafts(t);
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
    return {"caves", "a dense maze of caves in shale, with veins of rock that cannot be dug", shape_caves, paint_caves};
}

}  // namespace levelgen
