#include "inventory/weapon.h"

#include <allegro.h>

#include <typeinfo>

#include "base/hasher.h"
#include "game/random.h"
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

void Weapon::DrawLetter(BITMAP* target, int originX, int originY, const char* letter) const {
    textprintf_ex(target, font, static_cast<int>(x) - originX - 2,
                  static_cast<int>(y) - originY - 8, makecol(255, 255, 255), makecol(0, 0, 0),
                  "%s", letter);
}

}  // namespace Inventory

const char* weapon_name(const Inventory::Weapon* weapon) {
    if (!weapon) return "Unknown";
    const std::type_info& type = typeid(*weapon);
    if (type == typeid(Inventory::Pistol)) return "Pistol";
    if (type == typeid(Inventory::RocketLauncher)) return "Rockets";
    if (type == typeid(Inventory::FlakCannon)) return "Flak";
    if (type == typeid(Inventory::DirtCannon)) return "Dirt";
    if (type == typeid(Inventory::Shotgun)) return "Shotgun";
    return "Unknown";
}

Inventory::Weapon* random_weapon(Game* game, Level* level) {
    // Fifths of [0, 1): u < 0.2 gives k = 0, 0.2 <= u < 0.4 gives k = -1, and so on.
    const double u = rand01();
    const int k = static_cast<int>(-5.0 * u);
    switch (k) {
    case 0:
        return new Inventory::Pistol(game, level);
    case -1:
        return new Inventory::RocketLauncher(game, level);
    case -2:
        return new Inventory::FlakCannon(game, level);
    case -3:
        return new Inventory::DirtCannon(game, level);
    case -4:
        return new Inventory::Shotgun(game, level);
    default:
        return new Inventory::Pistol(game, level);
    }
}
