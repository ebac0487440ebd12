// vorlin_bench --level-dir=DIR [Google Benchmark flags]
//
// DIR holds the default level's bitmaps as levelgen writes them; "map.lvl" is built
// there when missing. ./bench.sh at the top of the repository does all of this.

#include <allegro.h>
#include <benchmark/benchmark.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench_world.h"

int main(int argc, char** argv) {
    std::vector<char*> args;
    std::string dir;
    if (const char* env = std::getenv("VORLIN_LEVEL_DIR")) dir = env;
    const char* const flag = "--level-dir=";
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], flag, std::strlen(flag)) == 0)
            dir = argv[i] + std::strlen(flag);
        else
            args.push_back(argv[i]);
    }
    if (dir.empty()) {
        std::fprintf(stderr, "usage: %s --level-dir=DIR [benchmark flags]\n", argv[0]);
        return 2;
    }
    bench::set_level_dir(dir);

    // No platform driver: memory bitmaps, packfiles and the built-in font are all a
    // frame and a step need. The key array exists and stays up.
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) return 2;
    set_color_depth(32);
    // No configuration file: every binding is unbound and the speed is the default.
    set_config_data("", 0);

    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 2;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
