#include "fuzz_support.h"

#include <allegro.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "base/assertion.h"

namespace fuzz {

namespace {

std::string folder;

[[noreturn]] void throw_refused(const char* file, int line, const char* function,
                                const char* expression) {
    throw Refused{std::string(file ? file : "?") + ":" + std::to_string(line) + " in " +
                      (function ? function : "?"),
                  expression ? expression : ""};
}

void remove_folder() {
    std::error_code ec;
    if (!folder.empty()) std::filesystem::remove_all(folder, ec);
}

}  // namespace

void init() {
    static bool done = false;
    if (done) return;
    done = true;
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) fail("install_allegro");
    set_color_depth(32);
    set_assertion_handler(throw_refused);
    char pattern[] = "/tmp/vorlin-fuzz-XXXXXX";
    if (!mkdtemp(pattern)) fail("mkdtemp");
    folder = pattern;
    std::atexit(remove_folder);
}

std::string write_file(const char* name, const std::uint8_t* data, std::size_t size) {
    const std::string path = folder + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) fail("cannot create the input file");
    const bool ok = (size == 0 || std::fwrite(data, 1, size, f) == size);
    if (std::fclose(f) != 0 || !ok) fail("cannot write the input file");
    return path;
}

std::string write_packed_file(const char* name, const std::uint8_t* data, std::size_t size) {
    const std::string path = folder + "/" + name;
    PACKFILE* pf = pack_fopen(path.c_str(), "wp");
    if (!pf) fail("cannot create the packed input file");
    const long n = long(size);
    const bool ok = n == 0 || pack_fwrite(data, n, pf) == n;
    if (pack_fclose(pf) != 0 || !ok) fail("cannot write the packed input file");
    return path;
}

void fail(const char* what) {
    std::fprintf(stderr, "fuzz harness: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

Depth::Depth(int depth) : old_(get_color_depth()) { set_color_depth(depth); }

Depth::~Depth() { set_color_depth(old_); }

PackfileCloser::~PackfileCloser() {
    if (pf_) pack_fclose(pf_);
}

}  // namespace fuzz
