// levelgen <dir> [--preview <file.bmp>]
//
// Writes the default level bitmaps into <dir>: back.bmp, fore.bmp, mask.bmp and
// undiggable.bmp (24-bit BMPs, 1280 x 800). The output depends on nothing but this
// program: the same bitmaps come out on every run and every machine.
//
// The level: a band of open sky across the top (players and weapon drops arrive at
// y = 20), rolling hills of earth with caverns and winding tunnels, grey stone that can
// never be dug along the bottom and in a few outcrops, and behind it all a night sky
// above the ground and a dark cave wall below it. With --preview the composed picture
// (as the game shows it) is written as well.

#include <allegro.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "level/level.h"

namespace {

constexpr int kW = 1280;
constexpr int kH = 800;
// Rows kept open at the top whatever the terrain does.
constexpr int kSkyBand = 64;

// ---------------------------------------------------------------- randomness

std::uint32_t hash3(std::int32_t x, std::int32_t y, std::uint32_t seed) {
    std::uint32_t h = seed * 0x9E3779B9u ^ std::uint32_t(x) * 0x85EBCA6Bu ^ std::uint32_t(y) * 0xC2B2AE35u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

// In [0, 1).
double unit(std::int32_t x, std::int32_t y, std::uint32_t seed) {
    return (hash3(x, y, seed) >> 8) * (1.0 / 16777216.0);
}

// A small deterministic generator for the placement of features.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double uniform(double lo, double hi) { return lo + (hi - lo) * ((next() >> 11) * (1.0 / 9007199254740992.0)); }

private:
    std::uint64_t state_;
};

double smooth(double t) { return t * t * t * (t * (t * 6 - 15) + 10); }

// Value noise on the integer lattice, in [0, 1).
double value_noise(double x, double y, std::uint32_t seed) {
    const double fx = std::floor(x), fy = std::floor(y);
    const auto ix = std::int32_t(fx), iy = std::int32_t(fy);
    const double tx = smooth(x - fx), ty = smooth(y - fy);
    const double a = unit(ix, iy, seed), b = unit(ix + 1, iy, seed);
    const double c = unit(ix, iy + 1, seed), d = unit(ix + 1, iy + 1, seed);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

// Fractal sum of `octaves` layers, each twice as fine and half as strong; in [0, 1).
double fbm(double x, double y, int octaves, std::uint32_t seed) {
    double sum = 0, amp = 1, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * value_noise(x, y, seed + 101u * std::uint32_t(i));
        norm += amp;
        amp *= 0.5;
        x *= 2.03;
        y *= 2.03;
    }
    return sum / norm;
}

// ---------------------------------------------------------------- colours

struct Rgb {
    double r, g, b;
};

Rgb mix(Rgb a, Rgb b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb scale(Rgb c, double k) { return {c.r * k, c.g * k, c.b * k}; }

Rgb add(Rgb c, double d) { return {c.r + d, c.g + d, c.b + d}; }

int to_colour(Rgb c) {
    auto channel = [](double v) { return std::clamp(int(std::lround(v)), 0, 255); };
    int r = channel(c.r), g = channel(c.g), b = channel(c.b);
    // The exact solid colour would be transparent in the picture.
    if (r == 255 && g == 0 && b == 255) g = 1;
    return makecol(r, g, b);
}

// ---------------------------------------------------------------- terrain

enum Cell : std::uint8_t { Air, Earth, Rock };

struct Terrain {
    std::vector<Cell> cells = std::vector<Cell>(std::size_t(kW) * kH, Air);
    std::vector<int> surface = std::vector<int>(kW);  // first earth row of each column

    Cell at(int x, int y) const {
        if (x < 0 || y < 0 || x >= kW || y >= kH) return Air;
        return cells[std::size_t(y) * kW + x];
    }
    Cell& ref(int x, int y) { return cells[std::size_t(y) * kW + x]; }
};

// Rolling hills; never above the open sky band, and nowhere steeper than one pixel up
// per pixel across, which is what a player can walk.
void make_surface(Terrain& t) {
    for (int x = 0; x < kW; ++x) {
        double h = 200 + 240 * (fbm(x / 230.0, 0.5, 3, 11) - 0.5) + 24 * (fbm(x / 60.0, 3.5, 3, 12) - 0.5);
        // A valley in the middle and raised ground towards both ends.
        h += 45 * std::cos((x - kW / 2.0) / kW * 2 * 3.14159265);
        t.surface[x] = std::max(kSkyBand + 30, int(h));
    }
    // Where the ground falls away faster than that, it is raised into a 45-degree slope.
    for (int x = 1; x < kW; ++x) t.surface[x] = std::min(t.surface[x], t.surface[x - 1] + 1);
    for (int x = kW - 2; x >= 0; --x) t.surface[x] = std::min(t.surface[x], t.surface[x + 1] + 1);
}

void fill_earth(Terrain& t) {
    for (int x = 0; x < kW; ++x)
        for (int y = t.surface[x]; y < kH; ++y) t.ref(x, y) = Earth;
}

void carve_disc(Terrain& t, double cx, double cy, double r) {
    for (int y = int(cy - r) - 1; y <= int(cy + r) + 1; ++y)
        for (int x = int(cx - r) - 1; x <= int(cx + r) + 1; ++x) {
            if (x < 0 || y < kSkyBand || x >= kW || y >= kH) continue;
            const double dx = x - cx, dy = y - cy;
            if (dx * dx + dy * dy <= r * r) t.ref(x, y) = Air;
        }
}

// Caverns: the high ground of a low-frequency noise field, kept under a crust.
void carve_caverns(Terrain& t) {
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            if (t.at(x, y) != Earth || y < t.surface[x] + 26) continue;
            const double n = fbm(x / 150.0, y / 95.0, 4, 21);
            // Fewer and smaller chambers near the surface and the bedrock.
            const double depth = double(y - t.surface[x]) / (kH - t.surface[x]);
            const double threshold = 0.665 - 0.05 * std::sin(depth * 3.14159265);
            if (n > threshold) t.ref(x, y) = Air;
        }
}

// Tunnels: worms that wander through the earth, leaving a bore of varying width.
void carve_tunnels(Terrain& t) {
    Rng rng(0x5EEDull);
    for (int i = 0; i < 9; ++i) {
        double x = rng.uniform(60, kW - 60);
        double y = rng.uniform(260, kH - 110);
        double angle = rng.uniform(0, 2 * 3.14159265);
        const double length = rng.uniform(260, 620);
        const double base_r = rng.uniform(8, 12);
        for (double s = 0; s < length; s += 2) {
            const double turn = (fbm(s / 90.0, i * 7.3, 2, 31) - 0.5) * 0.16;
            angle += turn;
            // Tunnels prefer to run sideways rather than straight up or down.
            angle -= 0.05 * std::sin(2 * angle) * (std::cos(angle) > 0 ? 1 : -1) * 0.5;
            x += 2 * std::cos(angle);
            y += 2 * std::sin(angle);
            if (y < t.surface[std::clamp(int(x), 0, kW - 1)] + 20) angle = 3.14159265 / 2 - (angle - 3.14159265 / 2) * 0.5;
            if (x < 20 || x > kW - 20 || y > kH - 70) break;
            carve_disc(t, x, y, base_r + 4 * (fbm(s / 60.0, i * 3.1, 2, 41) - 0.5));
        }
    }
}

// Stone that can never be dug: a bed along the bottom and a few outcrops, all of them
// well under the ground, so that a player never arrives on stone he cannot dig through.
void place_rock(Terrain& t) {
    for (int x = 0; x < kW; ++x) {
        const int top = kH - 34 - int(26 * fbm(x / 55.0, 9.5, 3, 61));
        for (int y = top; y < kH; ++y) t.ref(x, y) = Rock;
    }
    struct Outcrop {
        double x, y, rx, ry;
    };
    const Outcrop outcrops[] = {
        {190, 0, 44, 62},    // under the left hill (y set from the surface below)
        {1080, 0, 56, 50},   // under the right hill
        {640, 470, 95, 34},  // a shelf under the central valley
        {420, 640, 70, 46},  // rising from the bedrock
        {930, 600, 54, 60},
    };
    for (int i = 0; i < 5; ++i) {
        Outcrop o = outcrops[i];
        if (o.y == 0) o.y = t.surface[int(o.x)] + o.ry * 1.5 + 40;
        for (int y = int(o.y - o.ry * 1.5); y <= int(o.y + o.ry * 1.5); ++y)
            for (int x = int(o.x - o.rx * 1.5); x <= int(o.x + o.rx * 1.5); ++x) {
                if (x < 0 || x >= kW || y < t.surface[x] + 40 || y >= kH) continue;
                const double dx = (x - o.x) / o.rx, dy = (y - o.y) / o.ry;
                const double wobble = 1.1 * (fbm(x / 26.0, y / 26.0, 4, 70 + i) - 0.5) +
                                      0.25 * (fbm(x / 7.0, y / 7.0, 2, 75 + i) - 0.5);
                if (dx * dx + dy * dy + wobble < 1) t.ref(x, y) = Rock;
            }
    }
}

// ---------------------------------------------------------------- pictures

// Distance (0 to 3) from a solid cell to the nearest air cell, 4 when farther.
int edge_distance(const Terrain& t, int x, int y) {
    for (int d = 1; d <= 3; ++d)
        for (int j = -d; j <= d; ++j)
            for (int i = -d; i <= d; ++i)
                if ((std::abs(i) == d || std::abs(j) == d) && t.at(x + i, y + j) == Air && y + j >= 0)
                    return d;
    return 4;
}

// Cobblestone: distance to the nearest and second nearest jittered cell centre.
void cells_at(double x, double y, double size, std::uint32_t seed, double* f1, double* f2, std::uint32_t* id) {
    const int cx = int(std::floor(x / size)), cy = int(std::floor(y / size));
    *f1 = *f2 = 1e9;
    for (int j = -1; j <= 1; ++j)
        for (int i = -1; i <= 1; ++i) {
            const double px = (cx + i + 0.15 + 0.7 * unit(cx + i, cy + j, seed)) * size;
            const double py = (cy + j + 0.15 + 0.7 * unit(cx + i, cy + j, seed + 1)) * size;
            const double d = std::hypot(x - px, y - py);
            if (d < *f1) {
                *f2 = *f1;
                *f1 = d;
                *id = hash3(cx + i, cy + j, seed + 2);
            } else if (d < *f2) {
                *f2 = d;
            }
        }
}

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

Rgb sky_colour(int x, int y) {
    Rgb c = mix({8, 12, 34}, {64, 46, 92}, y / 300.0);
    c = mix(c, {120, 72, 90}, (y - 240) / 140.0);
    // Stars in the high sky.
    if (y < 200 && unit(x, y, 201) < 0.0016) c = mix(c, {235, 235, 255}, 0.9 - y / 300.0);
    // Distant mountains, two layers.
    const double far = 105 + 90 * fbm(x / 210.0, 1.5, 4, 202);
    const double near = 150 + 80 * fbm(x / 140.0, 4.5, 4, 203);
    if (y > far) c = mix({44, 36, 72}, {36, 30, 58}, (y - far) / 120);
    if (y > near) c = mix({28, 24, 46}, {22, 20, 36}, (y - near) / 120);
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

bool save(const std::string& path, BITMAP* bmp) {
    if (save_bitmap(path.c_str(), bmp, nullptr) == 0) return true;
    std::fprintf(stderr, "levelgen: cannot write %s\n", path.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    std::string dir, preview;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--preview" && i + 1 < argc) preview = argv[++i];
        else if (dir.empty()) dir = arg;
        else dir.clear(), i = argc;
    }
    if (dir.empty()) {
        std::fprintf(stderr, "usage: levelgen <dir> [--preview <file.bmp>]\n");
        return 2;
    }
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) return 1;
    set_color_depth(32);

    Terrain t;
    make_surface(t);
    fill_earth(t);
    carve_caverns(t);
    carve_tunnels(t);
    place_rock(t);

    BITMAP* mask = create_bitmap(kW, kH);
    BITMAP* undiggable = create_bitmap(kW, kH);
    BITMAP* fore = create_bitmap(kW, kH);
    BITMAP* back = create_bitmap(kW, kH);
    if (!mask || !undiggable || !fore || !back) return 1;

    const int solid = makecol(255, 0, 255), air = makecol(0, 255, 0);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const Cell cell = t.at(x, y);
            putpixel(mask, x, y, cell == Air ? air : solid);
            putpixel(undiggable, x, y, cell == Rock ? solid : air);
            // The terrain picture covers the open space too: dirt piled up there later
            // shows as earth.
            const int edge = cell == Air ? 4 : edge_distance(t, x, y);
            // Open space above the ground gets topsoil without grass.
            const int surface = cell == Air && y < t.surface[x] + 10 ? y - 30 : t.surface[x];
            const bool by_earth = cell == Rock && (t.at(x - 1, y) == Earth || t.at(x + 1, y) == Earth ||
                                                   t.at(x, y - 1) == Earth || t.at(x, y + 1) == Earth);
            const Rgb ground = cell == Rock ? rock_colour(x, y, edge, by_earth) : earth_colour(x, y, surface, edge);
            putpixel(fore, x, y, to_colour(ground));
            putpixel(back, x, y, to_colour(y < t.surface[x] + 12 ? sky_colour(x, y) : wall_colour(x, y)));
        }

    bool ok = save(dir + "/mask.bmp", mask) && save(dir + "/undiggable.bmp", undiggable) &&
              save(dir + "/fore.bmp", fore) && save(dir + "/back.bmp", back);
    destroy_bitmap(mask);
    destroy_bitmap(undiggable);
    destroy_bitmap(fore);
    destroy_bitmap(back);

    if (ok && !preview.empty()) {
        Level level(dir + "/mask.bmp", dir + "/undiggable.bmp", dir + "/fore.bmp", dir + "/back.bmp");
        ok = save(preview, level.render);
    }
    return ok ? 0 : 1;
}
