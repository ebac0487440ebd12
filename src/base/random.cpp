#include "base/random.h"

#include <cstdint>

namespace {
std::uint32_t state = 1;
}

void seed_random(unsigned seed) { state = seed; }

unsigned random_state() { return state; }

int random15() {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7fff);
}

double rand01() {
    // The single-precision value nearest 1/32767, the product taken in double.
    constexpr float inv = 1.0f / 32767.0f;
    return random15() * static_cast<double>(inv);
}

int rand_range(int lo, int hi) { return static_cast<int>(lo + rand01() * (hi - lo)); }
