#include <gtest/gtest.h>

#include <cstdint>

#include "base/random.h"

namespace {

TEST(Random, FollowsTheLinearCongruentialGenerator) {
    seed_random(1);
    // The first values of state * 214013 + 2531011, bits 16..30, from seed 1.
    EXPECT_EQ(41, random15());
    EXPECT_EQ(18467, random15());
    EXPECT_EQ(6334, random15());
    EXPECT_EQ(26500, random15());
    EXPECT_EQ(19169, random15());

    // Against an independent model of the recurrence over many steps and another seed.
    std::uint32_t state = 12345;
    seed_random(12345);
    for (int i = 0; i < 10000; ++i) {
        state = state * 214013u + 2531011u;
        ASSERT_EQ(static_cast<int>((state >> 16) & 0x7fff), random15()) << "draw " << i;
    }
}

TEST(Random, Rand01ScalesByTheSinglePrecisionReciprocal) {
    seed_random(1);
    EXPECT_DOUBLE_EQ(41 * static_cast<double>(3.0518509e-05f), rand01());

    // Find a seed whose first draw is the largest raw value: rand01 stays below 1.
    unsigned seed = 0;
    for (unsigned s = 0; s < (1u << 17); ++s) {
        seed_random(s);
        if (random15() == 32767) {
            seed = s;
            break;
        }
    }
    seed_random(seed);
    const double top = rand01();
    EXPECT_LT(top, 1.0);
    EXPECT_GT(top, 0.999999998);
}

TEST(Random, RandRangeNeverReachesTheUpperBound) {
    seed_random(7);
    bool seen_low = false, seen_high = false;
    for (int i = 0; i < 20000; ++i) {
        const int v = rand_range(8, 12);
        ASSERT_GE(v, 8);
        ASSERT_LE(v, 11);
        seen_low |= v == 8;
        seen_high |= v == 11;
    }
    EXPECT_TRUE(seen_low);
    EXPECT_TRUE(seen_high);
}

}  // namespace
