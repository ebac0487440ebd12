#ifndef VORLIN_INPUT_SCRIPTED_INPUT_H
#define VORLIN_INPUT_SCRIPTED_INPUT_H

#include <cstddef>
#include <functional>
#include <vector>

#include "input/input_handler.h"

// Replays action bits from a script, one entry per logic step (then no bits). With a
// fixed random seed this replays a whole game, which is how fights are tested and
// measured. ACT_WEAPON switches to the next weapon, as the keyboard's weapon key does.
class ScriptedInput : public InputHandler {
public:
    explicit ScriptedInput(std::vector<int> script);
    // Bits computed from the step number, for long or endless scripts.
    explicit ScriptedInput(std::function<int(std::size_t step)> script);

    int Handle(Player& player, Game& game, WeaponSlot& next_weapon) override;

    std::size_t steps() const { return step_; }

private:
    std::function<int(std::size_t)> script_;
    std::size_t step_ = 0;
};

#endif
