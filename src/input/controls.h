#ifndef VORLIN_INPUT_CONTROLS_H
#define VORLIN_INPUT_CONTROLS_H

#include <string>

// Key bindings live in section "controls" of "vorlin.ini" as Allegro scan codes.

// The eight actions of a player, in the order their bindings are read and reported.
extern const char* const PLAYER_ACTIONS[8];

// Writes the 17 default bindings (both players and the console key). Called only on a
// first run, when "vorlin.ini" did not exist.
void write_default_controls();

// The rope key of player `number` when "player[N].rope" is absent: one that no default
// binding uses, beside the player's others (0, unbound, for a third player). The first run
// does not write it.
int default_rope_key(int number);

// "player[" + n + "]." + action
std::string player_binding_name(int number, const char* action);

// A binding read from "controls". Anything that is not a scan code of the keyboard
// (text, negative, KEY_MAX or above) reads as `def`, so it can never index `key`.
int read_binding(const char* name, int def);

// scancode_to_name that is safe for any value and without a keyboard driver.
std::string key_name(int scancode);

#endif
