#ifndef VORLIN_AMMUNITION_PROJECTILE_H
#define VORLIN_AMMUNITION_PROJECTILE_H

// Helpers shared by the projectile sources only. The projectile classes derive straight
// from Particle; what they have in common lives here as free functions and templates.

#include <allegro.h>

#include <cmath>

#include "ammunition/ammunition.h"
#include "base/det_math.h"
#include "base/hasher.h"
#include "collision/clgo.h"
#include "particle/sound_events.h"
#include "level/level.h"
#include "particle/direction.h"
#include "particle/destroyable.h"
#include "player/player.h"
#include "player/player_stats.h"

namespace Ammunition {
namespace detail {

// Angle in radians counter-clockwise as seen on screen, speed in pixels per second.
inline void launch(Particle& p, double angle, double speed) {
    const Direction<double> d = direction(angle);
    p.vx = static_cast<float>(d.x * speed);
    p.vy = static_cast<float>(d.y * speed);
}

// Distance between the centres, from the float positions.
inline double centre_distance(const Particle& a, const Particle& b) {
    const double dx = static_cast<double>(a.x) - b.x;
    const double dy = static_cast<double>(a.y) - b.y;
    return std::sqrt(dx * dx + dy * dy);
}

// A blow dealt by `source`, fired from `weapon`, on behalf of `owner`; the blow that
// destroys the target is the owner's kill, even when the target is the owner himself.
inline void strike(Destroyable& target, Particle* source, Player* owner, int amount,
                   ShotWeapon weapon) {
    const float before = target.health;
    const bool destroyed = target.Damage(source, static_cast<float>(amount));
    if (destroyed && owner) ++owner->kills;
    count_blow(owner, target, before, destroyed, weapon);
}

// The player credited with a projectile's hits, by number; 0 for none.
inline void digest_owner(Hasher& h, const Player* owner) { h.Int(owner ? owner->number : 0); }

// What the explosive projectiles add to the world's digest after their kind.
template <class T>
void digest_explosive(Hasher& h, const T& p, const char* kind) {
    p.Particle::Digest(h);
    h.Text(kind);
    digest_owner(h, p.owner);
    h.Int(p.stage);
    h.Double(p.stage_time);
    h.Bool(p.burst);
    h.Double(p.explosion_age);
}

// Rocket, flak shell and splinter: flying until a contact, then exploding in place.
// The blast comes in the first update past 0.25 s of explosion, the removal in the
// first one past 0.5 s.
constexpr double BLAST_TIME = 0.25;
constexpr double EXPLOSION_TIME = 0.5;
// A contact during the explosion restarts its clock and lengthens it (a shell's own
// splinters do so as they leave). A contact that lasts, such as a pickup lying inside the
// circle of a shell earlier in the table, would restart it every step; the explosion's
// age since it first began bounds both the blast and the end.
constexpr double LONGEST_EXPLOSION = 1.0;

template <class T>
void start_explosion(T& p) {
    if (p.stage != STAGE_EXPLODING) p.explosion_age = 0.0;
    p.stage = STAGE_EXPLODING;
    p.stage_time = 0.0;
    p.control = PC_None;
    p.vx = 0.0f;
    p.vy = 0.0f;
}

// Marks the blast as done, digs its crater and makes it heard; the collision circle
// grows to the blast radius so that the rocket's damage pass finds everything it reaches.
template <class T>
void open_blast(T& p, int radius, SoundKind sound) {
    p.burst = true;
    const int bx = static_cast<int>(p.x);
    const int by = static_cast<int>(p.y);
    clgo_set_circle(p.bound, bx, by, static_cast<float>(radius));
    p.level->Dig(bx, by, radius);
    emit_sound(p.game, sound, p.x, p.y);
}

// lift: the upward acceleration felt in flight (pixels per second squared). blast: the
// effect applied once; the update reports the crater it dug.
template <class T, class Blast>
bool explosive_update(T& p, double dt, double lift, Blast blast) {
    p.Particle::Update(dt);
    p.stage_time += dt;
    switch (p.stage) {
    case STAGE_FLYING:
        if (lift != 0.0) p.vy = static_cast<float>(p.vy - lift * dt);
        return false;
    case STAGE_EXPLODING:
        p.explosion_age += dt;
        if (p.stage_time > EXPLOSION_TIME || p.explosion_age > LONGEST_EXPLOSION) {
            p.dead = true;
            return false;
        }
        if ((p.stage_time > BLAST_TIME || p.explosion_age > BLAST_TIME) && !p.burst) {
            blast();
            return true;
        }
        return false;
    default:
        return false;
    }
}

// Green in flight; while exploding a red disc that swells to `blast_radius` at 0.25 s and
// shrinks back by 0.5 s.
template <class T>
void draw_explosive(const T& p, BITMAP* target, int originX, int originY, int flight_radius,
                    int blast_radius) {
    const int sx = static_cast<int>(p.x) - originX;
    const int sy = static_cast<int>(p.y) - originY;
    if (p.stage == STAGE_FLYING) {
        circlefill(target, sx, sy, flight_radius, makecol(0, 255, 0));
    } else if (p.stage == STAGE_EXPLODING) {
        const int r = static_cast<int>(det_sin(p.stage_time * (2 * PI)) * blast_radius);
        if (r >= 0) circlefill(target, sx, sy, r, makecol(255, 0, 0));
    }
}

}  // namespace detail
}  // namespace Ammunition

#endif
