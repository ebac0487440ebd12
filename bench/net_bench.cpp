// Two machines of a network game in this one process, over ENet on 127.0.0.1, each game
// paced by its own 60 Hz clock as the game's loop is (a tick whose step still lacks the
// other side's record is lost and counted as missed, as the game counts it), both players
// busy fighters on the default level: 10 minutes directly with the default delay of 3
// steps, and 5 minutes through a relay that holds every datagram 50 ms each way and
// drops 5 % of them, with a delay of 8. Then how long a host takes to notice that its
// opponent vanished without a word.
//
// Counters: steps_per_s of the slower machine over the whole fight; missed_ticks of both
// machines; the bytes each end sent per second (ENet datagrams with ENet's headers,
// without UDP's and IP's) and its datagrams per second (28 bytes of UDP and IPv4 headers
// each); same_world is 1 when both games ran every step in play (the machines compare
// their world digests every 60 steps and stop at a difference) and the final digests
// agree; dropped, the packets either side refused. noticed_ms: from the opponent's
// vanishing to the end of the host's game.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

#include "bench_world.h"
#include "game/game.h"
#include "net/handshake.h"
#include "support/busy_fighter.h"
#include "support/two_machines.h"

namespace {

using testsupport::TwoMachines;

InputHandler* busy_fighter(int) { return new testsupport::BusyFighter; }

// Both games loaded and in play; false (with the benchmark's error) otherwise.
bool start(TwoMachines& machines, int delay, bool relayed, benchmark::State& state) {
    const net::Hello hello =
        *net::make_hello(bench::level_file(), Game::ConfiguredStepDt(), 20261207, delay);
    std::optional<TwoMachines::Relay> relay;
    if (relayed) relay = TwoMachines::Relay{};
    std::string error;
    if (machines.Connect(hello, hello, {}, relay, &error) &&
        machines.StartGames(busy_fighter, &error))
        return true;
    state.SkipWithError(error.c_str());
    return false;
}

void BM_NetLockstep(benchmark::State& state) {
    const bool relayed = state.range(0) != 0;
    const auto steps = static_cast<unsigned long>(state.range(1)) * 60;
    for (auto _ : state) {
        TwoMachines machines(bench::level_file());
        if (!start(machines, relayed ? 8 : 3, relayed, state)) return;
        const std::int64_t begun = net::now_ms();
        machines.Run([&] {
            return (machines[0].game->steps_taken >= steps &&
                    machines[1].game->steps_taken >= steps) ||
                   !machines.Both(net::Link::State::Playing);
        }, steps, true, static_cast<std::int64_t>(steps) * 40);
        const double seconds = (net::now_ms() - begun) / 1000.0;
        const auto slower = std::min(machines[0].game->steps_taken, machines[1].game->steps_taken);
        state.counters["steps_per_s"] = slower / seconds;
        state.counters["missed_ticks"] =
            static_cast<double>(machines[0].missed_ticks + machines[1].missed_ticks);
        state.counters["host_B_per_s"] = machines[0].link->peer().bytes_sent() / seconds;
        state.counters["joiner_B_per_s"] = machines[1].link->peer().bytes_sent() / seconds;
        state.counters["host_datagrams_per_s"] =
            machines[0].link->peer().datagrams_sent() / seconds;
        state.counters["joiner_datagrams_per_s"] =
            machines[1].link->peer().datagrams_sent() / seconds;
        state.counters["same_world"] = slower == steps &&
                                       machines.Both(net::Link::State::Playing) &&
                                       machines.WorldDigest(0) == machines.WorldDigest(1);
        state.counters["dropped"] = static_cast<double>(
            machines[0].link->malformed() + machines[0].link->rejected() +
            machines[1].link->malformed() + machines[1].link->rejected());
    }
}
BENCHMARK(BM_NetLockstep)
    ->ArgNames({"relayed", "seconds"})
    ->Args({0, 600})
    ->Args({1, 300})
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// Rollback through the lossy relay: range(0) ms each way (half the round trip), 5 %
// dropped, both sides guessing up to 8 steps with no input delay. rollbacks_per_s,
// mean_depth and deepest: the steps played again; key_next_frame: the share of ticks
// whose local key acted in the step of that very tick (the rest waited on the other
// side, or were left out to let it catch up).
void BM_NetRollback(benchmark::State& state) {
    const auto steps = static_cast<unsigned long>(state.range(1)) * 60;
    net::Hello hello =
        *net::make_hello(bench::level_file(), Game::ConfiguredStepDt(), 20261207, 0);
    hello.rollback = net::kMaxPrediction;
    TwoMachines::Relay relay;
    relay.delay_ms = static_cast<int>(state.range(0));
    for (auto _ : state) {
        TwoMachines machines(bench::level_file());
        std::string error;
        if (!machines.Connect(hello, hello, {}, relay, &error) ||
            !machines.StartGames(busy_fighter, &error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        const std::int64_t begun = net::now_ms();
        machines.Run([&] {
            return (machines[0].game->steps_taken >= steps &&
                    machines[1].game->steps_taken >= steps && machines[0].play->Settled() &&
                    machines[1].play->Settled()) ||
                   !machines.Both(net::Link::State::Playing);
        }, steps, true, static_cast<std::int64_t>(steps) * 40);
        const double seconds = (net::now_ms() - begun) / 1000.0;
        net::RollbackCount both;
        for (int i = 0; i < 2; ++i) {
            const net::RollbackCount& c = machines[i].play->rollback();
            both.rollbacks += c.rollbacks;
            both.steps_again += c.steps_again;
            both.deepest = std::max(both.deepest, c.deepest);
            both.slowed += c.slowed;
            both.waited += c.waited;
        }
        const auto slower = std::min(machines[0].game->steps_taken, machines[1].game->steps_taken);
        state.counters["steps_per_s"] = slower / seconds;
        state.counters["missed_ticks"] =
            static_cast<double>(machines[0].missed_ticks + machines[1].missed_ticks);
        state.counters["rollbacks_per_s"] = both.rollbacks / seconds / 2;
        state.counters["mean_depth"] =
            both.rollbacks ? static_cast<double>(both.steps_again) / both.rollbacks : 0.0;
        state.counters["deepest"] = both.deepest;
        state.counters["slowed"] = static_cast<double>(both.slowed);
        state.counters["waited"] = static_cast<double>(both.waited);
        const double ticks =
            static_cast<double>(machines[0].ticks_taken + machines[1].ticks_taken);
        state.counters["key_next_frame"] =
            ticks > 0 ? 1.0 - static_cast<double>(both.slowed + both.waited) / ticks : 0.0;
        state.counters["host_B_per_s"] = machines[0].link->peer().bytes_sent() / seconds;
        state.counters["joiner_B_per_s"] = machines[1].link->peer().bytes_sent() / seconds;
        state.counters["same_world"] = slower == steps &&
                                       machines.Both(net::Link::State::Playing) &&
                                       machines.WorldDigest(0) == machines.WorldDigest(1);
    }
}
BENCHMARK(BM_NetRollback)
    ->ArgNames({"ms_each_way", "seconds"})
    ->Args({50, 600})
    ->Args({75, 600})
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_NetVanishedPeer(benchmark::State& state) {
    for (auto _ : state) {
        TwoMachines machines(bench::level_file());
        if (!start(machines, 3, false, state)) return;
        machines.Run([] { return false; }, 120, true, 2000);
        const std::int64_t vanished = net::now_ms();
        machines[1].link->peer().Vanish();
        machines.Run([&] { return machines[0].link->state() == net::Link::State::Ended; },
                     1000000, true, 30000);
        state.counters["noticed_ms"] = static_cast<double>(net::now_ms() - vanished);
        state.SetLabel(machines[0].link->status());
    }
}
BENCHMARK(BM_NetVanishedPeer)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
