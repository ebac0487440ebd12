#ifndef VORLIN_INPUT_KEYBOARD_AND_PAD_H
#define VORLIN_INPUT_KEYBOARD_AND_PAD_H

#include <memory>

#include "input/input_handler.h"
#include "input/player_input.h"

// A player on the keyboard and a gamepad at once: the bits of both, so that nothing is lost
// when both are used. While the console is open it has the keyboard, and only the pad
// plays; the keyboard's weapon latch then keeps its value, as it does for a player
// without a pad.
class KeyboardAndPad final : public InputHandler {
public:
    // console_open: true while the console holds the keyboard; outlives the handler.
    KeyboardAndPad(std::unique_ptr<PlayerInput> keyboard, std::unique_ptr<InputHandler> pad,
                   const bool& console_open);
    KeyboardAndPad(const KeyboardAndPad&) = delete;
    KeyboardAndPad& operator=(const KeyboardAndPad&) = delete;

    int Handle(Player& player, Game& game, WeaponSlot& next_weapon) override;

    PlayerInput& keyboard() const { return *keyboard_; }
    InputHandler& pad() const { return *pad_; }

private:
    const std::unique_ptr<PlayerInput> keyboard_;
    const std::unique_ptr<InputHandler> pad_;
    const bool& console_open_;
};

#endif
