#include "input/keyboard_and_pad.h"

#include <utility>

KeyboardAndPad::KeyboardAndPad(std::unique_ptr<PlayerInput> keyboard,
                               std::unique_ptr<InputHandler> pad, const bool& console_open)
    : keyboard_(std::move(keyboard)), pad_(std::move(pad)), console_open_(console_open) {}

int KeyboardAndPad::Handle(Player& player, Game& game, WeaponSlot& next_weapon) {
    // Both ask for the weapon after the current one: a press on each in the same step
    // still switches once.
    const int keys = console_open_ ? 0 : keyboard_->Handle(player, game, next_weapon);
    return keys | pad_->Handle(player, game, next_weapon);
}
