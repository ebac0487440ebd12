#include "base/det_math.h"

#include <cmath>
#include <limits>

namespace {

// pi/2 as a head of 33 bits, whose product with any reduction count below 2^20 is exact,
// and the rest.
constexpr double kHalfPiHead = 1.57079632673412561417e+00;
constexpr double kHalfPiTail = 6.07710050650619224932e-11;
constexpr double kTwoOverPi = 6.36619772367581382433e-01;
constexpr double kLargest = 1e9;

// Minimax polynomials of sin and cos on [-pi/4, pi/4] (the classic coefficients of
// Sun's freely distributed math library).
double sin_near_zero(double x) {
    constexpr double S1 = -1.66666666666666324348e-01, S2 = 8.33333333332248946124e-03,
                     S3 = -1.98412698298579493134e-04, S4 = 2.75573137070700676789e-06,
                     S5 = -2.50507602534068634195e-08, S6 = 1.58969099521155010221e-10;
    const double z = x * x;
    const double r = S2 + z * (S3 + z * (S4 + z * (S5 + z * S6)));
    return x + z * x * (S1 + z * r);
}

double cos_near_zero(double x) {
    constexpr double C1 = 4.16666666666666019037e-02, C2 = -1.38888888888741095749e-03,
                     C3 = 2.48015872894767294178e-05, C4 = -2.75573143513906633035e-07,
                     C5 = 2.08757232129817482790e-09, C6 = -1.13596475577881948265e-11;
    const double z = x * x;
    const double r = z * (C1 + z * (C2 + z * (C3 + z * (C4 + z * (C5 + z * C6)))));
    const double hz = 0.5 * z;
    const double w = 1.0 - hz;
    return w + (((1.0 - w) - hz) + z * r);
}

// The angle as quarter turns q (mod 4) plus a rest within about pi/4 of zero.
struct Reduced {
    int quarter;
    double rest;
};

Reduced reduce(double angle) {
    const double turns = angle * kTwoOverPi;
    const long long k = static_cast<long long>(turns < 0.0 ? turns - 0.5 : turns + 0.5);
    const double kd = static_cast<double>(k);
    return {static_cast<int>(k & 3), (angle - kd * kHalfPiHead) - kd * kHalfPiTail};
}

constexpr double kPi = 3.1415926535897931160e+00;
constexpr double kPiTail = 1.2246467991473531772e-16;

// The arc tangent of t >= 0: the argument moved near one of four points whose arc
// tangents are known to double-double precision, then an odd polynomial.
double atan_of_positive(double t) {
    static const double kHead[] = {4.63647609000806093515e-01, 7.85398163397448278999e-01,
                                   9.82793723247329054082e-01, 1.57079632679489655800e+00};
    static const double kTail[] = {2.26987774529616870924e-17, 3.06161699786838301793e-17,
                                   1.39033110312309984516e-17, 6.12323399573676603587e-17};
    static const double aT[] = {3.33333333333329318027e-01,  -1.99999999998764832476e-01,
                                1.42857142725034663711e-01,  -1.11111104054623557880e-01,
                                9.09088713343650656196e-02,  -7.69187620504482999495e-02,
                                6.66107313738753120669e-02,  -5.83357013379057348645e-02,
                                4.97687799461593236017e-02,  -3.65315727442169155270e-02,
                                1.62858201153657823623e-02};
    if (t > 7.3786976294838206464e19) return kHead[3] + kTail[3];  // 2^66: pi/2 itself
    int id = -1;
    if (t >= 0.4375) {
        if (t < 0.6875) {
            id = 0;
            t = (2.0 * t - 1.0) / (2.0 + t);
        } else if (t < 1.1875) {
            id = 1;
            t = (t - 1.0) / (t + 1.0);
        } else if (t < 2.4375) {
            id = 2;
            t = (t - 1.5) / (1.0 + 1.5 * t);
        } else {
            id = 3;
            t = -1.0 / t;
        }
    }
    const double z = t * t;
    const double w = z * z;
    const double s1 = z * (aT[0] + w * (aT[2] + w * (aT[4] + w * (aT[6] + w * (aT[8] + w * aT[10])))));
    const double s2 = w * (aT[1] + w * (aT[3] + w * (aT[5] + w * (aT[7] + w * aT[9]))));
    if (id < 0) return t - t * (s1 + s2);
    return kHead[id] - ((t * (s1 + s2) - kTail[id]) - t);
}

bool reducible(double angle) { return angle <= kLargest && angle >= -kLargest; }

}  // namespace

double det_sin(double angle) {
    if (!reducible(angle)) return std::numeric_limits<double>::quiet_NaN();
    const Reduced r = reduce(angle);
    switch (r.quarter) {
        case 0: return sin_near_zero(r.rest);
        case 1: return cos_near_zero(r.rest);
        case 2: return -sin_near_zero(r.rest);
        default: return -cos_near_zero(r.rest);
    }
}

double det_cos(double angle) {
    if (!reducible(angle)) return std::numeric_limits<double>::quiet_NaN();
    const Reduced r = reduce(angle);
    switch (r.quarter) {
        case 0: return cos_near_zero(r.rest);
        case 1: return -sin_near_zero(r.rest);
        case 2: return -cos_near_zero(r.rest);
        default: return sin_near_zero(r.rest);
    }
}

double det_atan2(double y, double x) {
    if (y != y || x != x) return std::numeric_limits<double>::quiet_NaN();
    const bool below = std::signbit(y);
    const double ay = std::fabs(y), ax = std::fabs(x);
    double a;  // the angle of (|x|, |y|), in [0, pi/2]
    if (ay == 0.0) {
        a = 0.0;
    } else if (ax == 0.0 || (std::isinf(ay) && !std::isinf(ax))) {
        a = kPi / 2;
    } else if (std::isinf(ax)) {
        a = std::isinf(ay) ? kPi / 4 : 0.0;
    } else {
        a = atan_of_positive(ay / ax);
    }
    // The left half-plane, a negative zero x included when y is zero too, as atan2 has it.
    if (std::signbit(x) && !(ax == 0.0 && ay != 0.0)) a = a == 0.0 ? kPi : kPi - (a - kPiTail);
    return below ? -a : a;
}
