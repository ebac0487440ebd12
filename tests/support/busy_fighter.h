#ifndef VORLIN_TESTS_BUSY_FIGHTER_H
#define VORLIN_TESTS_BUSY_FIGHTER_H

#include <cstddef>

#include "input/input_handler.h"

class Particle;

namespace testsupport {

// A busy fighter at the keyboard: walks up to the other player (or, with an empty weapon,
// to the nearest weapon lying in the level), jumps or digs where a wall stops him, aims at
// the other player, fires in bursts (the fire key changes four times a second), backs
// off now and then and switches weapons every 4 seconds: about ten key changes a second.
// It reads the world like a player looking at the screen and answers with action bits
// only, so that a game it plays records and replays like a game of people.
class BusyFighter final : public InputHandler {
public:
    int Handle(Player& me, Game& game, WeaponSlot& next_weapon) override;

private:
    static const Particle* NearestPickup(const Player& me, const Game& game);

    std::size_t step_ = 0;
    float last_x_ = -1.0f;
    int unstick_ = 0;  // steps left of jumping, then digging
};

}  // namespace testsupport

#endif
