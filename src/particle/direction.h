#ifndef VORLIN_PARTICLE_DIRECTION_H
#define VORLIN_PARTICLE_DIRECTION_H

#include <cmath>

// The unit vector along an angle in level coordinates. Angles are radians counter-clockwise
// as seen on the screen while y grows downwards, hence the negated sine. The components
// have the angle's own precision (float or double), so that every product taken with them
// rounds as it always has.
template <class T>
struct Direction {
    T x, y;
};

template <class T>
Direction<T> direction(T angle) {
    return {std::cos(angle), -std::sin(angle)};
}

#endif
