#ifndef VORLIN_TESTS_TEST_SUPPORT_H
#define VORLIN_TESTS_TEST_SUPPORT_H

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

struct BITMAP;
class Level;

namespace testsupport {

// The default logic step: 1/60 s as the game computes it, in single precision.
constexpr double kStepDt = 0.01666666753590107;

// A fresh folder under /tmp, removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Runs the test body in `dir` and returns to the former working directory afterwards.
class ScopedChdir {
public:
    explicit ScopedChdir(const std::string& dir);
    ~ScopedChdir();

private:
    std::string old_;
};

// Sets the colour depth for new bitmaps and restores the former one.
class ScopedColorDepth {
public:
    explicit ScopedColorDepth(int depth);
    ~ScopedColorDepth();

private:
    int old_;
};

// Solid-or-air map of a test level, in level pixels.
using SolidFn = std::function<bool(int x, int y)>;

// A level built in memory at the current colour depth: the mask holds the solid colour
// where `solid` says so and the air colour elsewhere; the foreground and background are
// distinct flat-ish patterns; `undiggable`, when given, marks the undiggable map.
std::unique_ptr<Level> make_level(int w, int h, const SolidFn& solid,
                                  const SolidFn& undiggable = nullptr);

// Moves the bitmaps and bitmask of `from` into `into` (the game's own level, which is held
// by value), leaving `from` with whatever `into` held.
void adopt_level(Level& into, Level& from);

// An owned memory bitmap of the current colour depth, cleared to one colour.
class Bitmap {
public:
    Bitmap(int w, int h, int colour = 0);
    ~Bitmap();
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;
    operator BITMAP*() const { return bmp_; }
    BITMAP* get() const { return bmp_; }

private:
    BITMAP* bmp_;
};

// Empty when rows [y0, y1) of both bitmaps are equal (y1 < 0: to the bottom); otherwise
// where they first differ, or that one is missing or their sizes differ.
std::string bitmap_difference(BITMAP* actual, BITMAP* expected, int y0 = 0, int y1 = -1);

// Text as the console and its streams draw it: the text colour -1 on the library's text
// background.
void draw_text(BITMAP* bmp, const std::string& s, int x, int y);

// Paints a picture in which no two neighbouring pixels are alike, so that anything drawn
// or restored one pixel off shows.
void paint_busy_picture(BITMAP* bmp);

// Writes a bitmap file (the format follows the extension).
void save_bitmap_file(const std::string& path, BITMAP* bmp);

// Packs `level` into a level file at `path`.
void save_level_file(const std::string& path, const Level& level);
// The level a packed level file holds.
std::unique_ptr<Level> load_level_file(const std::string& path);
// The level's pictures as the level builder reads them from `folder`: mask.bmp, fore.bmp,
// back.bmp and, when the level has one, undiggable.bmp.
void save_level_bitmaps(const std::string& folder, const Level& level);

// The bytes of `bmp` saved as a file named `name` (the format follows the extension).
std::string file_bytes_of(BITMAP* bmp, const std::string& name);
// Stores v as two bytes, low byte first, at `at`: a header field of a TGA or BMP.
void set_le16(std::string& bytes, std::size_t at, unsigned v);

// Reads a whole file; empty when it cannot be read.
std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);

// Death tests fork at the statement while this lives, so that the child works on the files
// the test made and the test's own folders are cleaned up once, by the test (a re-run of
// the test in a new process would leave a folder behind for every report).
class ScopedForkingDeathTests {
public:
    ScopedForkingDeathTests();
    ~ScopedForkingDeathTests();
    ScopedForkingDeathTests(const ScopedForkingDeathTests&) = delete;
    ScopedForkingDeathTests& operator=(const ScopedForkingDeathTests&) = delete;

private:
    std::string old_;
};

// Private configuration for one test: an empty in-memory override of "vorlin.ini".
// Values set through Allegro's config routines land in a file inside a TempDir.
class ScopedConfig {
public:
    explicit ScopedConfig(const std::string& contents = "");
    ~ScopedConfig();
    std::string path() const { return dir_.file("vorlin.ini"); }

private:
    TempDir dir_;
};

// Bytes the heap holds for the program (the sanitizer's allocator when there is one).
std::size_t heap_in_use();

}  // namespace testsupport

#endif
