// Game::Draw: one whole frame of a fight in progress, at two screen sizes and two
// colour depths.

#include <allegro.h>
#include <benchmark/benchmark.h>

#include <map>
#include <memory>

#include "bench_world.h"
#include "game/game.h"

namespace {

// A fight 400 steps old at the given depth, made once per depth.
Game& fight_at(int depth) {
    static std::map<int, std::unique_ptr<Game>> games;
    auto& game = games[depth];
    if (!game) {
        set_color_depth(depth);
        game = bench::load_game(404);
        bench::start_fight(*game);
        for (std::size_t i = 0; i < 400; ++i) {
            bench::feed_fight(*game, i);
            game->Logic(bench::kStepDt);
        }
    }
    return *game;
}

// Scenario 4: args are width, height, colour depth.
void BM_Draw(benchmark::State& state) {
    const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    const int depth = static_cast<int>(state.range(2));
    const int old_depth = get_color_depth();
    Game& game = fight_at(depth);
    set_color_depth(depth);
    BITMAP* target = create_bitmap(w, h);
    for (auto _ : state) game.Draw(target);
    destroy_bitmap(target);
    state.counters["objects"] = static_cast<double>(bench::live_objects(game));
    set_color_depth(old_depth);
}
BENCHMARK(BM_Draw)
    ->ArgNames({"w", "h", "bpp"})
    ->Args({640, 480, 16})
    ->Args({640, 480, 32})
    ->Args({1280, 960, 16})
    ->Args({1280, 960, 32});

}  // namespace
