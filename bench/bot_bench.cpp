// The computer player: what its decisions cost, and how long a whole game between two
// of them takes when played headless as fast as the machine allows.

#include <benchmark/benchmark.h>

#include <chrono>

#include "bench_world.h"
#include "arena/match.h"

namespace {

// Scenario: two normal bots fight for 300 s of game time on the default level. One
// iteration is one whole game; the counters give the bots' own share of it.
void BM_BotMatch(benchmark::State& state) {
    MatchSetup setup;
    setup.level_file = bench::level_file();
    setup.seconds = 300.0;
    setup.seed = 1;
    double decision_ms = 0, game_s = 0, kills = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const MatchResult r = play_match(setup);
        game_s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!r.ok) {
            state.SkipWithError(r.error.c_str());
            return;
        }
        decision_ms = r.bot_decisions ? r.bot_seconds * 1e3 / static_cast<double>(r.bot_decisions) : 0;
        kills = r.players[0].kills + r.players[1].kills;
    }
    state.counters["decision_ms"] = decision_ms;
    state.counters["game_s"] = game_s;
    state.counters["kills"] = kills;
}
BENCHMARK(BM_BotMatch)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
