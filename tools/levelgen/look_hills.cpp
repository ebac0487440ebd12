// The first level's look: rolling hills of earth with caverns and winding tunnels, grey
// stone that can never be dug along the bottom and in a few outcrops, and behind it all a
// night sky above the ground and a dark cave wall below it. At seed 0 and 1280 x 800 it
// is the level the game has always shipped, bit for bit.

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "levelgen_looks.h"

namespace levelgen {

namespace {

// Rolling hills; never above the open sky band, and nowhere steeper than one pixel up
// per pixel across, which is what a player can walk.
void make_surface(Terrain& t) {
    const std::uint32_t k = salt(t.seed);
    for (int x = 0; x < t.w; ++x) {
        double h = 200 * t.sy + 240 * t.sy * (fbm(x / (230.0 * t.sx), 0.5, 3, 11 + k) - 0.5) +
                   24 * (fbm(x / 60.0, 3.5, 3, 12 + k) - 0.5);
        // A valley in the middle and raised ground towards both ends.
        h += 45 * t.sy * std::cos((x - t.w / 2.0) / t.w * 2 * 3.14159265);
        t.surface[x] = std::max(t.sky + 30, int(h));
    }
    // Where the ground falls away faster than that, it is raised into a 45-degree slope.
    for (int x = 1; x < t.w; ++x) t.surface[x] = std::min(t.surface[x], t.surface[x - 1] + 1);
    for (int x = t.w - 2; x >= 0; --x) t.surface[x] = std::min(t.surface[x], t.surface[x + 1] + 1);
}

void fill_earth(Terrain& t) {
    for (int x = 0; x < t.w; ++x)
        for (int y = t.surface[x]; y < t.h; ++y) t.ref(x, y) = Earth;
}

// Caverns: the high ground of a low-frequency noise field, kept under a crust.
void carve_caverns(Terrain& t) {
    const std::uint32_t k = salt(t.seed);
    for (int y = 0; y < t.h; ++y)
        for (int x = 0; x < t.w; ++x) {
            if (t.at(x, y) != Earth || y < t.surface[x] + 26) continue;
            const double n = fbm(x / 150.0, y / 95.0, 4, 21 + k);
            // Fewer and smaller chambers near the surface and the bedrock.
            const double depth = double(y - t.surface[x]) / (t.h - t.surface[x]);
            const double threshold = 0.665 - 0.05 * std::sin(depth * 3.14159265);
            if (n > threshold) t.ref(x, y) = Air;
        }
}

// Tunnels: worms that wander through the earth, leaving a bore of varying width; as
// many as the first level has per 1280 x 800.
void carve_tunnels(Terrain& t) {
    const std::uint32_t k = salt(t.seed);
    Rng rng(0x5EEDull ^ std::uint64_t(t.seed) << 32);
    const int count = std::max(1, int(9 * t.sx * t.sy + 0.5));
    for (int i = 0; i < count; ++i) {
        double x = rng.uniform(60, t.w - 60);
        double y = rng.uniform(260 * t.sy, t.h - 110 * t.sy);
        double angle = rng.uniform(0, 2 * 3.14159265);
        const double length = rng.uniform(260, 620);
        const double base_r = rng.uniform(8, 12);
        for (double s = 0; s < length; s += 2) {
            const double turn = (fbm(s / 90.0, i * 7.3, 2, 31 + k) - 0.5) * 0.16;
            angle += turn;
            // Tunnels prefer to run sideways rather than straight up or down.
            angle -= 0.05 * std::sin(2 * angle) * (std::cos(angle) > 0 ? 1 : -1) * 0.5;
            x += 2 * std::cos(angle);
            y += 2 * std::sin(angle);
            if (y < t.surface[std::clamp(int(x), 0, t.w - 1)] + 20)
                angle = 3.14159265 / 2 - (angle - 3.14159265 / 2) * 0.5;
            if (x < 20 || x > t.w - 20 || y > t.h - 70 * t.sy) break;
            fill_disc(t, x, y, base_r + 4 * (fbm(s / 60.0, i * 3.1, 2, 41 + k) - 0.5), Air);
        }
    }
}

struct Outcrop {
    double x, y, rx, ry;  // y 0: under the ground at x, wherever that is
};

// The first level's outcrops, for a tile of 1280 x 800.
constexpr Outcrop kOutcrops[] = {
    {190, 0, 44, 62},    // under the left hill
    {1080, 0, 56, 50},   // under the right hill
    {640, 470, 95, 34},  // a shelf under the central valley
    {420, 640, 70, 46},  // rising from the bedrock
    {930, 600, 54, 60},
};

void place_outcrop(Terrain& t, Outcrop o, std::uint32_t noise_seed) {
    if (o.y == 0) o.y = t.surface[int(o.x)] + o.ry * 1.5 + 40;
    for (int y = int(o.y - o.ry * 1.5); y <= int(o.y + o.ry * 1.5); ++y)
        for (int x = int(o.x - o.rx * 1.5); x <= int(o.x + o.rx * 1.5); ++x) {
            if (x < 0 || x >= t.w || y < t.surface[x] + 40 || y >= t.h) continue;
            const double dx = (x - o.x) / o.rx, dy = (y - o.y) / o.ry;
            const double wobble = 1.1 * (fbm(x / 26.0, y / 26.0, 4, 70 + noise_seed) - 0.5) +
                                  0.25 * (fbm(x / 7.0, y / 7.0, 2, 75 + noise_seed) - 0.5);
            if (dx * dx + dy * dy + wobble < 1) t.ref(x, y) = Rock;
        }
}

// Stone that can never be dug: a bed along the bottom and a few outcrops, all of them
// well under the ground, so that a player never arrives on stone he cannot dig through.
// A larger level holds the outcrops of the first one once per tile of about its size.
void place_rock(Terrain& t) {
    const std::uint32_t k = salt(t.seed);
    for (int x = 0; x < t.w; ++x) {
        const int top = t.h - int(34 * t.sy) - int(26 * t.sy * fbm(x / 55.0, 9.5, 3, 61 + k));
        for (int y = top; y < t.h; ++y) t.ref(x, y) = Rock;
    }
    const int nx = std::max(1, int(t.sx + 0.5)), ny = std::max(1, int(t.sy + 0.5));
    const double tw = double(t.w) / nx, th = double(t.h) / ny;
    const double kx = tw / 1280, ky = th / 800;
    Rng rng(std::uint64_t(t.seed) * 0xD1B54A32D192ED03ull);
    for (int ty = 0; ty < ny; ++ty)
        for (int tx = 0; tx < nx; ++tx)
            for (int i = 0; i < 5; ++i) {
                const Outcrop& o = kOutcrops[i];
                // Seed 0 keeps the first level's places; other seeds move each outcrop
                // about its place by up to a sixth of the tile.
                const double jx = t.seed ? rng.uniform(-tw / 6, tw / 6) : 0;
                const double jy = t.seed && o.y ? rng.uniform(-th / 10, th / 10) : 0;
                Outcrop placed{std::clamp(tx * tw + o.x * kx + jx, 0.0, t.w - 1.0), 0, o.rx * kx, o.ry * ky};
                if (o.y) placed.y = ty * th + o.y * ky + jy;
                else if (ty > 0) placed.y = ty * th + 60 * ky;
                place_outcrop(t, placed, std::uint32_t(i) + k);
            }
}

void shape_hills(Terrain& t) {
    make_surface(t);
    fill_earth(t);
    carve_caverns(t);
    carve_tunnels(t);
    place_rock(t);
}

// ---------------------------------------------------------------- pictures

Rgb rock_colour(int x, int y, int edge, bool by_earth) {
    double f1, f2;
    std::uint32_t id = 0;
    cells_at(x, y * 1.25, 26, 81, &f1, &f2, &id);
    const double tone = 0.86 + 0.22 * ((id >> 8 & 0xFF) / 255.0);
    Rgb c = scale({112, 113, 122}, tone);
    c = add(c, 26 * (fbm(x / 9.0, y / 9.0, 3, 82) - 0.5) + 12 * (unit(x, y, 83) - 0.5));
    // Mortar-dark seams between the stones, and a lit upper rim on each stone.
    const double seam = f2 - f1;
    if (seam < 2.2) c = mix(c, {58, 58, 66}, 1 - seam / 2.2);
    else if (seam < 4.5 && (id & 1)) c = add(c, 10);
    if (edge <= 2) c = mix(c, {62, 62, 72}, 0.5 / edge);
    if (by_earth) c = mix(c, {54, 50, 56}, 0.6);
    return c;
}

Rgb earth_colour(int x, int y, int surface, int edge) {
    const double depth = y - surface;
    // Topsoil, then redder clay, then dark deep earth.
    Rgb c = mix({128, 88, 52}, {110, 66, 42}, depth / 220.0);
    c = mix(c, {74, 50, 38}, (depth - 220) / 380.0);
    // Strata and patches.
    c = scale(c, 0.93 + 0.1 * std::sin(y / 9.0 + 6 * fbm(x / 120.0, y / 40.0, 2, 91)));
    c = add(c, 26 * (fbm(x / 30.0, y / 30.0, 4, 92) - 0.5));
    // Clods and grain.
    c = add(c, 18 * (fbm(x / 5.0, y / 5.0, 2, 90) - 0.5));
    c = add(c, 22 * (unit(x, y, 93) - 0.5));
    // Pebbles: small lighter spots on a sparse lattice.
    const int px = x / 7, py = y / 7;
    if (unit(px, py, 94) < 0.07) {
        const double ox = px * 7 + 3.5 + 2 * (unit(px, py, 95) - 0.5) - x;
        const double oy = py * 7 + 3.5 + 2 * (unit(px, py, 96) - 0.5) - y;
        const double r = 1.4 + 1.3 * unit(px, py, 97);
        if (ox * ox + oy * oy < r * r) c = mix(c, {150, 132, 110}, 0.75 - 0.3 * (oy > 0));
    }
    // Grass on the open ground.
    const int grass = 4 + int(5 * fbm(x / 4.0, 0.5, 2, 98));
    if (depth < grass) {
        c = mix({58, 142, 46}, {38, 104, 34}, depth / double(grass));
        c = add(c, 20 * (unit(x, y, 99) - 0.5));
    }
    if (edge <= 2) c = scale(c, 0.62 + 0.16 * edge);
    return c;
}

// `sy` stretches the sky's bands to the level's height.
Rgb sky_colour(int x, int y, double sy) {
    const double v = y / sy;
    Rgb c = mix({8, 12, 34}, {64, 46, 92}, v / 300.0);
    c = mix(c, {120, 72, 90}, (v - 240) / 140.0);
    // Stars in the high sky.
    if (v < 200 && unit(x, y, 201) < 0.0016) c = mix(c, {235, 235, 255}, 0.9 - v / 300.0);
    // Distant mountains, two layers.
    const double far = 105 + 90 * fbm(x / 210.0, 1.5, 4, 202);
    const double near = 150 + 80 * fbm(x / 140.0, 4.5, 4, 203);
    if (v > far) c = mix({44, 36, 72}, {36, 30, 58}, (v - far) / 120);
    if (v > near) c = mix({28, 24, 46}, {22, 20, 36}, (v - near) / 120);
    return c;
}

Rgb wall_colour(int x, int y) {
    // Dark, cool and rough: nothing like the warm earth in front of it.
    Rgb c = mix({46, 42, 60}, {30, 28, 42}, (y - 200) / 600.0);
    c = add(c, 26 * (fbm(x / 48.0, y / 36.0, 5, 301) - 0.5));
    c = add(c, 10 * (fbm(x / 6.0, y / 6.0, 2, 302) - 0.5));
    // Slabs: a faint darker seam where a coarse cell pattern changes.
    double f1, f2;
    std::uint32_t id = 0;
    cells_at(x * 0.8, y, 44, 303, &f1, &f2, &id);
    c = scale(c, 0.9 + 0.12 * ((id >> 8 & 0xFF) / 255.0));
    if (f2 - f1 < 1.6) c = scale(c, 0.8);
    return add(c, 6 * (unit(x, y, 304) - 0.5));
}

Paint paint_hills(const Terrain& t, int x, int y) {
    const Cell cell = t.at(x, y);
    const int edge = cell == Air ? 4 : edge_distance(t, x, y);
    // Open space above the ground gets topsoil without grass.
    const int surface = cell == Air && y < t.surface[x] + 10 ? y - 30 : t.surface[x];
    const bool by_earth = cell == Rock && touches(t, x, y, Earth);
    return {cell == Rock ? rock_colour(x, y, edge, by_earth) : earth_colour(x, y, surface, edge),
            y < t.surface[x] + 12 ? sky_colour(x, y, t.sy) : wall_colour(x, y)};
}

}  // namespace

Look hills_look() {
    return {"hills", "rolling hills of earth with caverns and tunnels, stone outcrops and a bed of stone (the default)",
            shape_hills, paint_hills};
}

}  // namespace levelgen
