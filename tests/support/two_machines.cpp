#include "support/two_machines.h"

#include <chrono>
#include <thread>
#include <utility>
#include <vector>

#include "base/random.h"
#include "game/game.h"
#include "input/scripted_input.h"
#include "replay/replay_game.h"
#include "replay/world_digest.h"

namespace testsupport {

namespace {

constexpr double kTickMs = 1000.0 / 60;

}  // namespace

TwoMachines::TwoMachines(std::string level_file) : level_file_(std::move(level_file)) {}

TwoMachines::~TwoMachines() = default;

bool TwoMachines::Connect(const net::Hello& host, const net::Hello& joiner,
                          const net::LinkOptions& options, const std::optional<Relay>& relay,
                          std::string* error) {
    // A game's play holds on to its game: it goes first (a move would replace the game
    // before it).
    for (Machine& m : sides_) {
        m.play.reset();
        m = Machine();
    }
    relay_.reset();
    auto host_end = net::Peer::Host(0, error);
    if (!host_end) return false;
    std::uint16_t port = host_end->port();
    if (relay) {
        relay_ = std::make_unique<LossyRelay>(0, port, relay->delay_ms, relay->drop, relay->seed);
        port = relay_->port();
    }
    auto join_end = net::Peer::Join("127.0.0.1", port, error);
    if (!join_end) return false;
    sides_[0].link = std::make_unique<net::Link>(std::move(host_end), host, options);
    sides_[1].link =
        std::make_unique<net::Link>(std::move(join_end), joiner, options, "127.0.0.1");
    return true;
}

bool TwoMachines::StartGames(const Handler& local, std::string* error,
                             const std::string* replays) {
    Run([this] {
        return sides_[0].link->state() != net::Link::State::Waiting &&
               sides_[1].link->state() != net::Link::State::Waiting;
    }, 0);
    if (!Both(net::Link::State::Playing)) {
        *error = sides_[0].link->status() + " / " + sides_[1].link->status();
        return false;
    }
    for (int i = 0; i < 2; ++i)
        if (!Load(sides_[i], local, replays ? &replays[i] : nullptr, error)) return false;
    return true;
}

bool TwoMachines::Load(Machine& m, const Handler& local, const std::string* replay,
                       std::string* error) {
    seed_random(m.link->agreed().seed);
    m.game = std::make_unique<Game>(640, 480);
    m.game->rules = m.link->agreed().rules;
    const double step = m.link->agreed().step_length;
    const std::string& level =
        &m == &sides_[1] && !joiner_level.empty() ? joiner_level : level_file_;
    if (replay) {
        m.recorder = std::make_unique<ReplayRecorder>();
        if (!start_recorded_game(*m.game, level, 2, step, *replay, m.recorder.get(), error))
            return false;
    } else if (!m.game->Load(level, 2)) {
        return *error = "the level did not load", false;
    }
    m.game->step_dt = step;
    const int mine = m.link->session().local_player();
    for (Player& p : m.game->players) {
        delete m.game->inputs[p.number];
        m.game->inputs[p.number] = p.number == mine ? local(p.number) : new ScriptedInput(std::vector<int>{});
    }
    m.play = std::make_unique<net::NetGame>(*m.game, *m.link, m.recorder.get());
    m.random = random_state();
    return true;
}

void TwoMachines::Run(const std::function<bool()>& done, unsigned long limit, bool paced,
                      std::int64_t give_up_ms) {
    const std::int64_t start = net::now_ms();
    for (Machine& m : sides_) m.ticks_taken = 0;
    while (!done() && net::now_ms() - start < give_up_ms) {
        if (relay_) relay_->Pump(net::now_ms());
        bool moved = false;
        for (Machine& m : sides_) moved |= Turn(m, limit, paced, start);
        if (!moved) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

bool TwoMachines::Turn(Machine& m, unsigned long limit, bool paced, std::int64_t start) {
    const std::int64_t now = net::now_ms();
    const auto ticks = static_cast<std::int64_t>((now - start) / kTickMs) + 1;
    const bool due = !paced || ticks > m.ticks_taken;
    const bool held = m.play && m.game->steps_taken >= limit;
    if (!m.play || !due || (held && m.play->Settled())) {
        m.link->Service(now);
        return false;
    }
    seed_random(m.random);
    // A game held at the limit still takes in the records that confirm its guesses.
    const bool stepped = m.play->Tick(now, !held) == net::NetGame::Outcome::Stepped;
    m.random = random_state();
    if (paced) {
        // One tick is taken, by a step or by the wait; those that came meanwhile are lost.
        m.missed_ticks += static_cast<std::uint64_t>(ticks - m.ticks_taken - 1) + !stepped;
        m.ticks_taken = ticks;
    }
    return stepped;
}

bool TwoMachines::Both(net::Link::State state) const {
    return sides_[0].link->state() == state && sides_[1].link->state() == state;
}

std::uint64_t TwoMachines::WorldDigest(int i) {
    const unsigned kept = random_state();
    seed_random(sides_[i].random);
    const std::uint64_t digest = world_digest(*sides_[i].game);
    seed_random(kept);
    return digest;
}

}  // namespace testsupport
