#include "input/controls.h"

#include <allegro.h>
#include <allegro/internal/aintern.h>

#include "base/config.h"

const char* const PLAYER_ACTIONS[8] = {"up", "down", "left", "right", "jump", "fire", "dig", "weapon"};

namespace {

struct DefaultBinding {
    const char* name;
    int scancode;
};

// Player 1 on the left of the keyboard, player 2 on the arrows and the keypad.
const DefaultBinding DEFAULT_BINDINGS[17] = {
    {"player[1].up", KEY_W},           {"player[1].down", KEY_S},
    {"player[1].left", KEY_A},         {"player[1].right", KEY_D},
    {"player[1].jump", KEY_SPACE},     {"player[1].fire", KEY_ALT},
    {"player[1].dig", KEY_LCONTROL},   {"player[1].weapon", KEY_TAB},
    {"player[2].up", KEY_UP},          {"player[2].down", KEY_DOWN},
    {"player[2].left", KEY_LEFT},      {"player[2].right", KEY_RIGHT},
    {"player[2].jump", KEY_4_PAD},     {"player[2].fire", KEY_0_PAD},
    {"player[2].dig", KEY_7_PAD},      {"player[2].weapon", KEY_SLASH_PAD},
    {"console", KEY_TILDE},
};

}  // namespace

void write_default_controls() {
    for (const DefaultBinding& binding : DEFAULT_BINDINGS)
        set_config_int("controls", binding.name, binding.scancode);
}

int default_rope_key(int number) {
    // E beside W and D; keypad 1 between the keypad's 4 and 0.
    static const int keys[] = {KEY_E, KEY_1_PAD};
    return number >= 1 && number <= 2 ? keys[number - 1] : 0;
}

std::string player_binding_name(int number, const char* action) {
    return "player[" + std::to_string(number) + "]." + action;
}

int read_binding(const char* name, int def) {
    // The value indexes `key`: only codes inside that array are bindings.
    return config_int("controls", name, def, 0, KEY_MAX - 1);
}

std::string key_name(int scancode) {
    if (scancode < 0 || scancode >= KEY_MAX) return "scan code " + std::to_string(scancode);
    const char* name = nullptr;
    // The driver's own names match the keyboard layout; without a driver (or when it has
    // no name) the library's generic names still say which key is meant.
    if (keyboard_driver) name = scancode_to_name(scancode);
    if (!name || !*name) name = _keyboard_common_names[scancode];
    if (!name || !*name) return "scan code " + std::to_string(scancode);
    return name;
}
