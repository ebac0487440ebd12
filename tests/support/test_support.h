#ifndef VORLIN_TESTS_TEST_SUPPORT_H
#define VORLIN_TESTS_TEST_SUPPORT_H

#include <functional>
#include <memory>
#include <string>

struct BITMAP;
class Level;

namespace testsupport {

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
// where they first differ.
std::string bitmap_difference(BITMAP* actual, BITMAP* expected, int y0 = 0, int y1 = -1);

// Paints a picture in which no two neighbouring pixels are alike, so that anything drawn
// or restored one pixel off shows.
void paint_busy_picture(BITMAP* bmp);

// Writes a bitmap file (the format follows the extension).
void save_bitmap_file(const std::string& path, BITMAP* bmp);

// Reads a whole file; empty when it cannot be read.
std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);

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

}  // namespace testsupport

#endif
