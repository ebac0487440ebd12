#ifndef VORLIN_INPUT_PAD_SETUP_H
#define VORLIN_INPUT_PAD_SETUP_H

#include <iosfwd>
#include <memory>
#include <optional>

#include "input/allegro_pad.h"
#include "input/input_handler.h"
#include "input/pad_input.h"
#include "input/player_input.h"

// A player's pad settings from section "controls": "player[N].pad" (-1 for none, the
// default; 0 or 1) and the buttons "player[N].pad_jump", "pad_fire", "pad_dig",
// "pad_weapon", "pad_rope" (0 to 31). Anything else reads as the default.
struct PadSettings {
    int pad = -1;
    int jump = 0, fire = 1, dig = 2, weapon = 3;
    int rope = 4;
};

PadSettings read_pad_settings(int player);

// The settings checked against the pad: nothing when the pad cannot be used at all, else
// what it is used for. Writes the pad's start-up line and one line per fault (an action
// the pad has no button or axis for is unbound); the rope button, of a rule that is
// mostly off, is bound when the pad has it and named only by the game's rope line.
std::optional<PadBinding> bind_pad(int player, const PadSettings& settings, const PadCaps& caps,
                                   std::ostream& console);

// The handler of a player: its keyboard alone without a usable pad (exactly as without
// any pad setting), else the keyboard and the pad together.
// console_open and console belong to the game and outlive the handler.
std::unique_ptr<InputHandler> with_configured_pad(int player, std::unique_ptr<PlayerInput> keyboard,
                                                  std::ostream& console, const bool& console_open);

#endif
