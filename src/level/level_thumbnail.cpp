#include "level/level_thumbnail.h"

#include <algorithm>

#include "level/level.h"

namespace {

// The largest size of the level's aspect within the box, never below one pixel.
void fit(int w, int h, int max_w, int max_h, int* tw, int* th) {
    if (static_cast<long long>(w) * max_h >= static_cast<long long>(h) * max_w) {
        *tw = max_w;
        *th = static_cast<int>((static_cast<long long>(h) * max_w + w / 2) / w);
    } else {
        *th = max_h;
        *tw = static_cast<int>((static_cast<long long>(w) * max_h + h / 2) / h);
    }
    *tw = std::max(1, *tw);
    *th = std::max(1, *th);
}

// The mean colour of the source rectangle [x0, x1) x [y0, y1), rounded.
int box_mean(BITMAP* src, int depth, int x0, int y0, int x1, int y1) {
    long long r = 0, g = 0, b = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const int c = getpixel(src, x, y);
            r += getr_depth(depth, c);
            g += getg_depth(depth, c);
            b += getb_depth(depth, c);
        }
    const long long n = static_cast<long long>(x1 - x0) * (y1 - y0);
    return makecol_depth(depth, static_cast<int>((r + n / 2) / n), static_cast<int>((g + n / 2) / n),
                         static_cast<int>((b + n / 2) / n));
}

}  // namespace

OwnedBitmap make_level_thumbnail(const Level& level, int max_w, int max_h) {
    BITMAP* src = level.render;
    if (!src || max_w < 1 || max_h < 1) return nullptr;
    int tw, th;
    fit(src->w, src->h, std::min(max_w, src->w), std::min(max_h, src->h), &tw, &th);
    const int depth = bitmap_color_depth(src);
    OwnedBitmap thumb(create_bitmap_ex(depth, tw, th));
    if (!thumb) return nullptr;
    for (int j = 0; j < th; ++j) {
        const int y0 = static_cast<int>(static_cast<long long>(j) * src->h / th);
        const int y1 = std::max(y0 + 1, static_cast<int>(static_cast<long long>(j + 1) * src->h / th));
        for (int i = 0; i < tw; ++i) {
            const int x0 = static_cast<int>(static_cast<long long>(i) * src->w / tw);
            const int x1 = std::max(x0 + 1, static_cast<int>(static_cast<long long>(i + 1) * src->w / tw));
            putpixel(thumb.get(), i, j, box_mean(src, depth, x0, y0, x1, y1));
        }
    }
    return thumb;
}
