#include "inventory/weapon.h"

#include "base/hasher.h"
#include "player/player.h"

namespace Inventory {

Weapon::Weapon(Game* game, Level* level, double reload_time, int ammo, int max_ammo)
    : Particle(game, level, PC_Normal, 4.0f, 0.0f, 0.0f),
      owner(nullptr),
      reload_time(reload_time),
      cooldown(0.0),
      max_ammo(max_ammo),
      ammo(ammo) {}

void Weapon::SetOwner(Player* player) {
    owner = player;
    // The table forgets a taken weapon without deleting it: the player owns it now.
    detached = true;
}

void Weapon::Merge(Weapon* other) {
    if (!other) return;
    ammo += other->ammo;
    if (ammo > max_ammo) ammo = max_ammo;
}

void Weapon::Digest(Hasher& h) const {
    Particle::Digest(h);
    h.Text(weapon_name(this));
    h.Double(reload_time);
    h.Double(cooldown);
    h.Int(max_ammo);
    h.Int(ammo);
    h.Int(owner ? owner->number : 0);
}

}  // namespace Inventory
