#include <gtest/gtest.h>

#include <cmath>

#include "base/det_math.h"

namespace {

// The game's sine and cosine against the C library's over every quadrant, both signs and
// far-off angles: the polynomials and the reduction hold their precision everywhere the
// world can take them.
TEST(DetMath, SineAndCosineFollowTheTrueValues) {
    struct Range {
        double from, to, step, tolerance;
    };
    const Range ranges[] = {
        {-7.0, 7.0, 1.0 / 4096, 2e-16},      // the angles of aims, spreads and splinters
        {-1000.0, 1000.0, 0.0371, 4e-16},
        {-1e6, 1e6, 977.3, 2e-12},
    };
    for (const Range& r : ranges) {
        double worst = 0.0;
        for (double a = r.from; a <= r.to; a += r.step) {
            worst = std::fmax(worst, std::fabs(det_sin(a) - std::sin(a)));
            worst = std::fmax(worst, std::fabs(det_cos(a) - std::cos(a)));
        }
        EXPECT_LE(worst, r.tolerance) << "over " << r.from << " .. " << r.to;
    }
}

TEST(DetMath, ArcTangentFollowsTheTrueValueInEveryQuadrant) {
    double worst = 0.0;
    for (double y = -50.0; y <= 50.0; y += 0.37)
        for (double x = -50.0; x <= 50.0; x += 0.41)
            worst = std::fmax(worst, std::fabs(det_atan2(y, x) - std::atan2(y, x)));
    EXPECT_LE(worst, 4.5e-16);
    // Zeros and infinities as the C library defines them.
    const double cases[][2] = {{0.0, 1.0},       {-0.0, 1.0},     {0.0, -1.0},     {-0.0, -0.0},
                               {1.0, 0.0},       {-1.0, -0.0},    {1e300, 1e-300}, {INFINITY, 3.0},
                               {2.0, -INFINITY}, {-INFINITY, INFINITY}};
    for (const auto& c : cases) {
        EXPECT_EQ(std::atan2(c[0], c[1]), det_atan2(c[0], c[1])) << c[0] << ", " << c[1];
        EXPECT_EQ(std::signbit(std::atan2(c[0], c[1])), std::signbit(det_atan2(c[0], c[1])));
    }
}

TEST(DetMath, KeyAnglesAndUnusableOnes) {
    EXPECT_EQ(0.0, det_sin(0.0));
    EXPECT_EQ(1.0, det_cos(0.0));
    // The single-precision quarter turn lies a hair beyond pi/2: a player aiming there
    // faces left, on every build.
    EXPECT_LT(det_cos(static_cast<float>(M_PI / 2)), 0.0);
    EXPECT_DOUBLE_EQ(-1.0, det_sin(-M_PI / 2));
    EXPECT_TRUE(std::isnan(det_sin(NAN)));
    EXPECT_TRUE(std::isnan(det_cos(INFINITY)));
    EXPECT_TRUE(std::isnan(det_sin(2e9)));
    EXPECT_TRUE(std::isnan(det_atan2(NAN, 1.0)));
}

}  // namespace
