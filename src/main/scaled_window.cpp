#include "main/scaled_window.h"

#include <allegro.h>

#include <algorithm>

#include "base/config.h"

int ScaledWindow::LargestFitting(int desktop_w, int desktop_h) {
    for (int s = kMaxScale; s > 1; --s)
        if (kPictureW * s <= desktop_w && kPictureH * s <= desktop_h) return s;
    return 1;
}

int ScaledWindow::fitting() const {
    int w = 0, h = 0;
    if (get_desktop_resolution(&w, &h) != 0) return 1;
    return LargestFitting(w, h);
}

bool ScaledWindow::SetMode(int scale, bool fullscreen) {
    const int card = fullscreen ? GFX_AUTODETECT_FULLSCREEN : GFX_AUTODETECT_WINDOWED;
    if (set_gfx_mode(card, kPictureW * scale, kPictureH * scale, 0, 0) != 0 || !screen)
        return false;
    scale_ = scale;
    fullscreen_ = fullscreen;
    clear_bitmap(screen);
    return true;
}

bool ScaledWindow::Open() {
    const int depth = desktop_color_depth();
    set_color_depth(depth == 15 || depth == 16 || depth == 24 || depth == 32 ? depth : 32);
    const int largest = fitting();
    const int stored = config_int("menu", "scale", 0, 1, kMaxScale);
    const bool full = config_int("menu", "fullscreen", 0, 0, 1) == 1;
    if (full && SetMode(stored ? stored : largest, true)) return true;
    for (int s = stored ? stored : largest; s >= 1; --s)
        if (SetMode(s, false)) return true;
    return false;
}

bool ScaledWindow::Change(int scale, bool fullscreen, std::string* why) {
    const int old_scale = scale_;
    const bool old_full = fullscreen_;
    if (!SetMode(scale, fullscreen)) {
        *why = std::string(fullscreen ? "Full screen" : "This window size") +
               " refused: " + (allegro_error[0] ? allegro_error : "no such mode");
        SetMode(old_scale, old_full);
        return false;
    }
    if (scale != old_scale) set_config_int("menu", "scale", scale);
    if (fullscreen != old_full) set_config_int("menu", "fullscreen", fullscreen ? 1 : 0);
    return true;
}

std::string ScaledWindow::TakeRefusal() {
    std::string why;
    why.swap(refusal_);
    return why;
}

void ScaledWindow::Show(BITMAP* picture) {
    const bool f11 = keyboard_driver && key[KEY_F11];
    if (f11 && !f11_down_) {
        Change(scale_, !fullscreen_, &refusal_);
    }
    f11_down_ = f11;
    if (!screen) return;
    const int w = kPictureW * scale_, h = kPictureH * scale_;
    // A full screen bigger than asked shows the picture in its middle.
    const int x = std::max(0, (SCREEN_W - w) / 2), y = std::max(0, (SCREEN_H - h) / 2);
    acquire_screen();
    if (scale_ == 1)
        blit(picture, screen, 0, 0, x, y, w, h);
    else
        stretch_blit(picture, screen, 0, 0, kPictureW, kPictureH, x, y, w, h);
    release_screen();
}
