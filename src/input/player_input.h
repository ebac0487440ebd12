#ifndef VORLIN_INPUT_PLAYER_INPUT_H
#define VORLIN_INPUT_PLAYER_INPUT_H

#include "input/input_handler.h"

// Polls Allegro's live `key` array for the eight keys bound to one player. Scan codes are
// range-checked when read from the configuration; 0 is never down.
class PlayerInput : public InputHandler {
public:
    int up, down, left, right, jump, fire, dig, weapon;
    int weapon_latch;  // == weapon while that key is held after a switch, else 0

    PlayerInput(int up, int down, int left, int right, int jump, int fire, int dig, int weapon);
    int Handle(Player& player, Game& game, WeaponSlot& next_weapon) override;
};

#endif
