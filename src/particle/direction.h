#ifndef VORLIN_PARTICLE_DIRECTION_H
#define VORLIN_PARTICLE_DIRECTION_H

#include "base/det_math.h"

// The unit vector along an angle in level coordinates. Angles are radians counter-clockwise
// as seen on the screen while y grows downwards, hence the negated sine. The components
// have the angle's own precision (float or double), rounded from the game's own sine and
// cosine, which are the same on every build.
template <class T>
struct Direction {
    T x, y;
};

template <class T>
Direction<T> direction(T angle) {
    return {static_cast<T>(det_cos(angle)), static_cast<T>(-det_sin(angle))};
}

#endif
