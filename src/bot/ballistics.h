#ifndef VORLIN_BOT_BALLISTICS_H
#define VORLIN_BOT_BALLISTICS_H

class MaskView;

namespace Inventory {
class Weapon;
}

// How a weapon's projectile flies and what it does, as the ammunition's own rules give
// it: speeds in pixels per second, net downward acceleration in pixels per second
// squared (gravity less the projectile's own lift), spread in radians either way.
enum class WeaponKind { Pistol, Shotgun, Rockets, Flak, Dirt, Unknown };

struct Flight {
    double speed;   // mean launch speed
    double gravity;
    double spread;
    double blast;   // radius that hurts whoever stands in it, the shooter too; 0: none
    double life;    // seconds before the projectile vanishes by itself; 0: never
};

WeaponKind kind_of(const Inventory::Weapon* weapon);
Flight flight_of(WeaponKind kind);

// The elevation (radians above the horizontal, towards the target's side) at which a
// projectile of `speed` and `gravity` from the origin passes through (dx, dy), dy
// growing downwards, on the flatter of the two arcs; false when it cannot reach.
// *time is the flight time to the point.
bool solve_elevation(double speed, double gravity, double dx, double dy, double* elevation,
                     double* time);

// A shot followed through the terrain.
struct ShotTrace {
    bool reaches;  // passes within `radius` of the target before any terrain
    float end_x, end_y;  // where it meets terrain, the target, or its life ends
};

// Follows a projectile from (x, y) at world angle `angle` (counter-clockwise, as the
// player's aim) over the mask towards a target at (tx, ty) of the given radius.
ShotTrace trace_shot(const MaskView& mask, const Flight& flight, float x, float y, double angle,
                     float tx, float ty, float radius);

// Whether a pistol shot or pellet fired from a player at (x, y) at world angle `angle`
// meets a player at (tx, ty) within `reach` pixels of the muzzle, at its slowest and at
// its fastest launch speed (at either of them with `at_every_speed` false). A shot is
// tested against players a step's flight beyond the muzzle and then every step, never at
// the muzzle itself, so a player right beside the muzzle may be passed through; terrain
// on the way stops it.
bool small_shot_meets(const MaskView& mask, float x, float y, double angle, float tx, float ty,
                      double reach, bool at_every_speed = true);

#endif
