// Two machines of a network game in this one process, over ENet on 127.0.0.1, each game
// paced by its own 60 Hz clock as the real loop is: a fight of 30 s (1800 steps) directly
// with the default delay of 3 steps, and through a relay that holds every datagram 50 ms
// each way and drops 5 % of them, with a delay of 8.
//
// Counters: steps_per_s of the slower machine over the whole fight; missed_ticks, ticks
// of either machine that passed while its step waited for a record; the bytes each end
// sent per second (ENet datagrams with ENet's headers, without UDP's and IP's); same_world
// is 1 when both worlds' digests agree at the end.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

#include "bench_world.h"
#include "game/game.h"
#include "input/input_handler.h"
#include "net/handshake.h"
#include "support/two_machines.h"

namespace {

constexpr unsigned long kSteps = 1800;

// Busy: fire every step, walk, aim, jump, dig, switch weapons.
int fighter(int number, std::size_t step) {
    int bits = ACT_FIRE;
    const std::size_t phase = step % 240;
    if (phase < 60) bits |= number == 1 ? ACT_RIGHT : ACT_LEFT;
    if (phase >= 60 && phase < 90) bits |= ACT_UP;
    if (phase >= 150 && phase < 170) bits |= ACT_DOWN;
    if (step % 60 == 30) bits |= ACT_WEAPON;
    if (step % 97 == 50) bits |= ACT_JUMP;
    if (phase >= 200 && phase < 215) bits |= ACT_DIG;
    return bits;
}

void BM_NetLockstep(benchmark::State& state) {
    const bool relayed = state.range(0) != 0;
    const int delay = relayed ? 8 : 3;
    const double step = Game::ConfiguredStepDt();
    const net::Hello hello = *net::make_hello(bench::level_file(), step, 20261207, delay);
    std::optional<testsupport::TwoMachines::Relay> relay;
    if (relayed) relay = testsupport::TwoMachines::Relay{};
    for (auto _ : state) {
        testsupport::TwoMachines machines(bench::level_file());
        std::string error;
        if (!machines.Connect(hello, hello, {}, relay, &error) ||
            !machines.StartGames(fighter, &error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        const std::int64_t start = testsupport::now_ms();
        machines.Run([&] {
            return machines[0].game->steps_taken >= kSteps && machines[1].game->steps_taken >= kSteps;
        }, kSteps, true);
        const double seconds = (testsupport::now_ms() - start) / 1000.0;
        const auto slower = std::min(machines[0].game->steps_taken, machines[1].game->steps_taken);
        state.counters["steps_per_s"] = slower / seconds;
        state.counters["missed_ticks"] =
            static_cast<double>(machines[0].missed_ticks + machines[1].missed_ticks);
        state.counters["host_B_per_s"] = machines[0].link->peer().bytes_sent() / seconds;
        state.counters["joiner_B_per_s"] = machines[1].link->peer().bytes_sent() / seconds;
        state.counters["same_world"] = testsupport::TwoMachines::Digest(*machines[0].game) ==
                                       testsupport::TwoMachines::Digest(*machines[1].game);
    }
}
BENCHMARK(BM_NetLockstep)->ArgName("relayed")->Arg(0)->Arg(1)->Iterations(1)->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
