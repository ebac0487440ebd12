// What going back costs, for the rollback of network play: saving the world before every
// step, and restoring one 8 steps back and playing those steps again (the restore and the
// steps played again are one figure). Processor time in milliseconds.

#include <benchmark/benchmark.h>

#include <array>
#include <ostream>
#include <vector>

#include "bench_world.h"
#include "game/game.h"
#include "replay/world_snapshot.h"

namespace {

constexpr std::size_t kDepth = 8;

// The last kDepth + 1 steps: the world before each and its input.
struct History {
    std::array<WorldSnapshot, kDepth + 1> before;
    std::array<StepInput, kDepth + 1> inputs;
};

// Restores the world before step `first` and plays it and the steps after it up to
// `end`, saving again before each, as a rollback does.
void roll_back(Game& game, const WorldSaver& saver, History& h, std::size_t first,
               std::size_t end) {
    std::ostream nobody(nullptr);
    saver.Restore(h.before[first % h.before.size()]);
    for (std::size_t k = first; k < end; ++k) {
        saver.Save(&h.before[k % h.before.size()]);
        game.WorldStep(h.inputs[k % h.inputs.size()], bench::kStepDt, nobody);
    }
}

// The busy fight of BM_LogicFight: a save before every step, and after each step a
// rollback of 8 steps (not over a step that handed the fighters their weapons, which is
// no input and would be undone).
void BM_RollbackFight(benchmark::State& state) {
    const std::size_t steps = static_cast<std::size_t>(state.range(0));
    std::vector<double> save_ms, back_ms;
    double objects = 0;
    for (auto _ : state) {
        auto game = bench::load_game(202);
        bench::start_fight(*game);
        WorldSaver saver(*game);
        History h;
        for (std::size_t i = 0; i < steps; ++i) {
            bench::feed_fight(*game, i);
            h.inputs[i % h.inputs.size()] = game->GatherInput();
            const double t0 = bench::cpu_ms();
            saver.Save(&h.before[i % h.before.size()]);
            save_ms.push_back(bench::cpu_ms() - t0);
            game->Step(h.inputs[i % h.inputs.size()], bench::kStepDt);
            objects += static_cast<double>(bench::live_objects(*game));
            if (i + 1 < kDepth || (i % bench::kRefillSteps) < kDepth) continue;
            const double t1 = bench::cpu_ms();
            roll_back(*game, saver, h, i + 1 - kDepth, i + 1);
            back_ms.push_back(bench::cpu_ms() - t1);
            saver.Forget(h.before[(i + 2 - kDepth) % h.before.size()]);
        }
    }
    double save_sum = 0, back_sum = 0;
    for (double v : save_ms) save_sum += v;
    for (double v : back_ms) back_sum += v;
    state.counters["save_mean_ms"] = save_sum / static_cast<double>(save_ms.size());
    state.counters["save_p99_ms"] = bench::percentile(save_ms, 0.99);
    state.counters["rollback8_mean_ms"] = back_sum / static_cast<double>(back_ms.size());
    state.counters["rollback8_p99_ms"] = bench::percentile(back_ms, 0.99);
    state.counters["objects_mean"] = objects / static_cast<double>(save_ms.size());
}
BENCHMARK(BM_RollbackFight)->Arg(3000)->Iterations(1)->Unit(benchmark::kMillisecond);

// A table topped up to the given number of projectiles; one iteration is 8 steps saved
// and played, then the rollback over them, which alone is timed.
void BM_RollbackObjects(benchmark::State& state) {
    const std::size_t count = static_cast<std::size_t>(state.range(0));
    auto game = bench::load_game(303);
    WorldSaver saver(*game);
    History h;
    double save_sum = 0, objects = 0;
    for (auto _ : state) {
        state.PauseTiming();
        bench::fill_with_projectiles(*game, count);
        objects += static_cast<double>(bench::live_objects(*game));
        for (std::size_t k = 0; k < kDepth; ++k) {
            h.inputs[k] = game->GatherInput();
            const double t0 = bench::cpu_ms();
            saver.Save(&h.before[k]);
            save_sum += bench::cpu_ms() - t0;
            game->Step(h.inputs[k], bench::kStepDt);
        }
        state.ResumeTiming();
        roll_back(*game, saver, h, 0, kDepth);
        state.PauseTiming();
        saver.Forget(h.before[kDepth - 1]);
        state.ResumeTiming();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["save_mean_ms"] = save_sum / (n * kDepth);
    state.counters["objects"] = objects / n;
}
BENCHMARK(BM_RollbackObjects)->Arg(2000)->Iterations(30)->Unit(benchmark::kMillisecond);

}  // namespace
