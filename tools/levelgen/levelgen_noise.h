#ifndef VORLIN_TOOLS_LEVELGEN_NOISE_H
#define VORLIN_TOOLS_LEVELGEN_NOISE_H

#include <cstdint>

// The generator's randomness and colour arithmetic. Everything here is integer hashing
// and the four IEEE operations (and sqrt, which IEEE rounds exactly too): the same
// numbers come out on every machine and every libm.
namespace levelgen {

std::uint32_t hash3(std::int32_t x, std::int32_t y, std::uint32_t seed);

// In [0, 1).
double unit(std::int32_t x, std::int32_t y, std::uint32_t seed);

// Spreads a level's seed over the 32 bits, 0 staying 0: added to a noise layer's own
// seed it gives every level its own field while seed 0 keeps the first level's.
inline std::uint32_t salt(std::uint32_t seed) { return seed * 0x9E3779B1u; }

// A small deterministic generator for the placement of features.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next();
    // In [lo, hi).
    double uniform(double lo, double hi) { return lo + (hi - lo) * ((next() >> 11) * (1.0 / 9007199254740992.0)); }
    // In [0, n).
    int below(int n) { return int(next() % std::uint64_t(n)); }

private:
    std::uint64_t state_;
};

// Value noise on the integer lattice, in [0, 1).
double value_noise(double x, double y, std::uint32_t seed);

// Fractal sum of `octaves` layers, each twice as fine and half as strong; in [0, 1).
double fbm(double x, double y, int octaves, std::uint32_t seed);

// 1 on the mid line of a noise field (n = 0.5), falling to 0 at its extremes: thin
// connected ridges where the field crosses its middle.
inline double ridge(double n) { return 1 - (n > 0.5 ? 2 * n - 1 : 1 - 2 * n); }

// Cell pattern: distance to the nearest and second nearest jittered cell centre, and
// the nearest cell's hash.
void cells_at(double x, double y, double size, std::uint32_t seed, double* f1, double* f2, std::uint32_t* id);

struct Rgb {
    double r, g, b;
};

Rgb mix(Rgb a, Rgb b, double t);
inline Rgb scale(Rgb c, double k) { return {c.r * k, c.g * k, c.b * k}; }
inline Rgb add(Rgb c, double d) { return {c.r + d, c.g + d, c.b + d}; }

// The colour of the current depth; never the exact solid colour, which a picture would
// show as transparent.
int to_colour(Rgb c);

}  // namespace levelgen

#endif
