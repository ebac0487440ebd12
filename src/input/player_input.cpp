#include "input/player_input.h"

#include <allegro.h>

namespace {

// A binding outside the key table (0 for a key missing from the configuration) is never
// down, and is never used as an index.
bool is_down(int code) { return code > 0 && code < KEY_MAX && key[code]; }

// True once per press of `code`: the latch holds the code until a step sees the key up.
bool pressed(int code, int& latch) {
    if (!is_down(code)) {
        latch = 0;
        return false;
    }
    if (latch == code) return false;
    latch = code;
    return true;
}

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

    if (pressed(weapon, weapon_latch)) {
        next_weapon = next_weapon_of(player);
        bits = ACT_WEAPON;
    }
    if (pressed(rope, rope_latch)) bits |= ACT_ROPE;

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
