#include "inventory/weapon.h"

#include <allegro.h>

#include "ammunition/ammunition.h"
#include "base/assertion.h"
#include "base/random.h"
#include "game/game.h"

namespace Inventory {

namespace {

using MakeWeapon = Weapon* (*)(Game* game, Level* level);
using MakeProjectile = Particle* (*)(Player* owner, Game* game, Level* level, float x, float y,
                                     float angle);

template <class Kind>
Weapon* make_weapon(Game* game, Level* level) {
    return new Kind(game, level);
}

template <class Projectile>
Particle* make_projectile(Player* owner, Game* game, Level* level, float x, float y, float angle) {
    return new Projectile(owner, game, level, x, y, angle);
}

}  // namespace

// The numbers of one kind. A spread is the whole width of the cone in radians: each
// projectile gets angle + (u - 0.5) * spread with a fresh u; 0 sends it along the aim
// without a draw.
struct WeaponKind {
    const std::type_info& type;
    MakeWeapon make;
    const char* name;    // weapon_name
    const char* letter;  // drawn on the pickup
    double reload_time;  // seconds
    int ammo;            // rounds at creation
    int max_ammo;
    int pellets;         // projectiles per round
    double spread;
    MakeProjectile projectile;
    SoundKind shot;
};

namespace {

// In the order random_weapon draws them: the first kind for u < 1/n, the next for
// 1/n <= u < 2/n, and so on.
const WeaponKind KINDS[] = {
    {typeid(Pistol), make_weapon<Pistol>, "Pistol", "P", 1.0, 50, 100, 1, PI / 12,
     make_projectile<Ammunition::PistolShot>, SK_PistolShot},
    {typeid(RocketLauncher), make_weapon<RocketLauncher>, "Rockets", "L", 1.0, 10, 30, 1, 0.0,
     make_projectile<Ammunition::Rocket>, SK_RocketLaunch},
    {typeid(FlakCannon), make_weapon<FlakCannon>, "Flak", "F", 1.0, 10, 30, 1, 0.0,
     make_projectile<Ammunition::Flak>, SK_FlakShot},
    {typeid(DirtCannon), make_weapon<DirtCannon>, "Dirt", "D", 0.05, 500, 1000, 1, PI / 3,
     make_projectile<Ammunition::Dirt>, SK_DirtShot},
    {typeid(Shotgun), make_weapon<Shotgun>, "Shotgun", "S", 1.0, 20, 40, 12, PI / 24,
     make_projectile<Ammunition::BirdShot>, SK_ShotgunShot},
};

constexpr int KIND_COUNT = sizeof KINDS / sizeof KINDS[0];

const WeaponKind* find_kind(const std::type_info& type) {
    for (const WeaponKind& kind : KINDS)
        if (kind.type == type) return &kind;
    return nullptr;
}

const WeaponKind& kind_of(const std::type_info& type) {
    const WeaponKind* kind = find_kind(type);
    VORLIN_CHECK(kind, "every stock weapon has a row in the table");
    return *kind;
}

}  // namespace

StockWeapon::StockWeapon(Game* game, Level* level, const std::type_info& type)
    : StockWeapon(game, level, kind_of(type)) {}

StockWeapon::StockWeapon(Game* game, Level* level, const WeaponKind& kind)
    : Weapon(game, level, kind.reload_time, kind.ammo, kind.max_ammo), kind(kind) {}

void StockWeapon::Draw(BITMAP* target, int originX, int originY) const {
    textprintf_ex(target, font, static_cast<int>(x) - originX - 2,
                  static_cast<int>(y) - originY - 8, makecol(255, 255, 255), makecol(0, 0, 0),
                  "%s", kind.letter);
}

bool StockWeapon::Fire(float x, float y, float angle) {
    if (ammo <= 0) return false;
    --ammo;
    // The spread's draw comes before the projectile's own (its speed), so a seeded game
    // replays the same shots.
    for (int i = 0; i < kind.pellets; ++i) {
        float a = angle;
        if (kind.spread != 0.0) a = static_cast<float>(angle + (rand01() - 0.5) * kind.spread);
        Particle* shot = kind.projectile(owner, game, level, x, y, a);
        if (game)
            game->AddParticle(shot);
        else
            delete shot;  // no world to fly in
    }
    return true;
}

SoundKind StockWeapon::ShotSound() const { return kind.shot; }

}  // namespace Inventory

const char* weapon_name(const Inventory::Weapon* weapon) {
    const Inventory::WeaponKind* kind = weapon ? Inventory::find_kind(typeid(*weapon)) : nullptr;
    return kind ? kind->name : "Unknown";
}

Inventory::Weapon* random_weapon(Game* game, Level* level) {
    using Inventory::KINDS;
    using Inventory::KIND_COUNT;
    // k = trunc(-n u), from 0 down to -(n - 1); anything else is the first kind.
    const double u = rand01();
    const int k = static_cast<int>(-double(KIND_COUNT) * u);
    const int row = -k >= 0 && -k < KIND_COUNT ? -k : 0;
    return KINDS[row].make(game, level);
}
