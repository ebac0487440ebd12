#ifndef VORLIN_INPUT_PLAYER_INPUT_H
#define VORLIN_INPUT_PLAYER_INPUT_H

#include "input/input_handler.h"

// Polls Allegro's live `key` array for the eight keys bound to one player. Scan codes are
// range-checked when read from the configuration; 0 is never down.
class PlayerInput : public InputHandler {
public:
    int up, down, left, right, jump, fire, dig, weapon;
    int weapon_latch;  // == weapon while that key is held after a switch, else 0
    int rope = 0;        // the rope key; pressed, it gives ACT_ROPE once
    int rope_latch = 0;  // == rope while that key is held after a press, else 0

    PlayerInput(int up, int down, int left, int right, int jump, int fire, int dig, int weapon);
    int Handle(Player& player, Game& game, WeaponSlot& next_weapon) override;
};

#endif
