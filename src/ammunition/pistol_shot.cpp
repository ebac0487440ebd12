#include "ammunition/ammunition.h"

#include <allegro.h>

#include "ammunition/projectile.h"
#include "base/random.h"

namespace Ammunition {

namespace {

constexpr double SHOT_LIFE = 2.0;  // seconds
// Upward pull on shots and pellets: net fall 270 - 210 = 60 pixels per second squared.
constexpr double SHOT_LIFT = 210.0;

double shot_speed() { return 600.0 + 200.0 * rand01(); }

// The update that a pistol shot and a pellet share.
bool shot_update(Particle& shot, double& age, double dt) {
    shot.Particle::Update(dt);
    age += dt;
    if (age > SHOT_LIFE) shot.dead = true;
    shot.vy = static_cast<float>(shot.vy - SHOT_LIFT * dt);
    return false;
}

// Any contact spends the shot: terrain gets a hole of `hole` pixels, a Destroyable a blow
// of lo .. hi - 1.
void shot_hit(Particle& shot, Player* owner, Particle* other, int hole, int lo, int hi,
              ShotWeapon weapon) {
    shot.dead = true;
    if (!other) {
        shot.level->Dig(static_cast<int>(shot.x), static_cast<int>(shot.y), hole);
        return;
    }
    if (auto* target = dynamic_cast<Destroyable*>(other))
        detail::strike(*target, &shot, owner, rand_range(lo, hi), weapon);
}

}  // namespace

PistolShot::PistolShot(Player* owner, Game* game, Level* level, float x, float y, float angle)
    : Particle(game, level, PC_Normal, 2.0f, x, y), age(0.0), owner(owner) {
    detail::launch(*this, angle, shot_speed());
}

bool PistolShot::Update(double dt) { return shot_update(*this, age, dt); }

void PistolShot::Digest(Hasher& h) const {
    Particle::Digest(h);
    h.Text("PistolShot");
    h.Double(age);
    detail::digest_owner(h, owner);
}

void PistolShot::Draw(BITMAP* target, int originX, int originY) const {
    circlefill(target, static_cast<int>(x) - originX, static_cast<int>(y) - originY, 2,
               makecol(0, 255, 0));
}

void PistolShot::OnCollision(Particle* other) { shot_hit(*this, owner, other, 2, 8, 12, SW_Pistol); }

BirdShot::BirdShot(Player* owner, Game* game, Level* level, float x, float y, float angle)
    : Particle(game, level, PC_Normal, 1.0f, x, y), age(0.0), owner(owner) {
    detail::launch(*this, angle, shot_speed());
}

bool BirdShot::Update(double dt) { return shot_update(*this, age, dt); }

void BirdShot::Digest(Hasher& h) const {
    Particle::Digest(h);
    h.Text("BirdShot");
    h.Double(age);
    detail::digest_owner(h, owner);
}

void BirdShot::Draw(BITMAP* target, int originX, int originY) const {
    putpixel(target, static_cast<int>(x) - originX, static_cast<int>(y) - originY,
             makecol(0, 255, 0));
}

void BirdShot::OnCollision(Particle* other) { shot_hit(*this, owner, other, 1, 2, 5, SW_Shotgun); }

}  // namespace Ammunition
