#ifndef VORLIN_INPUT_INPUT_HANDLER_H
#define VORLIN_INPUT_INPUT_HANDLER_H

#include "player/player.h"

class Game;

// Action bits returned by InputHandler::Handle.
enum {
    ACT_LEFT = 0x01,
    ACT_RIGHT = 0x02,
    ACT_UP = 0x04,
    ACT_DOWN = 0x08,
    ACT_FIRE = 0x10,
    ACT_JUMP = 0x20,
    ACT_DIG = 0x40,
    ACT_WEAPON = 0x80,  // next_weapon holds the weapon to switch to
    // Once per press of the rope key. Beyond the eight bits the formats carry: the step
    // record holds it apart (PlayerActions::rope), and only in a game with the rope rule.
    ACT_ROPE = 0x100,
};

// Turns some input source into action bits for one player, once per logic step.
class InputHandler {
public:
    virtual ~InputHandler() = default;
    // next_weapon is written only when ACT_WEAPON is returned; the caller sets it to
    // the player's weapons.end() before the call.
    virtual int Handle(Player& player, Game& game, WeaponSlot& next_weapon) = 0;
};

// The weapon after the current one, wrapping from the last to the first.
WeaponSlot next_weapon_of(Player& player);

#endif
