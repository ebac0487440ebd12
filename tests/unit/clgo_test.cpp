#include "collision/clgo.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace {

// Every call the predicate saw, in order.
struct PredicateCall {
    int x, y, depth, pixel;
};
std::vector<PredicateCall> g_calls;

int record_call(int x, int y, int depth, int pixel) {
    g_calls.push_back({x, y, depth, pixel});
    // Bit 8 set on purpose: only the low byte may reach the cell.
    return 0x100 | (x + 16 * y);
}

class ClgoCircle : public ::testing::Test {
protected:
    void SetUp() override { clgo_error = 0; }
    void TearDown() override {
        for (clgo_circle* c : circles_) clgo_destroy_circle(c);
    }
    clgo_circle* make(int x, int y, float radius) {
        clgo_circle* c = clgo_create_circle(x, y, radius);
        circles_.push_back(c);
        return c;
    }

private:
    std::vector<clgo_circle*> circles_;
};

class ClgoBitmask : public ::testing::Test {
protected:
    void SetUp() override {
        clgo_error = 0;
        g_calls.clear();
    }
    void TearDown() override {
        for (clgo_bitmask* m : masks_) clgo_destroy_bitmask(m);
        for (BITMAP* b : bitmaps_) destroy_bitmap(b);
    }
    clgo_bitmask* keep(clgo_bitmask* m) {
        if (m) masks_.push_back(m);
        return m;
    }
    BITMAP* bitmap(int depth, int w, int h) {
        BITMAP* b = create_bitmap_ex(depth, w, h);
        bitmaps_.push_back(b);
        return b;
    }

private:
    std::vector<clgo_bitmask*> masks_;
    std::vector<BITMAP*> bitmaps_;
};

}  // namespace

TEST_F(ClgoCircle, CreationKeepsCentreRadiusAndSquare) {
    clgo_circle* c = make(-7, 12, 2.5f);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->x, -7);
    EXPECT_EQ(c->y, 12);
    EXPECT_FLOAT_EQ(c->radius, 2.5f);
    EXPECT_FLOAT_EQ(c->radius_sq, 6.25f);
    // No sign check at creation.
    clgo_circle* n = make(0, 0, -3.0f);
    EXPECT_FLOAT_EQ(n->radius, -3.0f);
    EXPECT_FLOAT_EQ(n->radius_sq, 9.0f);
    EXPECT_EQ(clgo_error, 0);
}

TEST_F(ClgoCircle, TouchingCirclesOverlapOnePixelFurtherDoNot) {
    clgo_circle* a = make(10, 20, 3.0f);
    clgo_circle* b = make(17, 20, 4.0f);
    EXPECT_EQ(clgo_circles_overlap(a, b), 1);
    EXPECT_EQ(clgo_circles_overlap(b, a), 1);
    clgo_set_position(b, 18, 20);
    EXPECT_EQ(clgo_circles_overlap(a, b), 0);
    EXPECT_EQ(clgo_circles_overlap(b, a), 0);

    // Diagonal: a 3-4-5 triangle touches exactly, one pixel further down it misses.
    clgo_set_position(a, 0, 0);
    clgo_set_circle(b, 3, 4, 2.0f);
    EXPECT_EQ(clgo_circles_overlap(a, b), 1);
    clgo_set_position(b, 3, 5);
    EXPECT_EQ(clgo_circles_overlap(a, b), 0);
}

TEST_F(ClgoCircle, RadiusZeroCollidesOnlyOnTheSameCentre) {
    clgo_circle* a = make(5, 5, 0.0f);
    clgo_circle* b = make(5, 5, 0.0f);
    EXPECT_EQ(clgo_circles_overlap(a, b), 1);
    clgo_set_position(b, 6, 5);
    EXPECT_EQ(clgo_circles_overlap(a, b), 0);
    clgo_set_position(b, 5, 4);
    EXPECT_EQ(clgo_circles_overlap(a, b), 0);
}

TEST_F(ClgoCircle, FarApartCentresNeverWrapIntoAHit) {
    // 65536 squared is 2^32: in 32-bit arithmetic the distance would wrap to 0.
    clgo_circle* a = make(0, 0, 1.0f);
    clgo_circle* b = make(65536, 0, 1.0f);
    EXPECT_EQ(clgo_circles_overlap(a, b), 0);
    clgo_set_position(a, -2000000000, -2000000000);
    clgo_set_position(b, 2000000000, 2000000000);
    EXPECT_EQ(clgo_circles_overlap(a, b), 0);
}

TEST_F(ClgoCircle, SetCircleKeepsTheRadiusForNegativeOrNotANumber) {
    clgo_circle* c = make(1, 2, 4.0f);
    clgo_set_circle(c, 30, 40, -1.0f);
    EXPECT_EQ(c->x, 30);
    EXPECT_EQ(c->y, 40);
    EXPECT_FLOAT_EQ(c->radius, 4.0f);
    EXPECT_FLOAT_EQ(c->radius_sq, 16.0f);

    clgo_set_circle(c, 31, 41, std::nanf(""));
    EXPECT_EQ(c->x, 31);
    EXPECT_EQ(c->y, 41);
    EXPECT_FLOAT_EQ(c->radius, 4.0f);
    EXPECT_FLOAT_EQ(c->radius_sq, 16.0f);

    clgo_set_circle(c, 0, 0, 0.0f);
    EXPECT_EQ(c->radius, 0.0f);
    EXPECT_EQ(c->radius_sq, 0.0f);

    clgo_set_circle(c, 0, 0, 1.5f);
    EXPECT_FLOAT_EQ(c->radius, 1.5f);
    EXPECT_FLOAT_EQ(c->radius_sq, 2.25f);
}

TEST_F(ClgoCircle, SetPositionLeavesTheRadiusAlone) {
    clgo_circle* c = make(1, 2, 3.0f);
    clgo_set_position(c, -4, 9);
    EXPECT_EQ(c->x, -4);
    EXPECT_EQ(c->y, 9);
    EXPECT_FLOAT_EQ(c->radius, 3.0f);
    EXPECT_FLOAT_EQ(c->radius_sq, 9.0f);
}

TEST_F(ClgoBitmask, NewMaskIsZeroFilledWithItsGeometry) {
    clgo_bitmask* m = keep(clgo_create_bitmask(-3, 8, 5, 4));
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->x, -3);
    EXPECT_EQ(m->y, 8);
    EXPECT_EQ(m->w, 5);
    EXPECT_EQ(m->h, 4);
    EXPECT_EQ(m->size, 20);
    for (int i = 0; i < m->size; ++i) EXPECT_EQ(m->cells[i], 0) << "cell " << i;

    clgo_bitmask* empty = keep(clgo_create_bitmask(0, 0, 0, 7));
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->size, 0);
    EXPECT_EQ(clgo_error, 0);
}

TEST_F(ClgoBitmask, ImpossibleSizesAreRefusedAsOutOfMemory) {
    EXPECT_EQ(clgo_create_bitmask(0, 0, -1, 4), nullptr);
    EXPECT_EQ(clgo_error, CLGO_ERR_NOMEM);
    clgo_error = 0;
    EXPECT_EQ(clgo_create_bitmask(0, 0, 4, -1), nullptr);
    EXPECT_EQ(clgo_error, CLGO_ERR_NOMEM);
    clgo_error = 0;
    // 100000 * 100000 does not fit the int size.
    EXPECT_EQ(clgo_create_bitmask(0, 0, 100000, 100000), nullptr);
    EXPECT_EQ(clgo_error, CLGO_ERR_NOMEM);
}

TEST_F(ClgoBitmask, RegionOutsideTheBitmapIsRefusedAndTheErrorSticks) {
    BITMAP* bmp = bitmap(32, 4, 3);
    clear_to_color(bmp, 0);

    EXPECT_EQ(clgo_create_custom_bitmask_region(0, 0, 0, 0, 5, 3, bmp, record_call), nullptr);
    EXPECT_EQ(clgo_error, CLGO_ERR_REGION);
    EXPECT_TRUE(g_calls.empty());

    // The error code is never reset by a later success.
    clgo_bitmask* fits = keep(clgo_create_custom_bitmask_region(0, 0, 0, 0, 4, 3, bmp, record_call));
    ASSERT_NE(fits, nullptr);
    EXPECT_EQ(clgo_error, CLGO_ERR_REGION);
    ASSERT_NE(keep(clgo_create_bitmask(0, 0, 2, 2)), nullptr);
    clgo_circle* c = clgo_create_circle(0, 0, 1.0f);
    clgo_destroy_circle(c);
    EXPECT_EQ(clgo_error, CLGO_ERR_REGION);

    const struct {
        int src_x, src_y, w, h;
    } refused[] = {
        {0, 0, 4, 4},        // one row too many
        {1, 0, 4, 3},        // shifted right by one
        {0, 1, 4, 3},        // shifted down by one
        {-1, 0, 2, 2},       // negative origin
        {0, -1, 2, 2},
        {0, 0, -1, 2},       // negative size
        {0, 0, 2, -1},
        {2, 0, 0x7fffffff, 1},  // the sum would wrap in int
    };
    for (const auto& r : refused) {
        clgo_error = 0;
        g_calls.clear();
        EXPECT_EQ(clgo_create_custom_bitmask_region(0, 0, r.src_x, r.src_y, r.w, r.h, bmp, record_call),
                  nullptr)
            << r.src_x << "," << r.src_y << " " << r.w << "x" << r.h;
        EXPECT_EQ(clgo_error, CLGO_ERR_REGION);
        EXPECT_TRUE(g_calls.empty());
    }
}

TEST_F(ClgoBitmask, PredicateSeesEveryPixelOnceRowByRowAndCellsFollow) {
    BITMAP* bmp = bitmap(32, 3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) putpixel(bmp, x, y, 0x010000 * y + 0x100 * x + 7);

    clgo_bitmask* m = keep(clgo_create_custom_bitmask(11, -5, bmp, record_call));
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->x, 11);
    EXPECT_EQ(m->y, -5);
    EXPECT_EQ(m->w, 3);
    EXPECT_EQ(m->h, 2);
    EXPECT_EQ(m->size, 6);

    const std::vector<std::pair<int, int>> expected = {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}};
    ASSERT_EQ(g_calls.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const auto [x, y] = expected[i];
        EXPECT_EQ(g_calls[i].x, x) << "call " << i;
        EXPECT_EQ(g_calls[i].y, y) << "call " << i;
        EXPECT_EQ(g_calls[i].depth, 32);
        EXPECT_EQ(g_calls[i].pixel, 0x010000 * y + 0x100 * x + 7);
        // Low byte of the predicate's result, in row-major order.
        EXPECT_EQ(m->cells[i], x + 16 * y) << "cell " << i;
    }
}

TEST_F(ClgoBitmask, RegionReadsFromItsSourceCorner) {
    BITMAP* bmp = bitmap(8, 5, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) putpixel(bmp, x, y, 10 * y + x);

    clgo_bitmask* m = keep(clgo_create_custom_bitmask_region(100, 200, 2, 1, 3, 2, bmp, record_call));
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->x, 100);
    EXPECT_EQ(m->y, 200);
    ASSERT_EQ(g_calls.size(), 6u);
    const int expected_pixels[] = {12, 13, 14, 22, 23, 24};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(g_calls[i].x, 2 + i % 3);
        EXPECT_EQ(g_calls[i].y, 1 + i / 3);
        EXPECT_EQ(g_calls[i].depth, 8);
        EXPECT_EQ(g_calls[i].pixel, expected_pixels[i]);
        EXPECT_EQ(m->cells[i], (2 + i % 3) + 16 * (1 + i / 3));
    }
}

TEST_F(ClgoBitmask, PixelValuesFollowTheColourDepth) {
    // Raw bytes of the pixel at (1, 0), written straight into the row so the expected
    // value does not depend on the library's own pixel writers.
    const unsigned char bytes[4] = {0x12, 0x34, 0x56, 0x78};
    const struct {
        int depth;
        int bytes_per_pixel;
        int expected;
    } cases[] = {
        {8, 1, 0x12},
        {15, 2, 0x3412},
        {16, 2, 0x3412},
        {24, 3, 0x12 | 0x34 << 8 | 0x56 << 16},
        {32, 4, 0x78563412},
    };
    for (const auto& c : cases) {
        g_calls.clear();
        BITMAP* bmp = bitmap(c.depth, 3, 1);
        std::memset(bmp->line[0], 0xEE, 3 * c.bytes_per_pixel);
        std::memcpy(bmp->line[0] + c.bytes_per_pixel, bytes, c.bytes_per_pixel);

        clgo_bitmask* m = keep(clgo_create_custom_bitmask(0, 0, bmp, record_call));
        ASSERT_NE(m, nullptr) << "depth " << c.depth;
        ASSERT_EQ(g_calls.size(), 3u) << "depth " << c.depth;
        EXPECT_EQ(g_calls[1].depth, c.depth);
        EXPECT_EQ(g_calls[1].pixel, c.expected) << "depth " << c.depth;
        // The neighbours are read at the right stride, not shifted into the middle pixel.
        std::uint32_t filler = 0;
        for (int i = 0; i < c.bytes_per_pixel; ++i) filler |= 0xEEu << (8 * i);
        EXPECT_EQ(g_calls[0].pixel, static_cast<int>(filler)) << "depth " << c.depth;
        EXPECT_EQ(g_calls[2].pixel, static_cast<int>(filler)) << "depth " << c.depth;
    }
}

TEST_F(ClgoBitmask, SolidColourOfEachDepthIsRecognisable) {
    // The way the level uses it: the predicate compares against makecol at the depth.
    for (int depth : {15, 16, 24, 32}) {
        BITMAP* bmp = bitmap(depth, 2, 1);
        putpixel(bmp, 0, 0, makecol_depth(depth, 255, 0, 255));
        putpixel(bmp, 1, 0, makecol_depth(depth, 0, 255, 0));
        g_calls.clear();
        keep(clgo_create_custom_bitmask(0, 0, bmp, record_call));
        ASSERT_EQ(g_calls.size(), 2u);
        EXPECT_EQ(g_calls[0].pixel, makecol_depth(depth, 255, 0, 255)) << "depth " << depth;
        EXPECT_EQ(g_calls[1].pixel, makecol_depth(depth, 0, 255, 0)) << "depth " << depth;
    }
}
