#include "level/image_check.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "support/test_support.h"

using testsupport::bitmap_difference;
using testsupport::file_bytes_of;
using testsupport::read_file;
using testsupport::set_le16;
using testsupport::ScopedColorDepth;
using testsupport::TempDir;
using testsupport::write_file;

namespace {

using Bytes = std::string;

const unsigned char* u8(const Bytes& b) { return reinterpret_cast<const unsigned char*>(b.data()); }

void set32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = char(v >> (8 * i));
}

// A picture with distinct pixels, at the current colour depth.
BITMAP* picture(int w, int h) {
    BITMAP* bmp = create_bitmap(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) putpixel(bmp, x, y, makecol(x * 40, y * 50, 255 - x * 20));
    return bmp;
}

bool tga_ok(const Bytes& b, std::string* why = nullptr) {
    std::string reason;
    return check_tga_image(u8(b), b.size(), why ? why : &reason);
}

bool bmp_ok(const Bytes& b, std::string* why = nullptr) {
    std::string reason;
    return check_bmp_image(u8(b), b.size(), why ? why : &reason);
}

class TgaCheck : public ::testing::Test {
protected:
    void SetUp() override {
        BITMAP* bmp = picture(5, 3);
        tga_ = file_bytes_of(bmp, "p.tga");
        destroy_bitmap(bmp);
        ASSERT_EQ(tga_.size(), 18u + 5 * 3 * 4);
    }
    Bytes tga_;  // 5 x 3, 32 bits, as save_tga_pf writes it
};

TEST_F(TgaCheck, AcceptsWhatTheGameWritesInEveryDepth) {
    for (int depth : {8, 15, 16, 24, 32}) {
        SCOPED_TRACE(depth);
        ScopedColorDepth scoped(depth);
        BITMAP* bmp = picture(7, 4);
        const Bytes tga = file_bytes_of(bmp, "p.tga");
        std::string why;
        EXPECT_TRUE(tga_ok(tga, &why)) << why;
        BITMAP* back = decode_tga_image(u8(tga), tga.size(), &why);
        if (depth != 16) {  // 16-bit pixels are stored with 5 bits of green
            EXPECT_EQ(bitmap_difference(back, bmp), "");
        } else {
            ASSERT_NE(back, nullptr);
            EXPECT_EQ(back->w, 7);
        }
        if (back) destroy_bitmap(back);
        destroy_bitmap(bmp);
    }
}

TEST_F(TgaCheck, DataMustHoldEveryPixel) {
    EXPECT_TRUE(tga_ok(tga_));
    EXPECT_TRUE(tga_ok(tga_ + "trailing bytes are harmless"));
    std::string why;
    EXPECT_FALSE(tga_ok(tga_.substr(0, tga_.size() - 1), &why));
    EXPECT_EQ(why, "TGA data truncated: 77 of 78 bytes");
    EXPECT_FALSE(tga_ok(tga_.substr(0, 17), &why));
    EXPECT_EQ(why, "TGA header truncated");
    EXPECT_FALSE(check_tga_image(nullptr, 0, &why));

    Bytes lying = tga_;
    set_le16(lying, 12, 6);  // one column more than the data holds
    EXPECT_FALSE(tga_ok(lying));
}

TEST_F(TgaCheck, RefusesWhatTheLoaderWouldTrust) {
    std::string why;
    Bytes b = tga_;
    b[0] = 1;  // an image ID
    EXPECT_FALSE(tga_ok(b + "x", &why));
    EXPECT_EQ(why, "TGA image ID not supported");

    b = tga_;
    b[2] = 10;  // run-length true colour
    EXPECT_FALSE(tga_ok(b, &why));
    EXPECT_EQ(why, "run-length TGA not supported");

    b = tga_;
    b[2] = 3;  // grey scale
    EXPECT_FALSE(tga_ok(b, &why));
    EXPECT_EQ(why, "TGA image type 3 not supported");

    b = tga_;
    b[16] = 12;
    EXPECT_FALSE(tga_ok(b, &why));
    EXPECT_EQ(why, "TGA with 12 bits per pixel");

    b = tga_;
    b[1] = 1;  // a palette on a true-colour image
    set_le16(b, 5, 2);
    b[7] = 24;
    EXPECT_FALSE(tga_ok(b + Bytes(6, '\0'), &why));
    EXPECT_EQ(why, "true-colour TGA with a palette");

    for (auto [w, h] : {std::pair{0, 3}, {5, 0}, {16385, 1}, {1, 16385}, {16384, 16384}, {32768, 32769}}) {
        b = tga_;
        set_le16(b, 12, unsigned(w));
        set_le16(b, 14, unsigned(h));
        EXPECT_FALSE(tga_ok(b + Bytes(100000, '\0'), &why)) << w << "x" << h;
        EXPECT_NE(why.find("image size"), std::string::npos) << why;
    }
}

TEST_F(TgaCheck, PaletteImagesNeedExactly256EntriesOf24Bits) {
    ScopedColorDepth scoped(8);
    BITMAP* bmp = picture(4, 4);
    const Bytes good = file_bytes_of(bmp, "p.tga");
    destroy_bitmap(bmp);
    ASSERT_EQ(good[2], 1);
    EXPECT_TRUE(tga_ok(good));

    std::string why;
    Bytes b = good;
    set_le16(b, 5, 300);  // the loader reads these into 256 entries on its stack
    EXPECT_FALSE(tga_ok(b + Bytes(132, '\0'), &why));
    EXPECT_EQ(why, "TGA palette other than 256 entries of 24 bits");
    b = good;
    set_le16(b, 5, 16);
    EXPECT_FALSE(tga_ok(b, &why));
    b = good;
    b[7] = 16;
    EXPECT_FALSE(tga_ok(b, &why));
    b = good;
    set_le16(b, 3, 1);  // first entry 1
    EXPECT_FALSE(tga_ok(b, &why));
    b = good;
    b[16] = 16;
    EXPECT_FALSE(tga_ok(b, &why));
    EXPECT_EQ(why, "palette TGA with 16 bits");
    // The palette counts towards the size.
    EXPECT_FALSE(tga_ok(good.substr(0, good.size() - 1)));
}

class BmpCheck : public ::testing::Test {
protected:
    void SetUp() override {
        BITMAP* bmp = picture(5, 3);
        bmp_ = file_bytes_of(bmp, "p.bmp");
        destroy_bitmap(bmp);
        // 24 bits, rows of 15 bytes padded to 16.
        ASSERT_EQ(bmp_.size(), 54u + 16 * 3);
    }
    Bytes bmp_;
};

TEST_F(BmpCheck, AcceptsWhatTheGameWritesAndDecodesItLikeTheLibrary) {
    for (int depth : {8, 32}) {
        SCOPED_TRACE(depth);
        ScopedColorDepth scoped(depth);
        TempDir dir;
        BITMAP* bmp = picture(6, 5);
        testsupport::save_bitmap_file(dir.file("p.bmp"), bmp);
        const Bytes bytes = read_file(dir.file("p.bmp"));
        std::string why;
        EXPECT_TRUE(bmp_ok(bytes, &why)) << why;
        BITMAP* by_library = load_bitmap(dir.file("p.bmp").c_str(), nullptr);
        BITMAP* checked = load_checked_bitmap(dir.file("p.bmp"), &why);
        EXPECT_EQ(bitmap_difference(checked, by_library), "");
        EXPECT_EQ(bitmap_difference(checked, bmp), "");
        destroy_bitmap(checked);
        destroy_bitmap(by_library);
        destroy_bitmap(bmp);
    }
}

TEST_F(BmpCheck, RowsMustFitTheFile) {
    EXPECT_TRUE(bmp_ok(bmp_));
    std::string why;
    EXPECT_FALSE(bmp_ok(bmp_.substr(0, bmp_.size() - 1), &why));
    EXPECT_EQ(why, "BMP data truncated: 101 of 102 bytes");
    Bytes b = bmp_;
    set32(b, 10, 60);  // pixel offset moved on: the last row no longer fits
    EXPECT_FALSE(bmp_ok(b));
    b = bmp_;
    set32(b, 10, 20);
    EXPECT_FALSE(bmp_ok(b, &why));
    EXPECT_EQ(why, "BMP pixel offset inside its headers");
    EXPECT_FALSE(bmp_ok(bmp_.substr(0, 53), &why));
    EXPECT_EQ(why, "BMP header truncated");
}

TEST_F(BmpCheck, RefusesWhatTheLoaderWouldTrust) {
    std::string why;
    Bytes b = bmp_;
    b[0] = 'X';
    EXPECT_FALSE(bmp_ok(b, &why));
    EXPECT_EQ(why, "not a BMP file");

    for (std::uint32_t compression : {1u, 2u, 3u}) {
        b = bmp_;
        set32(b, 30, compression);
        EXPECT_FALSE(bmp_ok(b, &why));
        EXPECT_EQ(why, "compressed BMP not supported");
    }

    b = bmp_;
    set32(b, 22, std::uint32_t(-3));
    EXPECT_FALSE(bmp_ok(b, &why));
    EXPECT_EQ(why, "top-down BMP not supported");

    b = bmp_;
    set32(b, 14, 108);
    EXPECT_FALSE(bmp_ok(b, &why));
    EXPECT_EQ(why, "BMP info header not supported");

    for (unsigned bpp : {1u, 4u, 16u, 0u, 7u}) {
        b = bmp_;
        set_le16(b, 28, bpp);
        EXPECT_FALSE(bmp_ok(b + Bytes(2000, '\0'), &why)) << bpp;
    }

    for (auto [w, h] : {std::pair{0, 3}, {5, 0}, {16385, 1}, {32768, 32769}}) {
        b = bmp_;
        set32(b, 18, std::uint32_t(w));
        set32(b, 22, std::uint32_t(h));
        EXPECT_FALSE(bmp_ok(b, &why)) << w << "x" << h;
        EXPECT_NE(why.find("image size"), std::string::npos) << why;
    }
}

TEST_F(BmpCheck, EightBitImagesNeedTheirWholePalette) {
    ScopedColorDepth scoped(8);
    BITMAP* bmp = picture(4, 4);
    const Bytes good = file_bytes_of(bmp, "p.bmp");
    destroy_bitmap(bmp);
    EXPECT_TRUE(bmp_ok(good));
    std::string why;
    Bytes b = good;
    set32(b, 46, 16);  // only 16 entries: the rest of the loader's palette stays unset
    EXPECT_FALSE(bmp_ok(b, &why));
    EXPECT_EQ(why, "BMP palette other than 256 entries");
    b = good;
    set32(b, 10, 54 + 16 * 4);
    EXPECT_FALSE(bmp_ok(b, &why));
    EXPECT_EQ(why, "BMP pixel offset inside its headers");
}

TEST(LoadCheckedBitmap, ChoosesByExtensionAndRefusesTheRest) {
    TempDir dir;
    BITMAP* bmp = picture(4, 3);
    testsupport::save_bitmap_file(dir.file("a.BMP"), bmp);
    testsupport::save_bitmap_file(dir.file("b.tga"), bmp);
    testsupport::save_bitmap_file(dir.file("c.pcx"), bmp);
    write_file(dir.file("d.tga"), read_file(dir.file("a.BMP")));  // a BMP named .tga

    std::string why;
    BITMAP* a = load_checked_bitmap(dir.file("a.BMP"), &why);
    EXPECT_EQ(bitmap_difference(a, bmp), "");
    BITMAP* b = load_checked_bitmap(dir.file("b.tga"), &why);
    EXPECT_EQ(bitmap_difference(b, bmp), "");
    destroy_bitmap(a);
    destroy_bitmap(b);

    EXPECT_EQ(load_checked_bitmap(dir.file("c.pcx"), &why), nullptr);
    EXPECT_EQ(why, "unsupported image type \"pcx\"");
    EXPECT_EQ(load_checked_bitmap(dir.file("d.tga"), &why), nullptr);
    EXPECT_EQ(load_checked_bitmap(dir.file("missing.bmp"), &why), nullptr);
    EXPECT_EQ(why, "cannot open the file");
    EXPECT_EQ(load_checked_bitmap(dir.path() + "/no_extension", &why), nullptr);
    destroy_bitmap(bmp);
}

}  // namespace
