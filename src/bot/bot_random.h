#ifndef VORLIN_BOT_BOT_RANDOM_H
#define VORLIN_BOT_BOT_RANDOM_H

#include <cstdint>

// A computer player's own random numbers (splitmix64). The world's generator must give
// the same sequence whoever plays, so no player ever draws from it.
class BotRandom {
public:
    explicit BotRandom(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // In [0, 1).
    double Unit() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
    double Uniform(double lo, double hi) { return lo + (hi - lo) * Unit(); }
    // lo .. hi - 1.
    int Below(int n) { return n > 0 ? static_cast<int>(Next() % static_cast<std::uint64_t>(n)) : 0; }
    bool Chance(double p) { return Unit() < p; }

private:
    std::uint64_t state_;
};

#endif
