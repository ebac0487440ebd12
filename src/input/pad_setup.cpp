#include "input/pad_setup.h"

#include <ostream>
#include <string>
#include <utility>

#include "input/keyboard_and_pad.h"
#include "base/config.h"
#include "input/controls.h"

namespace {

constexpr int LAST_PAD = 1;
constexpr int LAST_BUTTON = PAD_MAX_BUTTONS - 1;

int pad_setting(int player, const char* name, int def, int lo, int hi) {
    return config_int("controls", player_binding_name(player, name).c_str(), def, lo, hi);
}

struct ButtonUse {
    const char* action;
    int PadBinding::*bound;
    int PadSettings::*wanted;
};

const ButtonUse BUTTON_USES[] = {
    {"jump", &PadBinding::jump, &PadSettings::jump},
    {"fire", &PadBinding::fire, &PadSettings::fire},
    {"dig", &PadBinding::dig, &PadSettings::dig},
    {"weapon", &PadBinding::weapon, &PadSettings::weapon},
};

void name_pad(std::ostream& console, int player, const PadSettings& settings, const PadCaps& caps) {
    console << "Player " << player << ": pad " << settings.pad;
    if (!caps.name.empty()) console << " (" << caps.name << ")";
    const char* separator = ": ";
    for (const ButtonUse& use : BUTTON_USES) {
        console << separator << use.action << " button " << settings.*use.wanted;
        separator = ", ";
    }
    console << std::endl;
}

// Buttons beyond the pad's own are unbound; one line names them all.
void bind_buttons(PadBinding& binding, std::ostream& console, int player,
                  const PadSettings& settings, const PadCaps& caps) {
    std::string missing;
    for (const ButtonUse& use : BUTTON_USES) {
        const int button = settings.*use.wanted;
        if (button < caps.buttons)
            binding.*use.bound = button;
        else
            missing += (missing.empty() ? "" : ", ") + std::string(use.action);
    }
    if (!missing.empty())
        console << "Player " << player << ": pad " << settings.pad << " has " << caps.buttons
                << (caps.buttons == 1 ? " button" : " buttons") << ", unbound: " << missing
                << std::endl;
}

void bind_stick(PadBinding& binding, std::ostream& console, int player, const PadSettings& settings,
                const PadCaps& caps) {
    binding.walk = caps.axes >= 1;
    binding.aim = caps.axes >= 2;
    if (binding.aim) return;
    console << "Player " << player << ": pad " << settings.pad
            << (binding.walk ? " has one axis, unbound: aiming"
                             : " has no stick, unbound: walking, aiming")
            << std::endl;
}

}  // namespace

PadSettings read_pad_settings(int player) {
    PadSettings s;
    s.pad = pad_setting(player, "pad", s.pad, -1, LAST_PAD);
    s.jump = pad_setting(player, "pad_jump", s.jump, 0, LAST_BUTTON);
    s.fire = pad_setting(player, "pad_fire", s.fire, 0, LAST_BUTTON);
    s.dig = pad_setting(player, "pad_dig", s.dig, 0, LAST_BUTTON);
    s.weapon = pad_setting(player, "pad_weapon", s.weapon, 0, LAST_BUTTON);
    s.rope = pad_setting(player, "pad_rope", s.rope, 0, LAST_BUTTON);
    return s;
}

std::optional<PadBinding> bind_pad(int player, const PadSettings& settings, const PadCaps& caps,
                                   std::ostream& console) {
    if (settings.pad < 0) return std::nullopt;
    if (!caps.driver) {
        console << "Player " << player << ": no joystick driver, pad " << settings.pad
                << " is not used" << std::endl;
        return std::nullopt;
    }
    if (settings.pad >= caps.pads) {
        console << "Player " << player << ": pad " << settings.pad << " not found (" << caps.pads
                << " connected), it is not used" << std::endl;
        return std::nullopt;
    }
    name_pad(console, player, settings, caps);
    PadBinding binding;
    bind_buttons(binding, console, player, settings, caps);
    if (settings.rope < caps.buttons) binding.rope = settings.rope;
    bind_stick(binding, console, player, settings, caps);
    return binding;
}

std::unique_ptr<InputHandler> with_configured_pad(int player, std::unique_ptr<PlayerInput> keyboard,
                                                  std::ostream& console, const bool& console_open) {
    const PadSettings settings = read_pad_settings(player);
    if (settings.pad < 0) return keyboard;
    const std::optional<PadBinding> binding =
        bind_pad(player, settings, query_pad(settings.pad), console);
    if (!binding) return keyboard;
    auto pad = std::make_unique<PadInput>(player, settings.pad, *binding,
                                          std::make_unique<AllegroPad>(settings.pad), console);
    return std::make_unique<KeyboardAndPad>(std::move(keyboard), std::move(pad), console_open);
}
