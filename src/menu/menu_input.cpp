#include "menu/menu_input.h"

#include <allegro.h>

#include <string>

#include "input/allegro_pad.h"
#include "input/controls.h"
#include "menu/menu_settings.h"

namespace {

// Frames a direction is held before it repeats, and between repeats.
constexpr int kRepeatAfter = 24;
constexpr int kRepeatEvery = 5;
// Half a stick's travel.
constexpr int kStickPushed = 64;

struct PlayerKey {
    const char* action;
    MenuKey key;
};
const PlayerKey kPlayerKeys[] = {{"up", MenuKey::Up},       {"down", MenuKey::Down},
                                 {"left", MenuKey::Left},   {"right", MenuKey::Right},
                                 {"fire", MenuKey::Accept}};

int index_of(MenuKey k) { return static_cast<int>(k); }

bool repeats(MenuKey k) { return k != MenuKey::Accept && k != MenuKey::Back; }

}  // namespace

void MenuInput::OpenPads(bool always) {
    const bool wanted = settings_.Get("controls", "player[1].pad") >= 0 ||
                        settings_.Get("controls", "player[2].pad") >= 0;
    if (always || wanted) query_pad(0);
}

std::array<bool, 7> MenuInput::Held() const {
    std::array<bool, 7> held{};
    auto on = [&held](MenuKey k) { held[static_cast<std::size_t>(index_of(k))] = true; };
    if (key[KEY_UP]) on(MenuKey::Up);
    if (key[KEY_DOWN]) on(MenuKey::Down);
    if (key[KEY_LEFT]) on(MenuKey::Left);
    if (key[KEY_RIGHT]) on(MenuKey::Right);
    if (key[KEY_ENTER] || key[KEY_ENTER_PAD]) on(MenuKey::Accept);
    if (key[KEY_ESC]) on(MenuKey::Back);
    for (int player = 1; player <= 2; ++player) {
        for (const PlayerKey& k : kPlayerKeys) {
            const int code = settings_.Get("controls", player_binding_name(player, k.action));
            if (code > 0 && code < KEY_MAX && key[code]) on(k.key);
        }
    }
    if (num_joysticks > 0 && poll_joystick() == 0) {
        for (int pad = 0; pad < num_joysticks; ++pad) {
            const JOYSTICK_INFO& j = joy[pad];
            if (j.num_sticks > 0 && j.stick[0].num_axis > 1) {
                if (j.stick[0].axis[1].pos < -kStickPushed) on(MenuKey::Up);
                if (j.stick[0].axis[1].pos > kStickPushed) on(MenuKey::Down);
                if (j.stick[0].axis[0].pos < -kStickPushed) on(MenuKey::Left);
                if (j.stick[0].axis[0].pos > kStickPushed) on(MenuKey::Right);
            }
            if (j.num_buttons > 0 && j.button[0].b) on(MenuKey::Accept);
            if (j.num_buttons > 1 && j.button[1].b) on(MenuKey::Back);
        }
    }
    return held;
}

MenuKey MenuInput::Poll() {
    const std::array<bool, 7> held = Held();
    MenuKey result = MenuKey::None;
    for (int i = 1; i < 7; ++i) {
        const MenuKey k = static_cast<MenuKey>(i);
        if (held[static_cast<std::size_t>(i)] && !was_[static_cast<std::size_t>(i)]) {
            result = k;
            repeat_ = 0;
            break;
        }
    }
    if (result == MenuKey::None) {
        for (int i = 1; i < 7; ++i) {
            const MenuKey k = static_cast<MenuKey>(i);
            if (!held[static_cast<std::size_t>(i)] || !repeats(k)) continue;
            ++repeat_;
            if (repeat_ >= kRepeatAfter && (repeat_ - kRepeatAfter) % kRepeatEvery == 0) result = k;
            break;
        }
    }
    was_ = held;
    return result;
}

void MenuInput::Release() {
    was_.fill(true);
    for (int i = 0; i < 128 && i < KEY_MAX; ++i) keys_was_[static_cast<std::size_t>(i)] = true;
    buttons_was_ = ~0u;
    clear_keybuf();
}

int MenuInput::NewKey() {
    int found = 0;
    for (int code = 1; code < KEY_MAX && code < 128; ++code) {
        const bool down = key[code] != 0;
        if (down && !keys_was_[static_cast<std::size_t>(code)] && !found) found = code;
        keys_was_[static_cast<std::size_t>(code)] = down;
    }
    return found;
}

int MenuInput::NewButton(int pad) {
    if (pad < 0 || pad >= num_joysticks || poll_joystick() != 0) return -1;
    unsigned now = 0;
    for (int b = 0; b < joy[pad].num_buttons && b < 32; ++b)
        if (joy[pad].button[b].b) now |= 1u << b;
    const unsigned fresh = now & ~buttons_was_;
    buttons_was_ = now;
    for (int b = 0; b < 32; ++b)
        if (fresh & (1u << b)) return b;
    return -1;
}
