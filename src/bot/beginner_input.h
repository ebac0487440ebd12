#ifndef VORLIN_BOT_BEGINNER_INPUT_H
#define VORLIN_BOT_BEGINNER_INPUT_H

#include <cstdint>
#include <deque>

#include "bot/bot_random.h"
#include "input/input_handler.h"

// A new player's crude play, to measure the easy computer player against: it walks
// towards its enemy, aims straight at where it saw the enemy a quarter of a second ago
// (no allowance for a shot's drop, an aim that wobbles), fires once the aim rests on it,
// jumps and then digs when its walk is stopped, and takes the next weapon when the one in
// hand is empty. It knows nothing of paths, pickups or blasts. Its wobble comes from its
// own generator.
class BeginnerInput final : public InputHandler {
public:
    explicit BeginnerInput(std::uint64_t seed);
    int Handle(Player& player, Game& game, WeaponSlot& next_weapon) override;

private:
    struct Seen {
        float x, y;
        bool alive;
    };

    const Seen* Look(const Player& me, Game& game);
    int Approach(const Player& me, const Seen& enemy);
    int AimAndFire(const Player& me, const Seen& enemy);

    BotRandom rng_;
    std::deque<Seen> seen_;  // the enemy over the last reaction time, oldest first
    unsigned long step_ = 0;
    float last_x_ = 0;
    int stopped_ = 0;  // steps the walk has not moved the player
    double wobble_ = 0;  // radians
};

#endif
