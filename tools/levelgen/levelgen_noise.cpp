#include "levelgen_noise.h"

#include <allegro.h>

#include <algorithm>
#include <cmath>

namespace levelgen {

std::uint32_t hash3(std::int32_t x, std::int32_t y, std::uint32_t seed) {
    std::uint32_t h = seed * 0x9E3779B9u ^ std::uint32_t(x) * 0x85EBCA6Bu ^ std::uint32_t(y) * 0xC2B2AE35u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

double unit(std::int32_t x, std::int32_t y, std::uint32_t seed) {
    return (hash3(x, y, seed) >> 8) * (1.0 / 16777216.0);
}

std::uint64_t Rng::next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

namespace {

double smooth(double t) { return t * t * t * (t * (t * 6 - 15) + 10); }

}  // namespace

double value_noise(double x, double y, std::uint32_t seed) {
    const double fx = std::floor(x), fy = std::floor(y);
    const auto ix = std::int32_t(fx), iy = std::int32_t(fy);
    const double tx = smooth(x - fx), ty = smooth(y - fy);
    const double a = unit(ix, iy, seed), b = unit(ix + 1, iy, seed);
    const double c = unit(ix, iy + 1, seed), d = unit(ix + 1, iy + 1, seed);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

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

void cells_at(double x, double y, double size, std::uint32_t seed, double* f1, double* f2, std::uint32_t* id) {
    const int cx = int(std::floor(x / size)), cy = int(std::floor(y / size));
    *f1 = *f2 = 1e9;
    for (int j = -1; j <= 1; ++j)
        for (int i = -1; i <= 1; ++i) {
            const double px = (cx + i + 0.15 + 0.7 * unit(cx + i, cy + j, seed)) * size;
            const double py = (cy + j + 0.15 + 0.7 * unit(cx + i, cy + j, seed + 1)) * size;
            const double d = std::sqrt((x - px) * (x - px) + (y - py) * (y - py));
            if (d < *f1) {
                *f2 = *f1;
                *f1 = d;
                *id = hash3(cx + i, cy + j, seed + 2);
            } else if (d < *f2) {
                *f2 = d;
            }
        }
}

Rgb mix(Rgb a, Rgb b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

int to_colour(Rgb c) {
    auto channel = [](double v) { return std::clamp(int(std::lround(v)), 0, 255); };
    int r = channel(c.r), g = channel(c.g), b = channel(c.b);
    if (r == 255 && g == 0 && b == 255) g = 1;
    return makecol(r, g, b);
}

}  // namespace levelgen
