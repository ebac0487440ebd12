#include "main/startup.h"

#include <allegro.h>

#include <climits>
#include <cstdio>
#include <ctime>

#include "base/random.h"
#include "base/config.h"
#include "input/controls.h"
#include "main/scaled_window.h"

void AllegroGraphicsModes::SetColorDepth(int depth) { set_color_depth(depth); }

bool AllegroGraphicsModes::SetMode(int card, int w, int h) {
    // A "mode" without a screen (the text mode) is no use to a game that draws.
    return set_gfx_mode(card, w, h, 0, 0) == 0 && screen != nullptr;
}

bool AllegroGraphicsModes::SetSafeMode() {
    return set_gfx_mode(GFX_SAFE, 640, 480, 0, 0) == 0 && screen != nullptr;
}

bool AllegroGraphicsModes::SelectMode(int* card, int* w, int* h, int* depth) {
    return gfx_mode_select_ex(card, w, h, depth) != 0;
}

void AllegroGraphicsModes::Message(const char* text) { allegro_message("%s\n", text); }

int GraphicsModes::DesktopColorDepth() { return desktop_color_depth(); }

namespace {

// Screen sizes beyond this are typing errors, not displays.
constexpr int MAX_SCREEN_SIZE = 16384;
// The depth offered when neither the file nor the desktop names a usable one.
constexpr int FALLBACK_DEPTH = 32;

bool valid_depth(int depth) {
    return depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
}

bool valid_size(int size) { return size >= 1 && size <= MAX_SCREEN_SIZE; }

// A number of section "graphics": `absent` when the key is missing, 0 (neither a depth
// nor a size) when it is there but not a number an int can hold.
int graphics_value(const char* key, int absent) {
    if (!get_config_string("graphics", key, nullptr)) return absent;
    return config_int("graphics", key, 0, INT_MIN, INT_MAX);
}

}  // namespace

bool choose_graphics_mode(GraphicsModes& modes) {
    const int desktop = modes.DesktopColorDepth();
    int card = get_config_id("graphics", "card", GFX_AUTODETECT);
    int depth = graphics_value("depth", desktop);
    int width = graphics_value("width", -1);
    int height = graphics_value("height", -1);

    // A width of -1 means that no mode is configured yet. Values no graphics mode can
    // have count the same: the player gets the dialog, which starts from the sane part of
    // what was stored (-1 by -1 is "no size" to it).
    bool configured = valid_size(width) && valid_size(height);
    if (!configured) width = height = -1;
    if (card == GFX_TEXT) {  // "succeeds" without giving a screen
        card = GFX_AUTODETECT;
        configured = false;
    }
    if (!valid_depth(depth)) {
        depth = valid_depth(desktop) ? desktop : FALLBACK_DEPTH;
        configured = false;
    }

    modes.SetColorDepth(depth);
    for (;;) {
        if (configured && modes.SetMode(card, width, height)) {
            set_config_id("graphics", "card", card);
            set_config_int("graphics", "depth", depth);
            set_config_int("graphics", "width", width);
            set_config_int("graphics", "height", height);
            return true;
        }
        if (!modes.SetSafeMode()) {
            modes.Message("Unable to set graphics mode");
            return false;
        }
        if (!modes.SelectMode(&card, &width, &height, &depth)) {
            modes.Message("No graphics mode selected");
            return false;
        }
        // The dialog only offers real modes; should it hand back anything else, the loop
        // comes round to the dialog again instead of trying it.
        configured = card != GFX_TEXT && valid_depth(depth) && valid_size(width) && valid_size(height);
        if (!valid_depth(depth)) depth = valid_depth(desktop) ? desktop : FALLBACK_DEPTH;
        modes.SetColorDepth(depth);
    }
}

namespace {

// Everything of the start before the graphics mode.
bool init_library() {
    if (allegro_init() != 0) {
        // No window can carry a message yet (no X display, typically): a start that ends
        // here must not be silent.
        std::fprintf(stderr, "Unable to initialise Allegro: %s\n",
                     allegro_error[0] ? allegro_error : "no system driver");
        return false;
    }
    set_config_file("vorlin.ini");
    // The only moment the default bindings are written: a first run.
    if (!exists("vorlin.ini")) write_default_controls();
    install_keyboard();
    install_timer();
    install_mouse();
    set_window_title("Vorlin");
    return true;
}

}  // namespace

bool init() {
    if (!init_library()) return false;
    AllegroGraphicsModes modes;
    if (!choose_graphics_mode(modes)) return false;
    seed_random(static_cast<unsigned>(std::time(nullptr)));
    return true;
}

bool init_scaled(ScaledWindow* window) {
    if (!init_library()) return false;
    if (!window->Open()) {
        allegro_message("Unable to set graphics mode\n");
        return false;
    }
    seed_random(static_cast<unsigned>(std::time(nullptr)));
    return true;
}
