#ifndef VORLIN_BASE_DET_MATH_H
#define VORLIN_BASE_DET_MATH_H

// Sine and cosine that give the same bits on every compiler, flag and C library: only
// additions and multiplications of doubles, in a fixed order (the project builds the
// world without contraction into fused multiply-adds). The C library's sin and cos may
// differ in the last bit from one version or machine to the next, and a last bit is
// enough for two machines' worlds to part. Within 1e-15 of the true value for any angle
// of magnitude up to 1e6 radians; beyond 1e9, and for NaN and infinities, NaN.
double det_sin(double angle);
double det_cos(double angle);
// The angle of the vector (x, y), in (-pi, pi], as the C library's atan2 defines it for
// zeros and infinities; within 2e-16 of the true value.
double det_atan2(double y, double x);

#endif
