#ifndef VORLIN_INVENTORY_WEAPON_H
#define VORLIN_INVENTORY_WEAPON_H

#include "particle/particle.h"

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

protected:
    // White letter on black at the pickup's place.
    void DrawLetter(BITMAP* target, int originX, int originY, const char* letter) const;
};

class Pistol : public Weapon {
public:
    Pistol(Game* game, Level* level);
    void Draw(BITMAP* target, int originX, int originY) const override;
    bool Fire(float x, float y, float angle) override;
};

class Shotgun : public Weapon {
public:
    Shotgun(Game* game, Level* level);
    void Draw(BITMAP* target, int originX, int originY) const override;
    bool Fire(float x, float y, float angle) override;
};

class RocketLauncher : public Weapon {
public:
    RocketLauncher(Game* game, Level* level);
    void Draw(BITMAP* target, int originX, int originY) const override;
    bool Fire(float x, float y, float angle) override;
};

class FlakCannon : public Weapon {
public:
    FlakCannon(Game* game, Level* level);
    void Draw(BITMAP* target, int originX, int originY) const override;
    bool Fire(float x, float y, float angle) override;
};

class DirtCannon : public Weapon {
public:
    DirtCannon(Game* game, Level* level);
    void Draw(BITMAP* target, int originX, int originY) const override;
    bool Fire(float x, float y, float angle) override;
};

}  // namespace Inventory

// Display name by exact type: "Pistol", "Shotgun", "Rockets", "Flak", "Dirt", "Unknown".
const char* weapon_name(const Inventory::Weapon* weapon);

// One of the five kinds, each with probability 1/5; owned by the caller.
Inventory::Weapon* random_weapon(Game* game, Level* level);

#endif
