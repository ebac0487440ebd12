#include "inventory/weapon.h"

#include "ammunition/ammunition.h"
#include "game/game.h"
#include "game/random.h"

namespace Inventory {

namespace {

// Spreads: the whole width of the cone in radians; each projectile gets
// angle + (u - 0.5) * spread with a fresh u.
constexpr double PISTOL_SPREAD = PI / 12;
constexpr double SHOTGUN_SPREAD = PI / 24;
constexpr double DIRT_SPREAD = PI / 3;

// One round: `count` projectiles from the same muzzle point, each handed to the world
// as soon as it exists. The spread's draw comes before the projectile's own (its
// speed), so a seeded game replays the same shots.
template <class Projectile>
bool fire_round(Weapon& weapon, float x, float y, float angle, int count, double spread) {
    if (weapon.ammo <= 0) return false;
    --weapon.ammo;
    for (int i = 0; i < count; ++i) {
        float a = angle;
        if (spread != 0.0) a = static_cast<float>(angle + (rand01() - 0.5) * spread);
        Particle* shot = new Projectile(weapon.owner, weapon.game, weapon.level, x, y, a);
        if (weapon.game)
            weapon.game->AddParticle(shot);
        else
            delete shot;  // no world to fly in
    }
    return true;
}

}  // namespace

Pistol::Pistol(Game* game, Level* level) : Weapon(game, level, 1.0, 50, 100) {}

void Pistol::Draw(BITMAP* target, int originX, int originY) const {
    DrawLetter(target, originX, originY, "P");
}

bool Pistol::Fire(float x, float y, float angle) {
    return fire_round<Ammunition::PistolShot>(*this, x, y, angle, 1, PISTOL_SPREAD);
}

Shotgun::Shotgun(Game* game, Level* level) : Weapon(game, level, 1.0, 20, 40) {}

void Shotgun::Draw(BITMAP* target, int originX, int originY) const {
    DrawLetter(target, originX, originY, "S");
}

bool Shotgun::Fire(float x, float y, float angle) {
    return fire_round<Ammunition::BirdShot>(*this, x, y, angle, 12, SHOTGUN_SPREAD);
}

RocketLauncher::RocketLauncher(Game* game, Level* level) : Weapon(game, level, 1.0, 10, 30) {}

void RocketLauncher::Draw(BITMAP* target, int originX, int originY) const {
    DrawLetter(target, originX, originY, "L");
}

bool RocketLauncher::Fire(float x, float y, float angle) {
    return fire_round<Ammunition::Rocket>(*this, x, y, angle, 1, 0.0);
}

FlakCannon::FlakCannon(Game* game, Level* level) : Weapon(game, level, 1.0, 10, 30) {}

void FlakCannon::Draw(BITMAP* target, int originX, int originY) const {
    DrawLetter(target, originX, originY, "F");
}

bool FlakCannon::Fire(float x, float y, float angle) {
    return fire_round<Ammunition::Flak>(*this, x, y, angle, 1, 0.0);
}

DirtCannon::DirtCannon(Game* game, Level* level) : Weapon(game, level, 0.05, 500, 1000) {}

void DirtCannon::Draw(BITMAP* target, int originX, int originY) const {
    DrawLetter(target, originX, originY, "D");
}

bool DirtCannon::Fire(float x, float y, float angle) {
    return fire_round<Ammunition::Dirt>(*this, x, y, angle, 1, DIRT_SPREAD);
}

}  // namespace Inventory
