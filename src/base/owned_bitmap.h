#ifndef VORLIN_BASE_OWNED_BITMAP_H
#define VORLIN_BASE_OWNED_BITMAP_H

#include <allegro.h>

#include <memory>

struct BitmapDeleter {
    void operator()(BITMAP* bmp) const {
        if (bmp) destroy_bitmap(bmp);
    }
};

// Owns a library bitmap for as long as the handle lives.
using OwnedBitmap = std::unique_ptr<BITMAP, BitmapDeleter>;

#endif
