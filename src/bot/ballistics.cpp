#include "bot/ballistics.h"

#include <cmath>

#include "bot/mask_view.h"
#include "inventory/weapon.h"
#include "particle/particle.h"

namespace {

// Lift of the small shots and of the rocket in flight, against gravity.
constexpr double kShotLift = 210.0;
constexpr double kRocketLift = 180.0;
// A trace gives up after this long: no shot the bot would take flies longer.
constexpr double kLongestTrace = 2.0;
// Pixels between two tested points of a trace.
constexpr double kTraceStep = 2.0;

// The small shots' muzzle (pixels from the player's centre), their flight in one step at
// their slowest and fastest launch speed (600 to 800 px/s at 60 steps a second), and the
// distance within which it counts on a hit: it touches a player of radius 10 at 12.
constexpr double kMuzzle = 15.0;
constexpr double kSlowestStep = 600.0 / 60.0;
constexpr double kFastestStep = 800.0 / 60.0;
constexpr double kContact = 10.0;

}  // namespace

WeaponKind kind_of(const Inventory::Weapon* weapon) {
    if (dynamic_cast<const Inventory::Pistol*>(weapon)) return WeaponKind::Pistol;
    if (dynamic_cast<const Inventory::Shotgun*>(weapon)) return WeaponKind::Shotgun;
    if (dynamic_cast<const Inventory::RocketLauncher*>(weapon)) return WeaponKind::Rockets;
    if (dynamic_cast<const Inventory::FlakCannon*>(weapon)) return WeaponKind::Flak;
    if (dynamic_cast<const Inventory::DirtCannon*>(weapon)) return WeaponKind::Dirt;
    return WeaponKind::Unknown;
}

Flight flight_of(WeaponKind kind) {
    switch (kind) {
    case WeaponKind::Pistol:
        return {700.0, GRAVITY - kShotLift, PI / 24, 0.0, 2.0};
    case WeaponKind::Shotgun:
        return {700.0, GRAVITY - kShotLift, PI / 48, 0.0, 2.0};
    case WeaponKind::Rockets:
        return {400.0, GRAVITY - kRocketLift, 0.0, 30.0, 0.0};
    case WeaponKind::Flak:
        // The shell's splinters fly up to 600 px/s for up to 2 s: keep well away.
        return {400.0, GRAVITY, 0.0, 60.0, 0.0};
    default:
        return {400.0, GRAVITY, PI / 6, 0.0, 0.0};
    }
}

bool solve_elevation(double speed, double gravity, double dx, double dy, double* elevation,
                     double* time) {
    const double x = std::fabs(dx);
    const double h = -dy;
    if (x < 1e-3) {
        *elevation = h >= 0 ? PI / 2 : -PI / 2;
        *time = std::fabs(h) / speed;
        return true;
    }
    if (gravity < 1e-6) {
        *elevation = std::atan2(h, x);
    } else {
        const double v2 = speed * speed;
        const double disc = v2 * v2 - gravity * (gravity * x * x + 2.0 * h * v2);
        if (disc < 0) return false;
        *elevation = std::atan((v2 - std::sqrt(disc)) / (gravity * x));
    }
    *time = x / (speed * std::cos(*elevation));
    return true;
}

ShotTrace trace_shot(const MaskView& mask, const Flight& flight, float x, float y, double angle,
                     float tx, float ty, float radius) {
    double px = x, py = y;
    const double vx = std::cos(angle) * flight.speed;
    double vy = -std::sin(angle) * flight.speed;
    const double dt = kTraceStep / flight.speed;
    const double r2 = static_cast<double>(radius) * radius;
    const double life = flight.life > 0 ? flight.life : kLongestTrace;
    for (double t = 0; t < life; t += dt) {
        const double ddx = px - tx, ddy = py - ty;
        if (ddx * ddx + ddy * ddy <= r2)
            return {true, static_cast<float>(px), static_cast<float>(py)};
        if (mask.Solid(static_cast<int>(px), static_cast<int>(py)))
            return {false, static_cast<float>(px), static_cast<float>(py)};
        // Beyond the target sideways: the horizontal speed never turns.
        if (vx > 0 ? px > tx + radius : px < tx - radius) break;
        px += vx * dt;
        py += vy * dt;
        vy += flight.gravity * dt;
        if (py > mask.height() + 50) break;
    }
    return {false, static_cast<float>(px), static_cast<float>(py)};
}

bool small_shot_meets(const MaskView& mask, float x, float y, double angle, float tx, float ty,
                      double reach, bool at_every_speed) {
    const double cx = std::cos(angle), cy = -std::sin(angle);
    int hits = 0;
    for (const double step : {kSlowestStep, kFastestStep}) {
        bool hit = false;
        for (double along = kMuzzle + step; along <= kMuzzle + reach && !hit; along += step) {
            const double px = x + along * cx, py = y + along * cy;
            if (mask.Solid(static_cast<int>(px), static_cast<int>(py))) break;
            hit = std::hypot(px - tx, py - ty) < kContact;
        }
        hits += hit;
    }
    return at_every_speed ? hits == 2 : hits > 0;
}
