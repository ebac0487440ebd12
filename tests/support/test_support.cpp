#include "support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <utility>

#include "collision/clgo.h"
#include "level/level.h"

#if defined(__SANITIZE_ADDRESS__)
#define VORLIN_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VORLIN_TEST_ASAN 1
#endif
#endif
#ifdef VORLIN_TEST_ASAN
// The sanitizer's allocator keeps the heap; GCC ships no header for this query.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace testsupport {

TempDir::TempDir() {
    char pattern[] = "/tmp/vorlin-test-XXXXXX";
    if (!mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    // A test may have taken the write bit away to simulate a read-only folder.
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

ScopedChdir::ScopedChdir(const std::string& dir) {
    old_ = std::filesystem::current_path().string();
    std::filesystem::current_path(dir);
}

ScopedChdir::~ScopedChdir() {
    std::error_code ec;
    std::filesystem::current_path(old_, ec);
}

ScopedColorDepth::ScopedColorDepth(int depth) : old_(get_color_depth()) {
    set_color_depth(depth);
}

ScopedColorDepth::~ScopedColorDepth() { set_color_depth(old_); }

std::unique_ptr<Level> make_level(int w, int h, const SolidFn& solid,
                                  const SolidFn& undiggable) {
    auto level = std::make_unique<Level>();
    level->mask = create_bitmap(w, h);
    level->foreground = create_bitmap(w, h);
    level->background = create_bitmap(w, h);
    level->render = create_bitmap(w, h);
    if (undiggable) level->undiggable = create_bitmap(w, h);
    const int solid_c = solid_colour();
    const int air_c = air_colour();
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            putpixel(level->mask, x, y, solid && solid(x, y) ? solid_c : air_c);
            // Patterns that never produce the transparent colour.
            putpixel(level->foreground, x, y, makecol(100 + x % 50, 60 + y % 40, 20));
            putpixel(level->background, x, y, makecol(20, 40 + y % 60, 150 + x % 60));
            if (undiggable)
                putpixel(level->undiggable, x, y, undiggable(x, y) ? solid_c : air_c);
        }
    }
    level->bound = clgo_create_custom_bitmask(0, 0, level->mask, &Level::CheckP);
    level->width = w;
    level->height = h;
    level->Update();
    return level;
}

void adopt_level(Level& into, Level& from) {
    std::swap(into.mask, from.mask);
    std::swap(into.undiggable, from.undiggable);
    std::swap(into.foreground, from.foreground);
    std::swap(into.background, from.background);
    std::swap(into.render, from.render);
    std::swap(into.bound, from.bound);
    std::swap(into.width, from.width);
    std::swap(into.height, from.height);
}

Bitmap::Bitmap(int w, int h, int colour) : bmp_(create_bitmap(w, h)) {
    if (!bmp_) throw std::runtime_error("cannot create a test bitmap");
    clear_to_color(bmp_, colour);
}

Bitmap::~Bitmap() { destroy_bitmap(bmp_); }

std::string bitmap_difference(BITMAP* actual, BITMAP* expected, int y0, int y1) {
    if (!actual || !expected) return "a bitmap is missing";
    if (actual->w != expected->w || actual->h != expected->h) return "sizes differ";
    if (y1 < 0) y1 = actual->h;
    for (int y = y0; y < y1; ++y)
        for (int x = 0; x < actual->w; ++x)
            if (getpixel(actual, x, y) != getpixel(expected, x, y))
                return "first difference at (" + std::to_string(x) + ", " + std::to_string(y) + ")";
    return "";
}

void draw_text(BITMAP* bmp, const std::string& s, int x, int y) {
    textout_ex(bmp, font, s.c_str(), x, y, -1, _textmode);
}

void paint_busy_picture(BITMAP* bmp) {
    for (int y = 0; y < bmp->h; ++y)
        for (int x = 0; x < bmp->w; ++x)
            putpixel(bmp, x, y,
                     makecol32((x * 37 + y * 11) & 255, (x * 5 + y * 71) & 255, (x ^ y) & 255));
}

void save_bitmap_file(const std::string& path, BITMAP* bmp) {
    if (save_bitmap(path.c_str(), bmp, nullptr) != 0)
        throw std::runtime_error("cannot save " + path);
}

void save_level_file(const std::string& path, const Level& level) {
    PACKFILE* pf = pack_fopen(path.c_str(), "wp");
    if (!pf) throw std::runtime_error("cannot create " + path);
    const bool saved = level.Save(pf);
    pack_fclose(pf);
    if (!saved) throw std::runtime_error("cannot save the level into " + path);
}

std::unique_ptr<Level> load_level_file(const std::string& path) {
    PACKFILE* pf = pack_fopen(path.c_str(), "rp");
    if (!pf) throw std::runtime_error("cannot open " + path);
    auto level = std::make_unique<Level>();
    level->Load(pf);
    pack_fclose(pf);
    return level;
}

void save_level_bitmaps(const std::string& folder, const Level& level) {
    save_bitmap_file(folder + "/mask.bmp", level.mask);
    save_bitmap_file(folder + "/fore.bmp", level.foreground);
    save_bitmap_file(folder + "/back.bmp", level.background);
    if (level.undiggable) save_bitmap_file(folder + "/undiggable.bmp", level.undiggable);
}

std::string file_bytes_of(BITMAP* bmp, const std::string& name) {
    TempDir dir;
    save_bitmap_file(dir.file(name), bmp);
    return read_file(dir.file(name));
}

void set_le16(std::string& bytes, std::size_t at, unsigned v) {
    bytes[at] = static_cast<char>(v & 0xFF);
    bytes[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

ScopedForkingDeathTests::ScopedForkingDeathTests()
    : old_(::testing::GTEST_FLAG(death_test_style)) {
    ::testing::GTEST_FLAG(death_test_style) = "fast";
}

ScopedForkingDeathTests::~ScopedForkingDeathTests() {
    ::testing::GTEST_FLAG(death_test_style) = old_;
}

ScopedConfig::ScopedConfig(const std::string& contents) {
    write_file(path(), contents);
    set_config_file(path().c_str());
}

ScopedConfig::~ScopedConfig() {
    // Detach from the file before the folder goes.
    set_config_data("", 0);
}

std::size_t heap_in_use() {
#ifdef VORLIN_TEST_ASAN
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

}  // namespace testsupport
