#include "bot/mask_view.h"

#include <allegro.h>

#include <cstdint>
#include <cstring>

MaskView::MaskView(BITMAP* bitmap) : bmp_(bitmap) {
    if (!bmp_) return;
    depth_ = bitmap_color_depth(bmp_);
    solid_ = makecol_depth(depth_, 255, 0, 255);
    w_ = bmp_->w;
    h_ = bmp_->h;
}

bool MaskView::Solid(int x, int y) const {
    if (!bmp_ || x < 0 || y < 0 || x >= w_ || y >= h_) return false;
    const unsigned char* row = bmp_->line[y];
    switch (depth_) {
    case 8:
        return row[x] == solid_;
    case 15:
    case 16: {
        std::uint16_t v;
        std::memcpy(&v, row + 2 * x, sizeof v);
        return v == solid_;
    }
    case 24: {
        const unsigned char* p = row + 3 * x;
        return (p[0] | p[1] << 8 | p[2] << 16) == solid_;
    }
    case 32: {
        std::uint32_t v;
        std::memcpy(&v, row + 4 * x, sizeof v);
        return static_cast<int>(v) == solid_;
    }
    default:
        return getpixel(bmp_, x, y) == solid_;
    }
}
