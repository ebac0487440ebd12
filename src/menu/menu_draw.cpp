#include "menu/menu_draw.h"

#include <allegro.h>

#include <algorithm>


namespace {

constexpr int kEntryScale = 2;
constexpr int kTitleScale = 4;
constexpr int kPitch = 26;       // pixels from one entry to the next
constexpr int kFirstEntry = 104;  // top of the first entry
constexpr int kLeft = 64;         // the labels' left edge
constexpr int kValues = 400;      // the values' right edge without a picture
constexpr int kShown = 12;        // entries on the screen at once

int ground() { return makecol(16, 20, 44); }
int bar() { return makecol(52, 60, 120); }
int plain() { return makecol(220, 220, 220); }
int chosen() { return makecol(255, 230, 60); }
int faint() { return makecol(130, 140, 170); }

// The first entry shown, so that the selected one is in sight.
int first_shown(int selected, int count) {
    if (count <= kShown) return 0;
    return std::clamp(selected - kShown / 2, 0, count - kShown);
}

}  // namespace

void draw_menu_screen(BITMAP* target, const MenuScreen& screen, BITMAP* picture,
                      const std::string& prompt) {
    clear_to_color(target, ground());
    draw_scaled_text(target, "VORLIN", target->w / 2, 16, kTitleScale, chosen(), 0);
    draw_scaled_text(target, screen.title(), target->w / 2, 60, kEntryScale, faint(), 0);

    const int values = picture ? kValues - 40 : target->w - kLeft;
    const auto& entries = screen.entries();
    const int count = static_cast<int>(entries.size());
    const int first = first_shown(screen.selected(), count);
    for (int i = first; i < count && i < first + kShown; ++i) {
        const int y = kFirstEntry + (i - first) * kPitch;
        const bool on = i == screen.selected();
        if (on) rectfill(target, kLeft - 12, y - 5, values + 12, y + 20, bar());
        const int colour = on ? chosen() : plain();
        const MenuEntry& entry = entries[static_cast<std::size_t>(i)];
        draw_scaled_text(target, entry.label, kLeft, y, kEntryScale, colour, -1);
        if (entry.value) draw_scaled_text(target, entry.value(), values, y, kEntryScale, colour, 1);
    }
    if (picture) {
        const int x = target->w - 32 - picture->w;
        rect(target, x - 2, kFirstEntry - 2, x + picture->w + 1, kFirstEntry + picture->h + 1,
             faint());
        blit(picture, target, 0, 0, x, kFirstEntry, picture->w, picture->h);
    }
    const std::string keys = prompt.empty() ? "Arrows: choose   Return: take   Escape: back"
                                            : prompt;
    if (!screen.info.empty())
        draw_scaled_text(target, screen.info, target->w / 2, target->h - 80, 1, plain(), 0);
    if (!screen.note.empty())
        draw_scaled_text(target, screen.note, target->w / 2, target->h - 60, 1, chosen(), 0);
    draw_scaled_text(target, keys, target->w / 2, target->h - 30, 1, faint(), 0);
}
