// Game::Logic: the idle floor, a long fight through every weapon, and a world crowded
// with projectiles.

#include <allegro.h>
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "bench_world.h"
#include "game/game.h"

namespace {

using bench::cpu_ms;
using bench::percentile;

// Scenario 1: two players standing, nothing else but the occasional weapon drop. A fixed
// number of steps (a minute of play), so that the drops do not pile up with the time the
// measurement takes.
void BM_LogicIdle(benchmark::State& state) {
    auto game = bench::load_game(101);
    // Let both players land first.
    for (int i = 0; i < 120; ++i) game->Logic(bench::kStepDt);
    for (auto _ : state) game->Logic(bench::kStepDt);
    state.counters["objects"] = static_cast<double>(bench::live_objects(*game));
}
// Far below a millisecond: shown in microseconds, which the ms default would round to 0.
BENCHMARK(BM_LogicIdle)->Iterations(3600)->Unit(benchmark::kMicrosecond);

// Scenario 2: one whole fight per iteration; the counters give the processor time of one
// step and of one step plus the 640x480 frame drawn after it, as the game's loop does.
void BM_LogicFight(benchmark::State& state) {
    const std::size_t steps = static_cast<std::size_t>(state.range(0));
    double step_sum = 0, step_worst = 0, frame_sum = 0, both_sum = 0, both_worst = 0;
    std::vector<double> steps_ms, both_ms;  // every step, for the percentiles
    double objects_sum = 0, objects_max = 0;
    std::size_t measured = 0;
    unsigned long whole_pictures = 0;  // recompositions of the whole level picture
    for (auto _ : state) {
        state.PauseTiming();
        auto game = bench::load_game(202);
        bench::start_fight(*game);
        BITMAP* frame = create_bitmap(640, 480);
        // Touched once, as the game's long-lived back buffer is: the first frame must not
        // pay for the pages of a new bitmap.
        clear_to_color(frame, 0);
        const unsigned long whole_before = game->level.WholeRecompositions();
        state.ResumeTiming();
        for (std::size_t i = 0; i < steps; ++i) {
            bench::feed_fight(*game, i);
            const double t0 = cpu_ms();
            game->Logic(bench::kStepDt);
            const double t1 = cpu_ms();
            game->Draw(frame);
            const double t2 = cpu_ms();
            const double step = t1 - t0, both = t2 - t0;
            step_sum += step;
            frame_sum += t2 - t1;
            both_sum += both;
            step_worst = std::max(step_worst, step);
            both_worst = std::max(both_worst, both);
            steps_ms.push_back(step);
            both_ms.push_back(both);
            const double live = static_cast<double>(bench::live_objects(*game));
            objects_sum += live;
            objects_max = std::max(objects_max, live);
            ++measured;
        }
        state.PauseTiming();
        whole_pictures += game->level.WholeRecompositions() - whole_before;
        destroy_bitmap(frame);
        game.reset();
        state.ResumeTiming();
    }
    const double n = static_cast<double>(measured);
    state.counters["step_mean_ms"] = step_sum / n;
    state.counters["step_worst_ms"] = step_worst;
    state.counters["frame_mean_ms"] = frame_sum / n;
    state.counters["step+frame_mean_ms"] = both_sum / n;
    state.counters["step+frame_worst_ms"] = both_worst;
    // The worst single step on a shared machine is partly the machine's; the 99th
    // percentile shows the bad steps that are the game's own.
    state.counters["step_p99_ms"] = percentile(steps_ms, 0.99);
    state.counters["step+frame_p99_ms"] = percentile(both_ms, 0.99);
    // Share of the 1/60 s budget that one step and its frame take on average, in percent.
    state.counters["budget_%"] = 100.0 * (both_sum / n) / (1000.0 / 60.0);
    state.counters["objects_mean"] = objects_sum / n;
    state.counters["objects_max"] = objects_max;
    // A step recomposes only the regions its changes recorded; the whole picture (about a
    // millisecond) only when the whole picture changed, which no fight step does.
    state.counters["whole_pictures_per_1000"] = 1000.0 * static_cast<double>(whole_pictures) / n;
}
BENCHMARK(BM_LogicFight)->Arg(3000)->Iterations(1)->Unit(benchmark::kMillisecond);

// Scenario 3: the table is topped up to the given number of projectiles before every
// step; one iteration is one step. The 640x480 frame drawn after each step is not part of
// the time; its processor time is the frame_ms counter.
void BM_LogicObjects(benchmark::State& state) {
    const std::size_t count = static_cast<std::size_t>(state.range(0));
    auto game = bench::load_game(303);
    BITMAP* frame = create_bitmap(640, 480);
    clear_to_color(frame, 0);
    double objects_sum = 0, frame_sum = 0;
    for (auto _ : state) {
        state.PauseTiming();
        bench::fill_with_projectiles(*game, count);
        objects_sum += static_cast<double>(bench::live_objects(*game));
        state.ResumeTiming();
        game->Logic(bench::kStepDt);
        state.PauseTiming();
        const double t0 = cpu_ms();
        game->Draw(frame);
        frame_sum += cpu_ms() - t0;
        state.ResumeTiming();
    }
    destroy_bitmap(frame);
    const double n = static_cast<double>(state.iterations());
    state.counters["objects"] = objects_sum / n;
    state.counters["frame_ms"] = frame_sum / n;
}
BENCHMARK(BM_LogicObjects)->Arg(500)->Arg(2000)->Arg(5000)->Iterations(60);

}  // namespace
