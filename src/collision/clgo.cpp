#include "collision/clgo.h"

#include <allegro.h>

#include <limits.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

int clgo_error = 0;

clgo_circle* clgo_create_circle(int x, int y, float radius) {
    clgo_circle* c = (clgo_circle*)malloc(sizeof(clgo_circle));
    if (!c) {
        clgo_error = CLGO_ERR_NOMEM;
        return NULL;
    }
    c->x = x;
    c->y = y;
    c->radius = radius;
    c->radius_sq = radius * radius;
    return c;
}

void clgo_set_circle(clgo_circle* c, int x, int y, float radius) {
    c->x = x;
    c->y = y;
    /* Written so that a NaN fails the test too: callers pass -1 to move a circle
     * without touching its size. */
    if (radius >= 0.0f) {
        c->radius = radius;
        c->radius_sq = radius * radius;
    }
}

void clgo_set_position(clgo_circle* c, int x, int y) {
    c->x = x;
    c->y = y;
}

void clgo_destroy_circle(clgo_circle* c) { free(c); }

int clgo_circles_overlap(const clgo_circle* a, const clgo_circle* b) {
    /* The differences in 64 bits and the squares in double: centres far apart (up to
     * the whole int range) must not wrap into a small distance and report a false hit.
     * The squared distance is exact below 2^53, far beyond any level. */
    long long dx = (long long)b->x - a->x;
    long long dy = (long long)b->y - a->y;
    double d2 = (double)dx * (double)dx + (double)dy * (double)dy;
    float s = a->radius + b->radius;
    float reach_sq = s * s;
    /* Touching counts as overlap. */
    return d2 <= (double)reach_sq ? 1 : 0;
}

clgo_bitmask* clgo_create_bitmask(int x, int y, int w, int h) {
    clgo_bitmask* mask;
    long long size = (long long)w * h;

    /* A size the int field cannot hold is as impossible to allocate as a huge one. */
    if (w < 0 || h < 0 || size > INT_MAX) {
        clgo_error = CLGO_ERR_NOMEM;
        return NULL;
    }
    mask = (clgo_bitmask*)malloc(sizeof(clgo_bitmask));
    if (!mask) {
        clgo_error = CLGO_ERR_NOMEM;
        return NULL;
    }
    /* At least one byte, so that an empty mask still has a distinct, freeable array. */
    mask->cells = (unsigned char*)calloc(size > 0 ? (size_t)size : 1, 1);
    if (!mask->cells) {
        free(mask);
        clgo_error = CLGO_ERR_NOMEM;
        return NULL;
    }
    mask->x = x;
    mask->y = y;
    mask->w = w;
    mask->h = h;
    mask->size = (int)size;
    return mask;
}

/* The raw pixel at `addr` for a bitmap of `depth` bits. */
static int clgo_read_pixel(uintptr_t addr, int depth) {
    const unsigned char* p = (const unsigned char*)addr;
    switch (depth) {
        case 8:
            return p[0];
        case 15:
        case 16: {
            uint16_t v;
            memcpy(&v, p, sizeof v);
            return v;
        }
        case 24:
            return p[0] | (p[1] << 8) | (p[2] << 16);
        case 32: {
            uint32_t v;
            memcpy(&v, p, sizeof v);
            return (int)v;
        }
        default:
            return 0;
    }
}

clgo_bitmask* clgo_create_custom_bitmask_region(int x, int y, int src_x, int src_y, int w, int h,
                                                BITMAP* bmp, clgo_predicate predicate) {
    clgo_bitmask* mask;
    unsigned char* cell;
    int depth, bpp, r, c;

    /* The region must lie wholly inside the bitmap; sums in 64 bits so that huge
     * sizes cannot wrap around into an apparently fitting region. */
    if (!bmp || src_x < 0 || src_y < 0 || w < 0 || h < 0 ||
        (long long)src_x + w > bmp->w || (long long)src_y + h > bmp->h) {
        clgo_error = CLGO_ERR_REGION;
        return NULL;
    }
    mask = clgo_create_bitmask(x, y, w, h);
    if (!mask) return NULL;
    if (!predicate) return mask;

    depth = bitmap_color_depth(bmp);
    bpp = depth == 15 ? 2 : depth / 8;
    cell = mask->cells;

    bmp_select(bmp);
    for (r = src_y; r < src_y + h; ++r) {
        uintptr_t addr = bmp_read_line(bmp, r) + (uintptr_t)src_x * bpp;
        for (c = src_x; c < src_x + w; ++c) {
            int pixel = clgo_read_pixel(addr, depth);
            *cell++ = (unsigned char)(predicate(c, r, depth, pixel) & 0xFF);
            addr += bpp;
        }
    }
    bmp_unwrite_line(bmp);
    return mask;
}

clgo_bitmask* clgo_create_custom_bitmask(int x, int y, BITMAP* bmp, clgo_predicate predicate) {
    if (!bmp) {
        clgo_error = CLGO_ERR_REGION;
        return NULL;
    }
    return clgo_create_custom_bitmask_region(x, y, 0, 0, bmp->w, bmp->h, bmp, predicate);
}

void clgo_destroy_bitmask(clgo_bitmask* mask) {
    if (!mask) return;
    free(mask->cells);
    free(mask);
}
