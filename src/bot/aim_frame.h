#ifndef VORLIN_BOT_AIM_FRAME_H
#define VORLIN_BOT_AIM_FRAME_H

#include <cmath>

#include "particle/particle.h"

// The player's aim seen as a facing (-1 left, +1 right) and an elevation above the
// horizontal in that facing, which is what the aim keys change: up raises the elevation
// by PI/100 per step, down lowers it, each within +-PI/3.
namespace aim_frame {

constexpr double kStep = PI / 100;
constexpr double kLimit = PI / 3;

inline int facing(float aim) { return std::cos(aim) < 0.0f ? -1 : 1; }

inline double elevation(float aim) { return facing(aim) < 0 ? PI - aim : aim; }

// The world angle of an elevation in a facing.
inline double angle(int face, double elevation) { return face < 0 ? PI - elevation : elevation; }

}  // namespace aim_frame

#endif
