#include "level/level.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "collision/clgo.h"
#include "support/test_support.h"

using testsupport::make_level;
using testsupport::ScopedColorDepth;
using testsupport::TempDir;

namespace {

constexpr int kDepths[] = {8, 15, 16, 24, 32};
constexpr float kPi = 3.14159265f;

// An 8-bit palette that holds the solid and the air colour exactly (3-3-2 levels):
// 8-bit terrain colours are palette entries, and without a palette every colour is black.
class ScopedPalette {
public:
    ScopedPalette() {
        get_palette(old_);
        PALETTE pal;
        for (int i = 0; i < 256; ++i) {
            pal[i].r = ((i >> 5) & 7) * 63 / 7;
            pal[i].g = ((i >> 2) & 7) * 63 / 7;
            pal[i].b = (i & 3) * 63 / 3;
        }
        select_palette(pal);
    }
    ~ScopedPalette() { select_palette(old_); }

private:
    PALETTE old_;
};

struct Chunk {
    std::uint32_t stored, length;
    std::vector<unsigned char> data;
};

// The decompressed content of a level file cut into its chunks, as the format lays it
// out; `trailing` counts bytes after the last whole chunk.
std::vector<Chunk> read_chunks(const std::string& path, int* trailing) {
    std::vector<unsigned char> bytes;
    PACKFILE* pf = pack_fopen(path.c_str(), "rp");
    if (!pf) return {};
    for (int c; (c = pack_getc(pf)) != EOF;) bytes.push_back(static_cast<unsigned char>(c));
    pack_fclose(pf);
    auto be32 = [&](std::size_t at) {
        return std::uint32_t(bytes[at]) << 24 | std::uint32_t(bytes[at + 1]) << 16 |
               std::uint32_t(bytes[at + 2]) << 8 | bytes[at + 3];
    };
    std::vector<Chunk> chunks;
    std::size_t at = 0;
    while (at + 8 <= bytes.size()) {
        Chunk c{be32(at), be32(at + 4), {}};
        if (at + 8 + c.length > bytes.size()) break;
        c.data.assign(bytes.begin() + at + 8, bytes.begin() + at + 8 + c.length);
        chunks.push_back(c);
        at += 8 + c.length;
    }
    *trailing = int(bytes.size() - at);
    return chunks;
}

// Type, bits per pixel and size from a TGA header.
struct TgaHeader {
    int type, bpp, w, h;
};
TgaHeader tga_header(const std::vector<unsigned char>& d, std::size_t at = 0) {
    return {d[at + 2], d[at + 16], d[at + 12] | d[at + 13] << 8, d[at + 14] | d[at + 15] << 8};
}

void expect_same_pixels(BITMAP* a, BITMAP* b, const char* what) {
    EXPECT_EQ(testsupport::bitmap_difference(a, b), "") << what;
}

// `bound` must have one cell per mask pixel, 1 exactly where the mask is solid.
void expect_bound_matches_mask(const Level& level) {
    ASSERT_NE(level.bound, nullptr);
    ASSERT_EQ(level.bound->w, level.mask->w);
    ASSERT_EQ(level.bound->h, level.mask->h);
    EXPECT_EQ(level.bound->x, 0);
    EXPECT_EQ(level.bound->y, 0);
    int wrong = 0, solid = 0;
    for (int y = 0; y < level.mask->h; ++y)
        for (int x = 0; x < level.mask->w; ++x) {
            const int want = getpixel(level.mask, x, y) == solid_colour() ? 1 : 0;
            solid += want;
            wrong += level.bound->cells[y * level.bound->w + x] != want;
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(solid, 0);
}

// Level images on disk: a 40 by 30 terrain with a floor, a pillar and a hole in the floor;
// the undiggable map marks the bottom two rows.
class LevelFiles : public ::testing::Test {
protected:
    static constexpr int kW = 40, kH = 30;
    static bool solid_at(int x, int y) {
        return (y >= 20 && !(x >= 5 && x < 9)) || (x >= 30 && x < 33 && y >= 10);
    }
    static bool undiggable_at(int, int y) { return y >= 28; }

    void SetUp() override {
        source_ = make_level(kW, kH, solid_at, undiggable_at);
        testsupport::save_level_bitmaps(dir_.path(), *source_);
    }

    std::unique_ptr<Level> build(bool with_undiggable) {
        return std::make_unique<Level>(dir_.file("mask.bmp"),
                                       with_undiggable ? dir_.file("undiggable.bmp") : "",
                                       dir_.file("fore.bmp"), dir_.file("back.bmp"));
    }

    std::string save(const Level& level) {
        const std::string path = dir_.file("map.lvl");
        testsupport::save_level_file(path, level);
        return path;
    }

    void expect_same_level(const Level& a, const Level& b) {
        expect_same_pixels(a.mask, b.mask, "mask");
        expect_same_pixels(a.foreground, b.foreground, "foreground");
        expect_same_pixels(a.background, b.background, "background");
        expect_same_pixels(a.render, b.render, "render");
        EXPECT_EQ(a.width, b.width);
        EXPECT_EQ(a.height, b.height);
    }

    TempDir dir_;
    std::unique_ptr<Level> source_;
};

TEST_F(LevelFiles, BuildWithoutUndiggableMapSavesAndLoadsBack) {
    auto built = build(false);
    EXPECT_EQ(built->undiggable, nullptr);
    EXPECT_EQ(built->width, kW);
    EXPECT_EQ(built->height, kH);
    expect_same_pixels(built->mask, source_->mask, "built mask");
    expect_same_pixels(built->render, source_->render, "built render");
    expect_bound_matches_mask(*built);

    const std::string path = save(*built);
    EXPECT_EQ(testsupport::read_file(path).substr(0, 4), "slh!");

    int trailing = -1;
    const auto chunks = read_chunks(path, &trailing);
    ASSERT_EQ(chunks.size(), 4u);
    EXPECT_EQ(trailing, 0);
    for (const Chunk& c : chunks) EXPECT_EQ(c.stored, c.length);
    // Chunk 2 holds only the flag byte 0.
    EXPECT_EQ(chunks[1].length, 1u);
    EXPECT_EQ(chunks[1].data, std::vector<unsigned char>{0});
    // Mask, foreground, background: uncompressed 32-bit TGAs of the level's size.
    for (int i : {0, 2, 3}) {
        const TgaHeader h = tga_header(chunks[i].data);
        EXPECT_EQ(h.type, 2);
        EXPECT_EQ(h.bpp, 32);
        EXPECT_EQ(h.w, kW);
        EXPECT_EQ(h.h, kH);
        EXPECT_EQ(chunks[i].length, 18u + kW * kH * 4);
    }

    auto loaded = testsupport::load_level_file(path);
    EXPECT_EQ(loaded->undiggable, nullptr);
    expect_same_level(*built, *loaded);
    expect_bound_matches_mask(*loaded);
}

TEST_F(LevelFiles, BuildWithUndiggableMapSavesAndLoadsBack) {
    auto built = build(true);
    ASSERT_NE(built->undiggable, nullptr);
    expect_same_pixels(built->undiggable, source_->undiggable, "built undiggable");

    const std::string path = save(*built);
    int trailing = -1;
    const auto chunks = read_chunks(path, &trailing);
    ASSERT_EQ(chunks.size(), 4u);
    EXPECT_EQ(trailing, 0);
    ASSERT_EQ(chunks[1].data.size(), 1u + 18 + kW * kH * 4);
    EXPECT_EQ(chunks[1].data[0], 1);
    const TgaHeader h = tga_header(chunks[1].data, 1);
    EXPECT_EQ(h.w, kW);
    EXPECT_EQ(h.h, kH);

    auto loaded = testsupport::load_level_file(path);
    expect_same_level(*built, *loaded);
    expect_same_pixels(loaded->undiggable, built->undiggable, "loaded undiggable");
    // The loaded map protects what it should: digging at the bottom leaves it solid.
    loaded->Dig(20, 29, 3);
    EXPECT_TRUE(loaded->IsSolid(20, 29));
    EXPECT_TRUE(loaded->IsSolid(20, 28));
    EXPECT_FALSE(loaded->IsSolid(20, 27));
}

TEST_F(LevelFiles, RoundTripKeepsTerrainColoursInEveryDepth) {
    ScopedPalette palette;
    for (int depth : kDepths) {
        SCOPED_TRACE(depth);
        ScopedColorDepth scoped(depth);
        auto built = build(true);
        EXPECT_EQ(bitmap_color_depth(built->mask), depth);
        auto loaded = testsupport::load_level_file(save(*built));
        ASSERT_NE(loaded->undiggable, nullptr);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                ASSERT_EQ(loaded->IsSolid(x, y), solid_at(x, y)) << x << "," << y;
                ASSERT_EQ(getpixel(loaded->undiggable, x, y) == solid_colour(),
                          undiggable_at(x, y));
            }
        expect_bound_matches_mask(*loaded);
    }
}

TEST(Level, EmptyLevelHasNothing) {
    Level level;
    EXPECT_EQ(level.bound, nullptr);
    EXPECT_EQ(level.mask, nullptr);
    EXPECT_EQ(level.undiggable, nullptr);
    EXPECT_EQ(level.foreground, nullptr);
    EXPECT_EQ(level.background, nullptr);
    EXPECT_EQ(level.render, nullptr);
    EXPECT_EQ(level.width, 0);
    EXPECT_EQ(level.height, 0);
    // An empty level has no terrain to test or change.
    EXPECT_FALSE(level.IsSolid(0, 0));
    level.Dig(0, 0, 5);
    level.AddDirt(0, 0, 5);
    level.Update();
    EXPECT_EQ(level.mask, nullptr);
}

TEST(Level, CheckPIsOneForTheSolidColourOnly) {
    for (int depth : kDepths) {
        ScopedColorDepth scoped(depth);
        const int solid = makecol(255, 0, 255);
        EXPECT_EQ(Level::CheckP(0, 0, depth, solid), 1) << depth;
        EXPECT_EQ(Level::CheckP(-7, 12345, 3, solid), 1) << depth;
        EXPECT_EQ(Level::CheckP(0, 0, depth, makecol(0, 255, 0)), 0) << depth;
        EXPECT_EQ(Level::CheckP(0, 0, depth, -1), 0) << depth;
    }
    EXPECT_EQ(Level::CheckP(0, 0, 32, 0xFF00FF), 1);
    EXPECT_EQ(Level::CheckP(0, 0, 32, 0xFF00FE), 0);
}

TEST(Level, PointsOutsideTheLevelAreEmpty) {
    auto level = make_level(20, 10, [](int, int) { return true; });
    EXPECT_TRUE(level->IsSolid(0, 0));
    EXPECT_TRUE(level->IsSolid(19, 9));
    EXPECT_FALSE(level->IsSolid(-1, 0));
    EXPECT_FALSE(level->IsSolid(0, -1));
    EXPECT_FALSE(level->IsSolid(20, 0));
    EXPECT_FALSE(level->IsSolid(5, 10));
}

TEST(Level, DropToSolidStopsOnGroundOrAfterMaxSteps) {
    auto level = make_level(20, 20, [](int x, int y) { return y >= 12 && x < 10; });
    int x = 5, y = 12;
    level->DropToSolid(x, y, 3);  // already on solid ground
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 12);

    y = 10;
    level->DropToSolid(x, y, 3);  // ground two pixels down
    EXPECT_EQ(y, 12);

    x = 15, y = 2;
    level->DropToSolid(x, y, 3);  // nothing within reach
    EXPECT_EQ(x, 15);
    EXPECT_EQ(y, 5);

    x = 5, y = 9;
    level->DropToSolid(x, y, 3);  // ground exactly maxSteps down is not tested
    EXPECT_EQ(y, 12);
    EXPECT_FALSE(level->IsSolid(5, 11));

    y = 4;
    level->DropToSolid(x, y, 0);
    EXPECT_EQ(y, 4);
}

TEST(Level, TraceToSolidMarchesAlongTheAngle) {
    auto level = make_level(40, 40, [](int x, int y) { return x >= 14 || y >= 30; });
    int x = 10, y = 10;
    level->TraceToSolid(x, y, 0.0f, 10);
    EXPECT_EQ(x, 14);
    EXPECT_EQ(y, 10);

    x = 10, y = 10;
    level->TraceToSolid(x, y, 0.0f, 0);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 10);

    // Fewer steps than the distance: the last position is where the steps ran out.
    x = 2, y = 10;
    level->TraceToSolid(x, y, 0.0f, 5);
    EXPECT_EQ(x, 7);

    // +pi/2 points down in level coordinates. The float angle lies a hair beyond pi/2, so
    // x drifts below 5 by 4e-8 at the first step and truncates to 4.
    x = 5, y = 20;
    level->TraceToSolid(x, y, kPi / 2, 50);
    EXPECT_EQ(x, 4);
    EXPECT_EQ(y, 30);

    // Truncation towards zero on a diagonal: (3, 3) + k * (0.7071, 0.7071).
    x = 3, y = 3;
    level->TraceToSolid(x, y, kPi / 4, 100);
    EXPECT_EQ(x, 14);
    EXPECT_EQ(y, 14);
}

TEST(Level, CircleHitsTerrainTestsFourProbes) {
    clgo_circle* circle = clgo_create_circle(50, 50, 10.9f);  // radius truncates to 10
    struct Case {
        int x, y;
        bool below;
    };
    const Case hits[] = {{50, 61, true},  {40, 51, true},  {60, 51, true},  {50, 41, true},
                         {50, 60, false}, {40, 50, false}, {60, 50, false}, {50, 40, false}};
    for (const Case& c : hits) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " below " << c.below);
        auto level = make_level(100, 100, [&](int x, int y) { return x == c.x && y == c.y; });
        EXPECT_TRUE(level->CircleHitsTerrain(circle, c.below));
        EXPECT_FALSE(level->CircleHitsTerrain(circle, !c.below));
    }
    // Solid everywhere but the four probes: the inside of the circle is never looked at.
    auto ring = make_level(100, 100, [](int x, int y) {
        return !((x == 50 && (y == 61 || y == 41)) || (y == 51 && (x == 40 || x == 60)));
    });
    EXPECT_FALSE(ring->CircleHitsTerrain(circle, true));
    EXPECT_TRUE(ring->CircleHitsTerrain(circle, false));
    clgo_destroy_circle(circle);
}

TEST(Level, AddDirtIsSolidAtOnceAndLeavesThePictureForUpdate) {
    auto level = make_level(40, 40, [](int, int) { return false; });
    const int before = getpixel(level->render, 20, 20);
    level->AddDirt(20, 20, 2);
    EXPECT_TRUE(level->IsSolid(20, 20));
    EXPECT_TRUE(level->IsSolid(22, 20));
    EXPECT_TRUE(level->IsSolid(20, 18));
    EXPECT_FALSE(level->IsSolid(23, 20));
    EXPECT_FALSE(level->IsSolid(22, 22));
    EXPECT_EQ(getpixel(level->render, 20, 20), before);
    level->Update();
    EXPECT_EQ(getpixel(level->render, 20, 20), getpixel(level->foreground, 20, 20));
}

TEST(Level, DigEmptiesTheDiscWithAirColour) {
    auto level = make_level(40, 40, [](int, int) { return true; });
    level->Dig(20, 20, 5);
    EXPECT_EQ(getpixel(level->mask, 20, 20), air_colour());
    EXPECT_EQ(getpixel(level->mask, 25, 20), air_colour());
    EXPECT_EQ(getpixel(level->mask, 20, 15), air_colour());
    EXPECT_TRUE(level->IsSolid(26, 20));
    EXPECT_TRUE(level->IsSolid(24, 24));  // outside the disc, inside the square
}

TEST(Level, DigRestoresTheClippedSquareOfUndiggablePixels) {
    // Undiggable everywhere and no terrain: whatever the dig restores shows as solid.
    auto level = make_level(40, 40, [](int, int) { return false; }, [](int, int) { return true; });
    level->Dig(5, 5, 10);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(level->IsSolid(x, y), x <= 15 && y <= 15) << x << "," << y;
}

TEST(Level, UndiggablePixelsSurviveDiggingInEveryDepth) {
    ScopedPalette palette;
    for (int depth : kDepths) {
        SCOPED_TRACE(depth);
        ScopedColorDepth scoped(depth);
        auto level = make_level(
            40, 40, [](int, int) { return true; }, [](int x, int y) { return x == 20 || y == 30; });
        level->Dig(20, 28, 6);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x) {
                const int dx = x - 20, dy = y - 28;
                const bool in_disc = dx * dx + dy * dy <= 25;  // well inside radius 6
                const bool undiggable = x == 20 || y == 30;
                if (undiggable) {
                    ASSERT_TRUE(level->IsSolid(x, y)) << x << "," << y;
                } else if (in_disc) {
                    ASSERT_EQ(getpixel(level->mask, x, y), air_colour()) << x << "," << y;
                } else if (dx * dx + dy * dy > 49) {
                    ASSERT_TRUE(level->IsSolid(x, y)) << x << "," << y;
                }
            }
    }
}

TEST(Level, DigNearAndBeyondTheEdgesStaysInside) {
    auto level = make_level(30, 20, [](int, int) { return true; }, [](int x, int) { return x == 0; });
    level->Dig(0, 0, 4);
    level->Dig(29, 19, 30);
    level->Dig(-100, -100, 5);
    level->Dig(2147483600, 2147483600, 60);
    EXPECT_TRUE(level->IsSolid(0, 0));
    EXPECT_FALSE(level->IsSolid(28, 18));
}

// The picture rule: foreground where the mask is solid (background where the foreground
// holds the transparent colour), background over air, whatever the colour depth.
void expect_composed_by_rule(const Level& level) {
    int wrong = 0;
    for (int y = 0; y < level.height; ++y)
        for (int x = 0; x < level.width; ++x) {
            const int m = getpixel(level.mask, x, y);
            const int f = getpixel(level.foreground, x, y);
            const int b = getpixel(level.background, x, y);
            int want;
            if (m == solid_colour()) want = f == solid_colour() ? b : f;
            else if (m == air_colour()) want = b;
            else continue;
            if (getpixel(level.render, x, y) != want && ++wrong < 5)
                ADD_FAILURE() << "pixel " << x << "," << y << " is " << getpixel(level.render, x, y)
                              << ", wanted " << want;
        }
    EXPECT_EQ(wrong, 0);
}

TEST(Level, ComposedPictureShowsForegroundOverSolidAndBackgroundOverAirInEveryDepth) {
    ScopedPalette palette;
    for (int depth : kDepths) {
        SCOPED_TRACE(depth);
        ScopedColorDepth scoped(depth);
        auto level = make_level(64, 48, [](int x, int y) { return (x / 4 + y / 3) % 3 != 0; });
        // Holes in the foreground picture let the background through.
        putpixel(level->foreground, 10, 10, solid_colour());
        putpixel(level->foreground, 11, 10, solid_colour());
        level->Update();
        expect_composed_by_rule(*level);
        ASSERT_TRUE(level->IsSolid(10, 10));
        EXPECT_EQ(getpixel(level->render, 10, 10), getpixel(level->background, 10, 10));

        // Dug space shows the background after the next update.
        level->Dig(30, 20, 8);
        level->AddDirt(50, 40, 3);
        level->Update();
        expect_composed_by_rule(*level);
        EXPECT_EQ(getpixel(level->render, 30, 20), getpixel(level->background, 30, 20));
        EXPECT_EQ(getpixel(level->render, 50, 40), getpixel(level->foreground, 50, 40));
    }
}

// The composition as a sequence of library calls: complement the foreground, copy the
// mask over it (its solid pixels are the transparent ones), complement again, and lay
// the result over the background. Valid as a reference in 16 and 24 bits, where every
// bit of a pixel carries colour.
void compose_by_inversion(const Level& level, BITMAP* out) {
    const int w = level.render->w, h = level.render->h;
    BITMAP* temp = create_bitmap(w, h);
    xor_mode(TRUE);
    blit(level.foreground, temp, 0, 0, 0, 0, w, h);
    rectfill(temp, 0, 0, w, h, -1);
    masked_blit(level.mask, temp, 0, 0, 0, 0, w, h);
    rectfill(temp, 0, 0, w, h, -1);
    xor_mode(FALSE);
    blit(level.background, out, 0, 0, 0, 0, w, h);
    masked_blit(temp, out, 0, 0, 0, 0, w, h);
    destroy_bitmap(temp);
}

TEST(Level, UpdateGivesTheInversionPictureIn16And24Bits) {
    for (int depth : {16, 24}) {
        SCOPED_TRACE(depth);
        ScopedColorDepth scoped(depth);
        auto level = make_level(50, 40, [](int x, int y) { return (x * 7 + y * 3) % 5 < 3; });
        // Third mask colours, and foreground pixels of the transparent colour.
        for (int i = 0; i < 40; ++i) {
            putpixel(level->mask, i, (i * 3) % 40, makecol(10 + i * 5, 200 - i * 3, 90));
            putpixel(level->foreground, (i * 7) % 50, i, solid_colour());
        }
        level->Dig(25, 20, 6);
        level->Update();
        BITMAP* want = create_bitmap(50, 40);
        compose_by_inversion(*level, want);
        expect_same_pixels(level->render, want, "render");
        destroy_bitmap(want);
    }
}

TEST(Level, ThirdMaskColoursShowTheirComplementInEveryTrueColourDepth) {
    for (int depth : {15, 16, 24, 32}) {
        SCOPED_TRACE(depth);
        ScopedColorDepth scoped(depth);
        auto level = make_level(8, 8, [](int, int) { return false; });
        putpixel(level->mask, 3, 3, makecol(255, 255, 0));
        level->Update();
        EXPECT_EQ(getpixel(level->render, 3, 3), makecol(0, 0, 255));
    }
}

TEST(Level, DrawCopiesTheComposedPicture) {
    auto level = make_level(30, 20, [](int x, int) { return x >= 15; });
    BITMAP* target = create_bitmap(10, 10);
    clear_to_color(target, makecol(1, 2, 3));
    level->Draw(target, 12, 5, 2, 3, 6, 4);
    EXPECT_EQ(getpixel(target, 2, 3), getpixel(level->render, 12, 5));
    EXPECT_EQ(getpixel(target, 7, 6), getpixel(level->render, 17, 8));
    EXPECT_EQ(getpixel(target, 8, 6), makecol(1, 2, 3));
    EXPECT_EQ(getpixel(target, 1, 3), makecol(1, 2, 3));
    destroy_bitmap(target);
}

// Recomposing only what Dig, AddDirt and Paint recorded must give, after every step of
// many random changes, the very picture a whole recomposition gives: two copies of one
// level take the same changes, one recomposes its regions, the other all of it.
TEST(Level, RecomposingTheChangedRegionsEqualsAWholeUpdateOverManyRandomSteps) {
    ScopedPalette palette;
    for (int depth : kDepths) {
        SCOPED_TRACE(depth);
        ScopedColorDepth scoped(depth);
        const auto solid = [](int x, int y) { return (x / 5 + y / 4) % 3 != 0; };
        const auto undiggable = [](int x, int y) { return (x * 13 + y * 7) % 23 == 0; };
        auto regions = make_level(97, 61, solid, undiggable);
        auto whole = make_level(97, 61, solid, undiggable);
        std::mt19937 rng(static_cast<unsigned>(depth));
        auto pick = [&](int lo, int hi) { return lo + static_cast<int>(rng() % (hi - lo + 1)); };
        // Third mask colours, shown complemented, where the changes will meet them.
        for (int i = 0; i < 200; ++i) {
            const int x = pick(0, 96), y = pick(0, 60);
            const int c = makecol(pick(0, 255), 200, pick(0, 255));
            putpixel(regions->mask, x, y, c);
            putpixel(whole->mask, x, y, c);
        }
        regions->Update();
        whole->Update();
        int changes = 0;
        for (int step = 0; step < 250; ++step) {
            // Most steps change a little, some nothing, every 50th more than the level
            // keeps apart.
            const int count = step % 50 == 49 ? 40 : pick(0, 3);
            for (int i = 0; i < count; ++i, ++changes) {
                // Centres and radii also beyond the edges, radii also negative.
                const int x = pick(-20, 116), y = pick(-20, 80), r = pick(-3, 34);
                switch (pick(0, 2)) {
                case 0:
                    regions->Dig(x, y, r);
                    whole->Dig(x, y, r);
                    break;
                case 1:
                    regions->AddDirt(x, y, r);
                    whole->AddDirt(x, y, r);
                    break;
                default: {
                    // Painted terrain, as a dirt clod does, sometimes with a hole of the
                    // transparent colour that lets the background through.
                    const int c = pick(0, 4) == 0 ? solid_colour()
                                                  : makecol(pick(0, 255), pick(0, 255), 7);
                    regions->Paint(x, y, r, c);
                    whole->Paint(x, y, r, c);
                    break;
                }
                }
            }
            regions->UpdateChanged();
            whole->Update();
            SCOPED_TRACE(testing::Message() << "step " << step);
            expect_same_pixels(regions->render, whole->render, "render");
            if (HasFailure()) return;
        }
        EXPECT_GT(changes, 300);
    }
}

TEST(Level, RecomposingTheChangedRegionsLeavesTheRestOfThePictureAlone) {
    auto level = make_level(60, 40, [](int x, int) { return x >= 30; });
    const unsigned long whole = level->WholeRecompositions();
    // Only the recorded regions are redrawn, which is what makes it cheap: a change nobody
    // recorded, then a recorded dig elsewhere, and only the dig shows.
    putpixel(level->mask, 5, 5, solid_colour());
    level->Dig(45, 20, 4);
    level->UpdateChanged();
    EXPECT_EQ(getpixel(level->render, 45, 20), getpixel(level->background, 45, 20));
    EXPECT_EQ(getpixel(level->render, 5, 5), getpixel(level->background, 5, 5));
    // With nothing recorded nothing is recomposed, and a whole update forgets the record.
    level->UpdateChanged();
    EXPECT_EQ(getpixel(level->render, 5, 5), getpixel(level->background, 5, 5));
    EXPECT_EQ(whole, level->WholeRecompositions());
    level->AddDirt(10, 30, 2);
    level->Update();
    EXPECT_EQ(getpixel(level->render, 5, 5), getpixel(level->foreground, 5, 5));
    EXPECT_EQ(whole + 1, level->WholeRecompositions());
    putpixel(level->mask, 20, 5, solid_colour());
    level->UpdateChanged();
    EXPECT_EQ(getpixel(level->render, 20, 5), getpixel(level->background, 20, 5));
}

// A change wholly outside the level changes nothing and records nothing: no revision, no
// region, and no recomposition of the whole picture.
TEST(Level, ChangedRegionsOutsideTheLevelOrOnAnEmptyLevelAreHarmless) {
    auto level = make_level(30, 20, [](int, int) { return false; });
    const unsigned long revision = level->Revision();
    const unsigned long whole = level->WholeRecompositions();
    level->Paint(-50, -50, 20, makecol(1, 2, 3));
    level->Dig(15, -40, 30);  // a blast above the top
    level->Dig(100000, 100000, 50);
    level->AddDirt(-100000, 5, -40);
    level->UpdateChanged();
    EXPECT_EQ(revision, level->Revision());
    EXPECT_EQ(whole, level->WholeRecompositions());
    EXPECT_EQ(getpixel(level->render, 0, 0), getpixel(level->background, 0, 0));
    level->Paint(3, 3, 1, makecol(1, 2, 3));
    EXPECT_EQ(revision + 1, level->Revision());
    Level empty;
    empty.Paint(5, 5, 5, 0);
    empty.UpdateChanged();
    EXPECT_EQ(empty.render, nullptr);
}

}  // namespace
