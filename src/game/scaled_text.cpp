#include "game/scaled_text.h"

#include <allegro.h>

#include "base/owned_bitmap.h"

void draw_scaled_text(BITMAP* target, const std::string& text, int x, int y, int scale,
                      int colour, int align) {
    if (text.empty()) return;
    const int w = text_length(font, text.c_str());
    const int h = text_height(font);
    BITMAP* small = create_bitmap(w, h);
    if (!small) return;
    OwnedBitmap owner(small);
    clear_to_color(small, bitmap_mask_color(small));
    textout_ex(small, font, text.c_str(), 0, 0, colour, -1);
    const int left = align < 0 ? x : align == 0 ? x - w * scale / 2 : x - w * scale;
    masked_stretch_blit(small, target, 0, 0, w, h, left, y, w * scale, h * scale);
}
