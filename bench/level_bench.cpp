// The level: recomposing the picture, digging, loading the level file and building the
// level from its bitmaps.

#include <allegro.h>
#include <benchmark/benchmark.h>

#include <map>
#include <memory>

#include "bench_world.h"
#include "base/random.h"
#include "level/level.h"

namespace {

// The default level loaded from its file at the given depth, made once per depth.
Level& level_at(int depth) {
    static std::map<int, std::unique_ptr<Level>> levels;
    auto& level = levels[depth];
    if (!level) {
        const int old_depth = get_color_depth();
        set_color_depth(depth);
        level = std::make_unique<Level>();
        PACKFILE* pf = pack_fopen(bench::level_file().c_str(), "rp");
        level->Load(pf);
        pack_fclose(pf);
        set_color_depth(old_depth);
    }
    return *level;
}

// Scenario 5a: the whole picture recomposed; the arg is the colour depth.
void BM_LevelUpdate(benchmark::State& state) {
    const int depth = static_cast<int>(state.range(0));
    Level& level = level_at(depth);
    const int old_depth = get_color_depth();
    set_color_depth(depth);
    for (auto _ : state) level.Update();
    set_color_depth(old_depth);
}
BENCHMARK(BM_LevelUpdate)->ArgName("bpp")->Arg(16)->Arg(32)->Unit(benchmark::kMillisecond);

// Scenario 5b: a crater of radius 30 (a rocket's) at a random place, terrain only.
void BM_LevelDig30(benchmark::State& state) {
    Level& level = level_at(32);
    seed_random(505);
    for (auto _ : state) {
        const int x = static_cast<int>(rand01() * level.width);
        const int y = static_cast<int>(rand01() * level.height);
        level.Dig(x, y, 30);
    }
}
BENCHMARK(BM_LevelDig30);

// Scenario 5c: what a step that digs costs the picture: a player's dig (two discs of
// radius 10) and the recomposition the logic step makes at its end.
void BM_LevelDigAndRecompose(benchmark::State& state) {
    const int depth = static_cast<int>(state.range(0));
    Level& level = level_at(depth);
    const int old_depth = get_color_depth();
    set_color_depth(depth);
    seed_random(506);
    for (auto _ : state) {
        const int x = static_cast<int>(rand01() * level.width);
        const int y = static_cast<int>(rand01() * level.height);
        level.Dig(x + 1, y, 10);
        level.Dig(x + 2, y, 10);
        level.UpdateChanged();
    }
    set_color_depth(old_depth);
}
BENCHMARK(BM_LevelDigAndRecompose)->ArgName("bpp")->Arg(16)->Arg(32);

// Scenario 6a: "map.lvl" read, checked and decoded, with the bitmask built.
void BM_LevelLoad(benchmark::State& state) {
    const std::string& file = bench::level_file();
    for (auto _ : state) {
        Level level;
        PACKFILE* pf = pack_fopen(file.c_str(), "rp");
        level.Load(pf);
        pack_fclose(pf);
        benchmark::DoNotOptimize(level.bound);
    }
}
BENCHMARK(BM_LevelLoad)->Unit(benchmark::kMillisecond);

// Scenario 6b: the level built from its four bitmaps.
void BM_LevelBuild(benchmark::State& state) {
    const std::string& dir = bench::level_dir();
    for (auto _ : state) {
        Level level(dir + "/mask.bmp", dir + "/undiggable.bmp", dir + "/fore.bmp",
                    dir + "/back.bmp");
        benchmark::DoNotOptimize(level.bound);
    }
}
BENCHMARK(BM_LevelBuild)->Unit(benchmark::kMillisecond);

}  // namespace
