#ifndef VORLIN_FUZZ_FUZZ_SUPPORT_H
#define VORLIN_FUZZ_FUZZ_SUPPORT_H

#include <cstddef>
#include <cstdint>
#include <string>

struct PACKFILE;

// What the fuzz targets share: the library set up once without a platform driver, the
// assertion report turned into an exception, and a private folder for the files the
// targets hand to the game's loaders.
namespace fuzz {

// Thrown instead of the assertion report: the game refused the input, which is the
// correct outcome for most inputs and no finding.
struct Refused {
    std::string where;
    std::string expression;
};

// The colour depths a level can be played in; every input is tried in each.
constexpr int kDepths[] = {8, 15, 16, 24, 32};

// Once per process: Allegro with SYSTEM_NONE, the throwing assertion handler, the folder.
void init();

// Writes `size` bytes to `name` inside the private folder and returns the path. Aborts
// when the file cannot be written (a broken harness, not a finding).
std::string write_file(const char* name, const std::uint8_t* data, std::size_t size);

// Writes `content` as a packed packfile ("wp"), which is how the game's level files look
// on disk, and returns the path.
std::string write_packed_file(const char* name, const std::uint8_t* data, std::size_t size);

// A broken invariant after the game accepted an input: that is a finding.
[[noreturn]] void fail(const char* what);

// Sets the colour depth of new bitmaps for one scope.
class Depth {
public:
    explicit Depth(int depth);
    ~Depth();
    Depth(const Depth&) = delete;
    Depth& operator=(const Depth&) = delete;

private:
    int old_;
};

// Closes a packfile at the end of the scope, also when the game's loader throws.
class PackfileCloser {
public:
    explicit PackfileCloser(PACKFILE* pf) : pf_(pf) {}
    ~PackfileCloser();
    PackfileCloser(const PackfileCloser&) = delete;
    PackfileCloser& operator=(const PackfileCloser&) = delete;

private:
    PACKFILE* pf_;
};

}  // namespace fuzz

// The libFuzzer entry point each target defines; the replay program calls it too.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

#endif
