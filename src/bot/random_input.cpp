#include "bot/random_input.h"

RandomInput::RandomInput(std::uint64_t seed) : rng_(seed) {}

int RandomInput::Handle(Player& player, Game&, WeaponSlot& next_weapon) {
    if (hold_-- <= 0) {
        // A new handful of keys every 0.15 to 0.5 s.
        hold_ = 9 + rng_.Below(21);
        const int walk[] = {0, ACT_LEFT, ACT_RIGHT};
        const int aim[] = {0, ACT_UP, ACT_DOWN};
        bits_ = walk[rng_.Below(3)] | aim[rng_.Below(3)];
        if (rng_.Chance(0.5)) bits_ |= ACT_FIRE;
        if (rng_.Chance(0.2)) bits_ |= ACT_JUMP;
        if (rng_.Chance(0.2)) bits_ |= ACT_DIG;
        // The weapon key is pressed for one step only, so it switches once.
        if (rng_.Chance(0.1)) {
            next_weapon = next_weapon_of(player);
            return bits_ | ACT_WEAPON;
        }
    }
    return bits_;
}
