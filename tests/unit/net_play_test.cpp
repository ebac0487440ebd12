#include <allegro.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "game/game.h"
#include "input/input_handler.h"
#include "level/level.h"
#include "net/handshake.h"
#include "replay/replay_game.h"
#include "replay/replay_reader.h"
#include "replay/replay_verify.h"
#include "support/replay_support.h"
#include "support/test_support.h"
#include "support/two_machines.h"

namespace {

using net::now_ms;
using testsupport::TwoMachines;
using State = net::Link::State;

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

class NetPlay : public ::testing::Test {
protected:
    NetPlay() {
        auto level = testsupport::make_level(640, 400, hills);
        PACKFILE* pf = pack_fopen(file_.c_str(), "wp");
        level->Save(pf);
        pack_fclose(pf);
    }

    net::Hello hello(int delay = 3) const {
        return *net::make_hello(file_, 0.01666666753590107, 20261207, delay);
    }
    net::Hello rollback_hello() const {
        net::Hello h = hello(0);
        h.rollback = net::kMaxPrediction;
        return h;
    }

    void Start(const net::Hello& host, const net::Hello& joiner, const net::LinkOptions& options = {},
               const std::optional<TwoMachines::Relay>& relay = std::nullopt,
               const std::string* replays = nullptr) {
        std::string error;
        ASSERT_TRUE(machines_.Connect(host, joiner, options, relay, &error)) << error;
        ASSERT_TRUE(machines_.StartGames(testsupport::scripted(fighter), &error, replays))
            << error;
    }

    // Plays both games to `steps` steps; the two worlds must be the same then.
    void PlayAndCompare(unsigned long steps) {
        machines_.Run([&] {
            return (machines_[0].game->steps_taken >= steps && machines_[1].game->steps_taken >= steps &&
                    machines_[0].play->Settled() && machines_[1].play->Settled()) ||
                   !machines_.Both(State::Playing);
        }, steps);
        for (int i = 0; i < 2; ++i) {
            ASSERT_EQ(State::Playing, machines_[i].link->state()) << machines_[i].link->status();
            EXPECT_EQ(steps, machines_[i].game->steps_taken);
        }
        EXPECT_EQ(machines_.WorldDigest(0), machines_.WorldDigest(1));
        // A real fight: the players walked, so a missed record would have shown.
        EXPECT_NE(machines_[0].game->players.front().x, machines_[0].game->players.back().x);
    }

    void ExpectNothingDropped() {
        for (int i = 0; i < 2; ++i)
            EXPECT_EQ(0u, machines_[i].link->malformed() + machines_[i].link->rejected());
    }

    testsupport::TempDir dir_;
    testsupport::ScopedConfig config_;
    const std::string file_ = dir_.file("map.lvl");
    TwoMachines machines_{file_};
};

TEST_F(NetPlay, TwoMachinesOnLoopbackEndWithTheSameWorld) {
    ASSERT_NO_FATAL_FAILURE(Start(hello(), hello()));
    PlayAndCompare(600);
    ExpectNothingDropped();
}

TEST_F(NetPlay, ADelayedLossyLineStillGivesTheSameWorld) {
    ASSERT_NO_FATAL_FAILURE(Start(hello(8), hello(3), {}, TwoMachines::Relay{}));
    EXPECT_EQ(8, machines_[1].link->session().delay()) << "the host's delay is the game's";
    PlayAndCompare(480);
    ExpectNothingDropped();
    EXPECT_GT(machines_.relay()->dropped(), 0u);
}

TEST_F(NetPlay, GarbageAndAThirdMachineAreDroppedAndCountedWhileTheGameGoesOn) {
    ASSERT_NO_FATAL_FAILURE(Start(hello(), hello()));
    const std::vector<std::vector<std::uint8_t>> garbage = {
        {}, {0xff}, {2, 1, 2, 3}, std::vector<std::uint8_t>(5000, 2),
        net::encode(net::Steps{0, 1000000, {net::StepRecord{}}}),  // far beyond the window
    };
    for (const auto& g : garbage) machines_[1].link->peer().Send(g, true);
    std::string error;
    net::Link third(net::Peer::Join("127.0.0.1", machines_[0].link->peer().port(), &error), hello(),
                    net::LinkOptions{}, "127.0.0.1");
    PlayAndCompare(240);
    machines_.Run([&] {
        third.Service(now_ms());
        return third.state() == State::Ended;
    }, 240);
    EXPECT_EQ(4u, machines_[0].link->malformed());
    EXPECT_EQ(1u, machines_[0].link->session().rejected());
    EXPECT_EQ(1u, machines_[0].link->refused());
    EXPECT_EQ("the host already has an opponent", third.status());
}

TEST_F(NetPlay, AHandshakeMismatchEndsBothSidesNamingIt) {
    const struct {
        void (*change)(net::Hello&);
        const char* says;
    } cases[] = {
        {[](net::Hello& h) { h.level_digest ^= 1; }, "the other player has another level"},
        {[](net::Hello& h) { h.step_length *= 2; }, "the other player plays at another speed"},
        {[](net::Hello& h) { h.game_version = "Vorlin 0.9"; },
         "the other player has another version of the game"},
        {[](net::Hello& h) { h.protocol = 2; },
         "the other player's game speaks another network protocol"},
    };
    for (const auto& c : cases) {
        net::Hello other = hello();
        c.change(other);
        std::string error;
        ASSERT_TRUE(machines_.Connect(hello(), other, {}, std::nullopt, &error)) << error;
        machines_.Run([this] { return machines_.Both(State::Ended); }, 0);
        for (int i = 0; i < 2; ++i)
            EXPECT_EQ(0u, machines_[i].link->status().rfind(c.says, 0)) << machines_[i].link->status();
    }
}

TEST_F(NetPlay, ConsoleLinesTravelAndBothRecordedReplaysVerify) {
    const std::string replays[2] = {dir_.file("host.rpl"), dir_.file("joiner.rpl")};
    ASSERT_NO_FATAL_FAILURE(Start(hello(), hello(), {}, std::nullopt, replays));
    PlayAndCompare(100);
    Game& joiner = *machines_[1].game;
    for (const char* line : {"select 2", "player health 7"}) {
        std::istringstream args(line);
        joiner.console.processor->Process(args, joiner.console);
    }
    EXPECT_EQ(nullptr, joiner.selected) << "held for the joiner's record";
    PlayAndCompare(200);
    for (int i = 0; i < 2; ++i) {
        ASSERT_NE(nullptr, machines_[i].game->selected);
        EXPECT_EQ(2, machines_[i].game->selected->number);
        ASSERT_TRUE(machines_[i].recorder->Finish(*machines_[i].game));

        ReplayReader reader;
        std::string why;
        ASSERT_TRUE(reader.Open(replays[i], &why)) << why;
        Game game(640, 480);
        ASSERT_TRUE(start_replayed_game(game, reader.header(), file_, &why)) << why;
        const VerifyResult result = play_replay(reader, game, true);
        EXPECT_TRUE(result.same) << verify_line(result);
        EXPECT_EQ(200u, result.steps);
        EXPECT_EQ(machines_.WorldDigest(i), result.digest);
    }
}

// Both sides guess each other's fighting keys on a line that holds every packet 50 ms and
// loses some: wrong guesses are taken back, and the confirmed worlds and replays agree.
TEST_F(NetPlay, RollbackOnALossyLineTakesBackWrongGuessesAndEndsInTheSameWorld) {
    const std::string replays[2] = {dir_.file("host.rpl"), dir_.file("joiner.rpl")};
    net::Hello joiner = hello();  // the host's mode is the game's
    ASSERT_NO_FATAL_FAILURE(Start(rollback_hello(), joiner, {}, TwoMachines::Relay{}, replays));
    EXPECT_TRUE(machines_[1].link->session().predicting());
    PlayAndCompare(480);
    ExpectNothingDropped();
    for (int i = 0; i < 2; ++i) {
        const net::RollbackCount& count = machines_[i].play->rollback();
        EXPECT_GT(count.rollbacks, 0u) << "the fighter's keys change: some guesses were wrong";
        EXPECT_LE(count.deepest, static_cast<std::uint32_t>(net::kMaxPrediction));
        ASSERT_TRUE(machines_[i].recorder->Finish(*machines_[i].game));
        Game game(640, 480);
        const VerifyResult result = testsupport::verify_recorded(replays[i], file_, game);
        EXPECT_TRUE(result.same) << verify_line(result);
        EXPECT_EQ(480u, result.steps) << "the confirmed steps, all of them";
        EXPECT_EQ(machines_.WorldDigest(i), result.digest);
    }
}

TEST_F(NetPlay, WorldsThatPartBothStopNamingTheStep) {
    ASSERT_NO_FATAL_FAILURE(Start(hello(), hello()));
    PlayAndCompare(100);
    machines_[1].game->players.front().health -= 1;
    machines_.Run([this] { return machines_.Both(State::Ended); }, 1000000);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ("the two games went apart by step 120", machines_[i].link->status());
        EXPECT_EQ(120u, machines_[i].link->desync());
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
        ASSERT_NO_FATAL_FAILURE(Start(hello(), hello(), quick));
        PlayAndCompare(30);
        c.go(*machines_[1].link);
        machines_.Run([this] { return machines_[0].link->state() == State::Ended; }, 1000000);
        EXPECT_EQ(c.says, machines_[0].link->status());
    }
}

TEST_F(NetPlay, AJoinerThatHearsNothingGivesUp) {
    std::string error;
    std::uint16_t port = 0;
    {
        auto gone = net::Peer::Host(0, &error);  // a port where nobody listens any more
        ASSERT_TRUE(gone) << error;
        port = gone->port();
    }
    net::LinkOptions quick;
    quick.silence_ms = 300;
    net::Link link(net::Peer::Join("127.0.0.1", port, &error), hello(), quick, "127.0.0.1:1");
    const std::int64_t start = now_ms();
    while (link.state() == State::Waiting && now_ms() - start < 5000) {
        link.Service(now_ms());
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ("no answer from 127.0.0.1:1", link.status());
}

}  // namespace
