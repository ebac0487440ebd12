#include <allegro.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "game/game.h"
#include "game/random.h"
#include "input/scripted_input.h"
#include "level/level.h"
#include "net/net_game.h"
#include "net/net_link.h"
#include "particle/particle.h"
#include "support/lossy_relay.h"
#include "support/test_support.h"

// Two machines in one process: two ENet ends on 127.0.0.1, each with its own Game. The
// world's random generator is one per process, so each game's state of it is put back
// before its turn and kept after.

namespace {

std::int64_t now_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Every loop below ends by its condition or, should the code under test hang, here.
constexpr std::int64_t kGiveUpMs = 30000;

bool hills(int x, int y) {
    const double ground = 230 + 40 * std::sin(x / 45.0) + 15 * std::sin(x / 13.0);
    return y >= ground;
}

int fighter(int number, std::size_t step) {
    int bits = ACT_FIRE;
    const std::size_t phase = step % 240;
    if (phase < 60) bits |= number == 1 ? ACT_RIGHT : ACT_LEFT;
    if (phase >= 60 && phase < 90) bits |= ACT_UP;
    if (step % 120 == 100) bits |= ACT_WEAPON;
    if (step % 97 == 50) bits |= ACT_JUMP;
    if (phase >= 200 && phase < 215) bits |= ACT_DIG;
    return bits;
}

// The world as far as these tests compare it: players, live objects and the terrain.
std::uint64_t digest_of(const Game& game) {
    std::uint64_t h = 1469598103934665603ull;
    auto add = [&h](const void* data, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) h = (h ^ static_cast<const unsigned char*>(data)[i]) * 1099511628211ull;
    };
    for (const Player& p : game.players) {
        add(&p.x, sizeof p.x), add(&p.y, sizeof p.y), add(&p.health, sizeof p.health);
        add(&p.kills, sizeof p.kills), add(&p.deaths, sizeof p.deaths);
    }
    std::size_t live = 0;
    for (const Particle* p : game.particles) live += p != nullptr;
    add(&live, sizeof live);
    for (int y = 0; y < game.level.mask->h; ++y)
        add(game.level.mask->line[y], static_cast<std::size_t>(game.level.mask->w) * 4);
    return h;
}

struct Machine {
    std::unique_ptr<net::Link> link;
    std::unique_ptr<Game> game;
    std::unique_ptr<net::NetGame> play;
    unsigned random = 0;
};

class NetPlay : public ::testing::Test {
protected:
    NetPlay() {
        auto level = testsupport::make_level(640, 400, hills);
        PACKFILE* pf = pack_fopen(file_.c_str(), "wp");
        level->Save(pf);
        pack_fclose(pf);
    }

    net::Hello hello(int delay = 3) const {
        net::Hello h;
        h.level_digest = 42;
        h.step_length = 0.01666666753590107;
        h.seed = 20261207;
        h.delay = static_cast<std::uint8_t>(delay);
        return h;
    }

    // The host's end and the joiner's, through a relay when the test has one.
    void Connect(const net::Hello& host_hello, const net::Hello& join_hello,
                 const net::LinkOptions& options) {
        for (Machine& m : sides_) {
            m.play.reset();
            m.game.reset();
            m.link.reset();
        }
        relay_.reset();
        std::string error;
        auto host = net::Peer::Host(0, &error);
        ASSERT_TRUE(host) << error;
        const std::uint16_t port = host->port();
        if (relay_factory_) relay_ = relay_factory_(port);
        auto join = net::Peer::Join("127.0.0.1", relay_ ? relay_->port() : port, &error);
        ASSERT_TRUE(join) << error;
        sides_[0].link = std::make_unique<net::Link>(std::move(host), host_hello, options, now_ms());
        sides_[1].link = std::make_unique<net::Link>(std::move(join), join_hello, options, now_ms(),
                                                     "127.0.0.1");
    }

    // Services both ends until `done` holds.
    template <class Done>
    void Run(Done done) {
        const std::int64_t start = now_ms();
        while (!done() && now_ms() - start < kGiveUpMs) {
            if (relay_) relay_->Pump(now_ms());
            bool moved = false;
            for (Machine& m : sides_) moved |= Turn(m);
            if (!moved) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    // One machine's turn: its game's step when it has one, else the link alone.
    bool Turn(Machine& m) {
        if (!m.play || m.game->steps_taken >= steps_) {
            m.link->Service(now_ms());
            return false;
        }
        seed_random(m.random);
        const bool stepped = m.play->Tick(now_ms()) == net::NetGame::Outcome::Stepped;
        m.random = random_state();
        return stepped;
    }

    bool Both(net::Link::State state) const {
        return sides_[0].link->state() == state && sides_[1].link->state() == state;
    }

    // Loads both games with the agreed seed; each machine's own player fights by script.
    void StartGames() {
        Run([this] {
            return sides_[0].link->state() != net::Link::State::Waiting &&
                   sides_[1].link->state() != net::Link::State::Waiting;
        });
        ASSERT_TRUE(Both(net::Link::State::Playing))
            << sides_[0].link->status() << " / " << sides_[1].link->status();
        for (int i = 0; i < 2; ++i) {
            Machine& m = sides_[i];
            seed_random(m.link->agreed().seed);
            m.game = std::make_unique<Game>(640, 480);
            ASSERT_TRUE(m.game->Load(file_, 2));
            m.game->step_dt = m.link->agreed().step_length;
            const int mine = m.link->session().local_player();
            for (Player& p : m.game->players) {
                const int n = p.number;
                delete m.game->inputs[n];
                m.game->inputs[n] = new ScriptedInput(
                    [n, mine](std::size_t step) { return n == mine ? fighter(n, step) : 0; });
            }
            m.play = std::make_unique<net::NetGame>(*m.game, *m.link, digest_of);
            m.random = random_state();
        }
    }

    // Plays `steps` steps on both machines; the two worlds must be the same at the end.
    void PlayAndCompare(unsigned long steps) {
        steps_ = steps;
        Run([this] {
            return (sides_[0].game->steps_taken >= steps_ && sides_[1].game->steps_taken >= steps_) ||
                   !Both(net::Link::State::Playing);
        });
        for (Machine& m : sides_) {
            ASSERT_EQ(net::Link::State::Playing, m.link->state()) << m.link->status();
            EXPECT_EQ(steps_, m.game->steps_taken);
        }
        EXPECT_EQ(digest_of(*sides_[0].game), digest_of(*sides_[1].game));
        // A real fight: the players walked, so a missed record would have shown.
        EXPECT_NE(sides_[0].game->players.front().x, sides_[0].game->players.back().x);
    }

    testsupport::TempDir dir_;
    testsupport::ScopedConfig config_;
    const std::string file_ = dir_.file("map.lvl");
    Machine sides_[2];
    unsigned long steps_ = 0;
    std::function<std::unique_ptr<testsupport::LossyRelay>(std::uint16_t)> relay_factory_;
    std::unique_ptr<testsupport::LossyRelay> relay_;
};

TEST_F(NetPlay, TwoMachinesOnLoopbackEndWithTheSameWorld) {
    Connect(hello(), hello(), net::LinkOptions{});
    ASSERT_NO_FATAL_FAILURE(StartGames());
    PlayAndCompare(600);
    for (Machine& m : sides_) EXPECT_EQ(0u, m.link->malformed() + m.link->rejected());
}

TEST_F(NetPlay, ADelayedLossyLineStillGivesTheSameWorld) {
    relay_factory_ = [](std::uint16_t server) {
        return std::make_unique<testsupport::LossyRelay>(0, server, 50, 0.05, 7);
    };
    Connect(hello(8), hello(3), net::LinkOptions{});
    ASSERT_NO_FATAL_FAILURE(StartGames());
    EXPECT_EQ(8, sides_[1].link->session().delay()) << "the host's delay is the game's";
    PlayAndCompare(480);
    for (Machine& m : sides_) EXPECT_EQ(0u, m.link->malformed() + m.link->rejected());
    EXPECT_GT(relay_->dropped(), 0u);
}

TEST_F(NetPlay, GarbageAndAThirdMachineAreDroppedAndCountedWhileTheGameGoesOn) {
    Connect(hello(), hello(), net::LinkOptions{});
    ASSERT_NO_FATAL_FAILURE(StartGames());
    const std::vector<std::vector<std::uint8_t>> garbage = {
        {}, {0xff}, {2, 1, 2, 3}, std::vector<std::uint8_t>(5000, 2),
        net::encode(net::Steps{0, 1000000, {net::StepRecord{}}}),  // far beyond the window
    };
    for (const auto& g : garbage) sides_[1].link->peer().Send(g, true);
    std::string error;
    net::Link third(net::Peer::Join("127.0.0.1", sides_[0].link->peer().port(), &error), hello(),
                    net::LinkOptions{}, now_ms(), "127.0.0.1");
    PlayAndCompare(240);
    Run([&] {
        third.Service(now_ms());
        return third.state() == net::Link::State::Ended;
    });
    EXPECT_EQ(4u, sides_[0].link->malformed());
    EXPECT_EQ(1u, sides_[0].link->session().rejected());
    EXPECT_EQ(1u, sides_[0].link->refused());
    EXPECT_EQ("the host already has an opponent", third.status());
}

TEST_F(NetPlay, AHandshakeMismatchEndsBothSidesNamingIt) {
    const struct {
        void (*change)(net::Hello&);
        const char* says;
    } cases[] = {
        {[](net::Hello& h) { h.level_digest = 43; }, "the other player has another level"},
        {[](net::Hello& h) { h.step_length *= 2; }, "the other player plays at another speed"},
        {[](net::Hello& h) { h.game_version = "Vorlin 0.9"; }, "the other player has another version of the game"},
        {[](net::Hello& h) { h.protocol = 2; }, "the other player's game speaks another network protocol"},
    };
    for (const auto& c : cases) {
        net::Hello other = hello();
        c.change(other);
        Connect(hello(), other, net::LinkOptions{});
        Run([this] { return Both(net::Link::State::Ended); });
        for (Machine& m : sides_) EXPECT_EQ(0u, m.link->status().rfind(c.says, 0)) << m.link->status();
    }
}

TEST_F(NetPlay, WorldsThatPartBothStopNamingTheStep) {
    Connect(hello(), hello(), net::LinkOptions{});
    ASSERT_NO_FATAL_FAILURE(StartGames());
    PlayAndCompare(100);
    sides_[1].game->players.front().health -= 1;
    steps_ = 1000000;
    Run([this] { return Both(net::Link::State::Ended); });
    for (Machine& m : sides_) {
        EXPECT_EQ("the two games went apart by step 120", m.link->status());
        EXPECT_EQ(120u, m.link->desync());
    }
}

TEST_F(NetPlay, AMachineThatLeavesOrVanishesEndsTheOtherSidesGame) {
    net::LinkOptions quick;
    quick.silence_ms = 300;
    const struct {
        void (*go)(net::Link&);
        const char* says;
    } cases[] = {
        {[](net::Link& l) { l.Leave(); }, "the other player left the game"},
        {[](net::Link& l) { l.peer().Vanish(); }, "the other player has been silent for 0.3 s"},
    };
    for (const auto& c : cases) {
        Connect(hello(), hello(), quick);
        ASSERT_NO_FATAL_FAILURE(StartGames());
        PlayAndCompare(30);
        c.go(*sides_[1].link);
        steps_ = 1000000;
        Run([this] { return sides_[0].link->state() == net::Link::State::Ended; });
        EXPECT_EQ(c.says, sides_[0].link->status());
    }
}

}  // namespace
