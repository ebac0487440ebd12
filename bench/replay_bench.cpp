// Replays: what the world digest costs against the step budget, and how fast a recorded
// five-minute fight plays back without a window (what vorlin-arena --replay --verify
// does), with the size of its replay.

#include <allegro.h>
#include <benchmark/benchmark.h>

#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "bench_world.h"
#include "game/game.h"
#include "base/random.h"
#include "inventory/weapon.h"
#include "replay/headless_play.h"
#include "replay/replay_game.h"
#include "replay/replay_reader.h"
#include "replay/replay_recorder.h"
#include "replay/replay_verify.h"
#include "replay/world_digest.h"
#include "support/busy_fighter.h"

namespace {

double cpu_ms() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) * 1e-6;
}

constexpr double kBudgetMs = 1000.0 / 60.0;
constexpr std::uint64_t kFightSteps = 5 * 60 * 60;  // five minutes

void give_busy_fighters(Game& game) {
    for (Player& p : game.players) {
        delete game.inputs[p.number];
        game.inputs[p.number] = new testsupport::BusyFighter;
    }
}

// Recorded once per run, beside the level: "fight.rpl".
const std::string& fight_replay() {
    static const std::string path = [] {
        const std::string file = bench::level_dir() + "/fight.rpl";
        seed_random(303);
        Game game(640, 480);
        ReplayRecorder recorder;
        std::string why;
        if (!start_recorded_game(game, bench::level_file(), 2, bench::kStepDt, file, &recorder,
                                 &why)) {
            std::fprintf(stderr, "%s\n", why.c_str());
            std::exit(2);
        }
        give_busy_fighters(game);
        play_headless(game, kFightSteps, &recorder);
        if (!recorder.Finish(game)) {
            std::fprintf(stderr, "%s\n", recorder.error().c_str());
            std::exit(2);
        }
        return file;
    }();
    return path;
}

// The digest of a fight's world 30 s in; budget_% is its cost at one digest a second
// (every 60 steps) as a share of the 16.7 ms of a step.
void BM_WorldDigest(benchmark::State& state) {
    seed_random(303);
    auto game = bench::load_game(303);
    give_busy_fighters(*game);
    play_headless(*game, 1800, nullptr);
    std::uint64_t sink = 0;
    const double started = cpu_ms();
    for (auto _ : state) sink ^= world_digest(*game);
    benchmark::DoNotOptimize(sink);
    const double per_digest = (cpu_ms() - started) / static_cast<double>(state.iterations());
    state.counters["digest_ms"] = per_digest;
    state.counters["budget_%"] = per_digest / 60.0 / kBudgetMs * 100.0;
    state.counters["objects"] = static_cast<double>(bench::live_objects(*game));
}
BENCHMARK(BM_WorldDigest)->Unit(benchmark::kMillisecond);

// The recorded five-minute fight played back and verified, as vorlin-arena does it (the
// level loaded, every step, every stored digest compared).
void BM_ReplayVerify(benchmark::State& state) {
    ReplayReader replay;
    std::string why;
    if (!replay.Open(fight_replay(), &why)) {
        state.SkipWithError(why.c_str());
        return;
    }
    double play_ms = 0, load_ms = 0, kills = 0, ammo_left = 0;
    for (auto _ : state) {
        const double loading = cpu_ms();
        Game game(640, 480);
        if (!start_replayed_game(game, replay.header(), bench::level_file(), &why)) {
            state.SkipWithError(why.c_str());
            return;
        }
        const double started = cpu_ms();
        load_ms += started - loading;
        const VerifyResult result = play_replay(replay, game, true);
        play_ms += cpu_ms() - started;
        if (!result.same || result.steps != kFightSteps) {
            state.SkipWithError(verify_line(result).c_str());
            return;
        }
        kills = ammo_left = 0;
        for (const Player& p : game.players) {
            kills += p.kills;
            for (const Inventory::Weapon* w : p.weapons) ammo_left += w->ammo;
        }
    }
    const double per_run = play_ms / static_cast<double>(state.iterations());
    state.counters["play_ms"] = per_run;
    const double per_load = load_ms / static_cast<double>(state.iterations());
    state.counters["load_ms"] = per_load;
    state.counters["x_real_time"] = kFightSteps * kBudgetMs / per_run;
    state.counters["x_with_load"] = kFightSteps * kBudgetMs / (per_run + per_load);
    const double bytes = static_cast<double>(std::filesystem::file_size(fight_replay()));
    state.counters["replay_bytes"] = bytes;
    state.counters["bytes_per_minute"] = bytes / 5.0;
    // That it was a fight: kills of both players together.
    state.counters["kills"] = kills;
    state.counters["ammo_left"] = ammo_left;
}
BENCHMARK(BM_ReplayVerify)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
