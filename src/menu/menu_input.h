#ifndef VORLIN_MENU_MENU_INPUT_H
#define VORLIN_MENU_MENU_INPUT_H

#include <array>

#include "menu/menu_model.h"

class MenuSettings;

// The menu's keys, sampled once a frame: the arrows, Return and Escape, either player's
// walk, aim and fire keys (as the settings bind them now), and each player's pad: its
// stick, its first button (Return) and its second (Escape). A key counts as it goes
// down; a direction held repeats.
class MenuInput {
public:
    explicit MenuInput(const MenuSettings& settings) : settings_(settings) {}

    MenuKey Poll();
    // Until everything is let go: a key still held from a game or a screen before does
    // not act again.
    void Release();
    // Installs the joystick driver when a player has a pad (or `always`).
    void OpenPads(bool always);

    // A key newly down of the whole keyboard (for binding it); 0 for none.
    int NewKey();
    // A button newly down of pad `pad`; -1 for none.
    int NewButton(int pad);

private:
    std::array<bool, 7> Held() const;

    const MenuSettings& settings_;
    std::array<bool, 7> was_{};
    int repeat_ = 0;
    std::array<bool, 128> keys_was_{};
    unsigned buttons_was_ = ~0u;
};

#endif
