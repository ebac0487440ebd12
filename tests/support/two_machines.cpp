#include "support/two_machines.h"

#include <allegro.h>

#include <chrono>
#include <thread>
#include <utility>

#include "game/game.h"
#include "base/random.h"
#include "input/scripted_input.h"
#include "level/level.h"
#include "particle/particle.h"

namespace testsupport {

namespace {

// Every run ends by its condition or, should the code under test hang, after this.
constexpr std::int64_t kGiveUpMs = 60000;
constexpr double kTickMs = 1000.0 / 60;

}  // namespace

std::int64_t now_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

TwoMachines::TwoMachines(std::string level_file) : level_file_(std::move(level_file)) {}

TwoMachines::~TwoMachines() = default;

bool TwoMachines::Connect(const net::Hello& host, const net::Hello& joiner,
                          const net::LinkOptions& options, const std::optional<Relay>& relay,
                          std::string* error) {
    for (Machine& m : sides_) m = Machine();
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

bool TwoMachines::StartGames(const Script& script, std::string* error) {
    Run([this] {
        return sides_[0].link->state() != net::Link::State::Waiting &&
               sides_[1].link->state() != net::Link::State::Waiting;
    }, 0);
    if (!Both(net::Link::State::Playing)) {
        *error = sides_[0].link->status() + " / " + sides_[1].link->status();
        return false;
    }
    for (Machine& m : sides_) {
        seed_random(m.link->agreed().seed);
        m.game = std::make_unique<Game>(640, 480);
        if (!m.game->Load(level_file_, 2)) return *error = "the level did not load", false;
        m.game->step_dt = m.link->agreed().step_length;
        const int mine = m.link->session().local_player();
        for (Player& p : m.game->players) {
            const int n = p.number;
            delete m.game->inputs[n];
            m.game->inputs[n] = new ScriptedInput(
                [n, mine, script](std::size_t step) { return n == mine ? script(n, step) : 0; });
        }
        m.play = std::make_unique<net::NetGame>(*m.game, *m.link, &TwoMachines::Digest);
        m.random = random_state();
    }
    return true;
}

void TwoMachines::Run(const std::function<bool()>& done, unsigned long limit, bool paced) {
    const std::int64_t start = now_ms();
    for (Machine& m : sides_) m.ticks_taken = 0;
    while (!done() && now_ms() - start < kGiveUpMs) {
        if (relay_) relay_->Pump(now_ms());
        bool moved = false;
        for (Machine& m : sides_) moved |= Turn(m, limit, paced, start);
        if (!moved) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

bool TwoMachines::Turn(Machine& m, unsigned long limit, bool paced, std::int64_t start) {
    const std::int64_t now = now_ms();
    const auto ticks = static_cast<std::int64_t>((now - start) / kTickMs) + 1;
    const bool due = !paced || ticks > m.ticks_taken;
    if (!m.play || m.game->steps_taken >= limit || !due) {
        m.link->Service(now);
        return false;
    }
    seed_random(m.random);
    const bool stepped = m.play->Tick(now) == net::NetGame::Outcome::Stepped;
    m.random = random_state();
    if (stepped) {
        // As the game's timer counts them: one tick is taken, those that came meanwhile lost.
        if (paced && ticks - m.ticks_taken > 1) m.missed_ticks += ticks - m.ticks_taken - 1;
        m.ticks_taken = ticks;
    }
    return stepped;
}

bool TwoMachines::Both(net::Link::State state) const {
    return sides_[0].link->state() == state && sides_[1].link->state() == state;
}

std::uint64_t TwoMachines::Digest(const Game& game) {
    std::uint64_t h = 1469598103934665603ull;
    auto add = [&h](const void* data, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i)
            h = (h ^ static_cast<const unsigned char*>(data)[i]) * 1099511628211ull;
    };
    for (const Player& p : game.players) {
        add(&p.x, sizeof p.x), add(&p.y, sizeof p.y), add(&p.health, sizeof p.health);
        add(&p.kills, sizeof p.kills), add(&p.deaths, sizeof p.deaths);
    }
    std::size_t live = 0;
    for (const Particle* p : game.particles) live += p != nullptr;
    add(&live, sizeof live);
    BITMAP* mask = game.level.mask;
    const std::size_t row = static_cast<std::size_t>(mask->w) * ((bitmap_color_depth(mask) + 7) / 8);
    for (int y = 0; y < mask->h; ++y) add(mask->line[y], row);
    return h;
}

}  // namespace testsupport
