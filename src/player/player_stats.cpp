#include "player/player_stats.h"

#include "base/hasher.h"
#include "player/player.h"

ShotWeapon PlayerStats::BestWeapon() const {
    ShotWeapon best = SW_Count;
    double most = 0;
    for (int w = 0; w < SW_Count; ++w) {
        if (weapon_damage[w] > most) {
            most = weapon_damage[w];
            best = static_cast<ShotWeapon>(w);
        }
    }
    return best;
}

void PlayerStats::EndLife() {
    longest_life = LongestLife();
    life = 0;
}

void PlayerStats::Digest(Hasher& h) const {
    h.Int(shots);
    h.Int(hits);
    h.Int(suicides);
    h.Double(dealt);
    h.Double(taken);
    for (double d : weapon_damage) h.Double(d);
    h.Double(life);
    h.Double(longest_life);
}

const char* shot_weapon_name(ShotWeapon weapon) {
    static const char* const names[SW_Count] = {"Pistol", "Shotgun", "Rockets", "Flak", "Dirt"};
    return weapon >= 0 && weapon < SW_Count ? names[weapon] : "-";
}

void count_blow(Player* owner, Destroyable& target, float health_before, bool destroyed,
                ShotWeapon weapon) {
    auto* victim = dynamic_cast<Player*>(&target);
    if (!victim || !(health_before > 0.0f)) return;
    // Health never goes below zero: a blow beyond what was left takes only what was left.
    const double lost = static_cast<double>(health_before) - victim->health;
    if (!(lost > 0)) return;
    victim->stats.taken += lost;
    if (!owner) return;
    if (owner == victim) {
        if (destroyed) ++victim->stats.suicides;
        return;
    }
    ++owner->stats.hits;
    owner->stats.dealt += lost;
    if (weapon >= 0 && weapon < SW_Count) owner->stats.weapon_damage[weapon] += lost;
}
