#include "input/scripted_input.h"

#include <utility>

ScriptedInput::ScriptedInput(std::vector<int> script)
    : script_([bits = std::move(script)](std::size_t step) {
          return step < bits.size() ? bits[step] : 0;
      }) {}

ScriptedInput::ScriptedInput(std::function<int(std::size_t step)> script)
    : script_(std::move(script)) {}

int ScriptedInput::Handle(Player& player, Game&, WeaponSlot& next_weapon) {
    const int bits = script_ ? script_(step_) : 0;
    ++step_;
    if (bits & ACT_WEAPON) next_weapon = next_weapon_of(player);
    return bits;
}
