#ifndef VORLIN_INVENTORY_WEAPON_H
#define VORLIN_INVENTORY_WEAPON_H

#include <typeinfo>

#include "particle/particle.h"
#include "particle/sound_events.h"

class Player;

namespace Inventory {

// A weapon lies in the level as a pickup (in the particle table, owner null) until a
// player takes it; then it leaves the table and belongs to that player.
class Weapon : public Particle {
public:
    Player* owner;       // not owned; null while lying in the level
    double reload_time;  // seconds; given to cooldown at each shot
    double cooldown;     // seconds until it may fire; counted down by the holder
    int max_ammo;        // limit when ammunition is merged
    int ammo;

    Weapon(Game* game, Level* level, double reload_time, int ammo, int max_ammo);

    virtual void SetOwner(Player* player);
    virtual void Merge(Weapon* other);
    // Muzzle point in level pixels, angle in radians; true when a round was used.
    virtual bool Fire(float x, float y, float angle) = 0;
    // What a round of this weapon sounds like; SK_Count for silence.
    virtual SoundKind ShotSound() const { return SK_Count; }
    // Its kind by name, its ammunition, its timers and who holds it.
    void Digest(Hasher& h) const override;
};

struct WeaponKind;

// The five kinds are one weapon with different numbers: each kind is a row of one table
// (weapons.cpp), found by the kind's exact type when it is created.
class StockWeapon : public Weapon {
public:
    // White letter on black at the pickup's place.
    void Draw(BITMAP* target, int originX, int originY) const override;
    // One round (false without ammunition): the kind's projectiles from the muzzle point.
    bool Fire(float x, float y, float angle) override;
    SoundKind ShotSound() const override;

protected:
    StockWeapon(Game* game, Level* level, const std::type_info& type);

private:
    const WeaponKind& kind;

    StockWeapon(Game* game, Level* level, const WeaponKind& kind);
};

class Pistol final : public StockWeapon {
public:
    Pistol(Game* game, Level* level) : StockWeapon(game, level, typeid(Pistol)) {}
    Particle* Clone() const override { return new Pistol(*this); }
};

class Shotgun final : public StockWeapon {
public:
    Shotgun(Game* game, Level* level) : StockWeapon(game, level, typeid(Shotgun)) {}
    Particle* Clone() const override { return new Shotgun(*this); }
};

class RocketLauncher final : public StockWeapon {
public:
    RocketLauncher(Game* game, Level* level) : StockWeapon(game, level, typeid(RocketLauncher)) {}
    Particle* Clone() const override { return new RocketLauncher(*this); }
};

class FlakCannon final : public StockWeapon {
public:
    FlakCannon(Game* game, Level* level) : StockWeapon(game, level, typeid(FlakCannon)) {}
    Particle* Clone() const override { return new FlakCannon(*this); }
};

class DirtCannon final : public StockWeapon {
public:
    DirtCannon(Game* game, Level* level) : StockWeapon(game, level, typeid(DirtCannon)) {}
    Particle* Clone() const override { return new DirtCannon(*this); }
};

}  // namespace Inventory

// Display name by exact type: "Pistol", "Shotgun", "Rockets", "Flak", "Dirt"; "Unknown"
// for any type without a row in the table.
const char* weapon_name(const Inventory::Weapon* weapon);

// One kind of the table, each with the same probability (1/5 for the five); owned by the
// caller.
Inventory::Weapon* random_weapon(Game* game, Level* level);

#endif
