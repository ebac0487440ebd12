#ifndef VORLIN_BOT_RANDOM_INPUT_H
#define VORLIN_BOT_RANDOM_INPUT_H

#include <cstdint>

#include "bot/bot_random.h"
#include "input/input_handler.h"

// A player pressing random keys and changing them a few times a second: the weakest
// opponent a computer player must beat. Its chances come from its own generator.
class RandomInput final : public InputHandler {
public:
    explicit RandomInput(std::uint64_t seed);
    int Handle(Player& player, Game& game, WeaponSlot& next_weapon) override;

private:
    BotRandom rng_;
    int bits_ = 0;
    int hold_ = 0;  // steps left with the same keys
};

#endif
