#ifndef VORLIN_INPUT_PAD_INPUT_H
#define VORLIN_INPUT_PAD_INPUT_H

#include <iosfwd>
#include <memory>

#include "input/input_handler.h"

// Buttons a reading can hold (bits of PadState::buttons); the joystick driver's limit too.
constexpr int PAD_MAX_BUTTONS = 32;

// One reading of a gamepad.
struct PadState {
    bool answering = true;  // false once the device has gone (unplugged, closed)
    int x = 0, y = 0;       // first stick: -128 (left, up) to 128 (right, down), 0 at rest
    unsigned buttons = 0;   // bit b set while button b is held
};

constexpr int NO_BUTTON = -1;

// What a player's pad is used for, after checking the settings against the pad itself:
// button numbers (NO_BUTTON: unbound) and whether the stick walks and aims.
struct PadBinding {
    int jump = NO_BUTTON, fire = NO_BUTTON, dig = NO_BUTTON, weapon = NO_BUTTON;
    int rope = NO_BUTTON;  // ACT_ROPE once per press
    bool walk = false;  // the stick has an x axis
    bool aim = false;   // ... and a y axis
};

// Stick positions at most this far from the centre (of 128) count as resting: a worn
// stick never comes back exactly to 0.
constexpr int PAD_DEAD_ZONE = 40;

// The action bits of one reading. ACT_WEAPON means "switch now": it comes once per press,
// `weapon_held` carrying the press from one reading to the next.
int pad_bits(const PadState& state, const PadBinding& binding, bool& weapon_held);

// Where the readings come from: the joystick driver in the game, a script in the tests.
class PadReader {
public:
    virtual ~PadReader() = default;
    virtual PadState Read() = 0;
};

// Turns one gamepad into a player's action bits. A pad that stops answering leaves all
// its actions unbound for the rest of the game, said once on the console.
class PadInput final : public InputHandler {
public:
    // player and pad are only for the line said on `console`, which outlives the handler.
    PadInput(int player, int pad, const PadBinding& binding, std::unique_ptr<PadReader> reader,
             std::ostream& console);
    PadInput(const PadInput&) = delete;
    PadInput& operator=(const PadInput&) = delete;

    int Handle(Player& player, Game& game, WeaponSlot& next_weapon) override;

    bool lost() const { return lost_; }

private:
    const int player_, pad_;
    const PadBinding binding_;
    const std::unique_ptr<PadReader> reader_;
    std::ostream& console_;
    bool weapon_held_ = false;
    bool rope_held_ = false;
    bool lost_ = false;
};

#endif
