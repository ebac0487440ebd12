#ifndef VORLIN_PLAYER_PLAYER_STATS_H
#define VORLIN_PLAYER_PLAYER_STATS_H

class Hasher;
class Player;
class Destroyable;

// The weapon a blow came from, for the figure of the weapon that did the most damage.
enum ShotWeapon {
    SW_Pistol,
    SW_Shotgun,
    SW_Rockets,
    SW_Flak,
    SW_Dirt,
    SW_Count,
};

// What the world counts of one player in a match, beside the kills and deaths every game
// counts. A kill of oneself stays a kill, as every game credits it; it is a suicide too.
struct PlayerStats {
    int shots = 0;      // rounds fired: a shotgun's pellets are one shot
    int hits = 0;       // blows of the player's projectiles that hurt another player
    int suicides = 0;   // destroyed by one's own projectile
    double dealt = 0;   // health the player's projectiles took from other players
    double taken = 0;   // health lost, never more than there was
    double weapon_damage[SW_Count] = {};  // `dealt`, by weapon
    double life = 0;          // seconds of the current life; 0 while dead
    double longest_life = 0;  // seconds of the longest life that ended

    // The longest life, the current one included.
    double LongestLife() const { return life > longest_life ? life : longest_life; }
    // The weapon with the most damage dealt; SW_Count when none dealt any.
    ShotWeapon BestWeapon() const;
    void EndLife();
    void Digest(Hasher& h) const;
};

// "Pistol", "Shotgun", "Rockets", "Flak", "Dirt"; "-" for SW_Count.
const char* shot_weapon_name(ShotWeapon weapon);

// Counts one blow of `owner`'s projectile (owner may be null) on `target`, whose health was
// `health_before` and who was `destroyed` by it. Only blows on players count.
void count_blow(Player* owner, Destroyable& target, float health_before, bool destroyed,
                ShotWeapon weapon);

#endif
