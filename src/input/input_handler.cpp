#include "input/input_handler.h"

#include <iterator>

WeaponSlot next_weapon_of(Player& player) {
    WeaponList& list = player.weapons;
    // Without a current weapon there is no "after": start again at the first one (or stay
    // at none when the list is empty).
    if (player.current_weapon == list.end()) return list.begin();
    WeaponSlot next = std::next(player.current_weapon);
    return next == list.end() ? list.begin() : next;
}
