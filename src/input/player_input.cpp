#include "input/player_input.h"

#include <allegro.h>

namespace {

// A binding outside the key table (0 for a key missing from the configuration) is never
// down, and is never used as an index.
bool is_down(int code) { return code > 0 && code < KEY_MAX && key[code]; }

}  // namespace

PlayerInput::PlayerInput(int up, int down, int left, int right, int jump, int fire, int dig,
                         int weapon)
    : up(up),
      down(down),
      left(left),
      right(right),
      jump(jump),
      fire(fire),
      dig(dig),
      weapon(weapon),
      weapon_latch(0) {}

int PlayerInput::Handle(Player& player, Game&, WeaponSlot& next_weapon) {
    int bits = 0;

    // One switch per press: the latch holds until a step sees the key up.
    if (!is_down(weapon)) {
        weapon_latch = 0;
    } else if (weapon_latch != weapon) {
        weapon_latch = weapon;
        next_weapon = next_weapon_of(player);
        bits = ACT_WEAPON;
    }

    if (is_down(left))
        bits |= ACT_LEFT;
    else if (is_down(right))
        bits |= ACT_RIGHT;

    if (is_down(up))
        bits |= ACT_UP;
    else if (is_down(down))
        bits |= ACT_DOWN;

    if (is_down(jump)) bits |= ACT_JUMP;
    if (is_down(fire)) bits |= ACT_FIRE;
    if (is_down(dig)) bits |= ACT_DIG;
    return bits;
}
