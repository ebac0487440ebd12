#ifndef VORLIN_MENU_MENU_DRAW_H
#define VORLIN_MENU_MENU_DRAW_H

#include <string>

#include "game/scaled_text.h"
#include "menu/menu_model.h"

struct BITMAP;

// The menu's one look, drawn into the game's 640x480 picture: the game's font at whole
// scales, a dark ground, the title large, the selected entry on a bar in yellow.

// A whole screen; `picture` (a level's thumbnail, say) is shown right of the entries
// when not null. `prompt` replaces the footnote's keys line while the menu waits for a
// key, a button or typing.
void draw_menu_screen(BITMAP* target, const MenuScreen& screen, BITMAP* picture,
                      const std::string& prompt);

#endif
