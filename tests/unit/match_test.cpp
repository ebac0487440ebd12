#include <allegro.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <sstream>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "ammunition/ammunition.h"
#include "arena/match.h"
#include "base/random.h"
#include "game/console_commands.h"
#include "game/game.h"
#include "game/match_report.h"
#include "input/scripted_input.h"
#include "inventory/weapon.h"
#include "main/options.h"
#include "net/handshake.h"
#include "net/net_packet.h"
#include "player/player.h"
#include "replay/replay_folder.h"
#include "replay/replay_game.h"
#include "replay/replay_reader.h"
#include "replay/replay_verify.h"
#include "replay/world_digest.h"
#include "support/game_support.h"
#include "support/replay_support.h"
#include "support/two_machines.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
constexpr double kStep = testsupport::kStepDt;

bool floor_only(int, int y) { return y >= 200; }

// Two idle players standing apart on a floor, in a match of `rules`.
class MatchGame : public ::testing::Test {
protected:
    MatchGame() {
        testsupport::adopt_level(game.level, *testsupport::make_level(800, 260, floor_only));
        game.step_dt = kStep;
        seed_random(99);
        one = &Add(1, 100);
        two = &Add(2, 600);
    }

    Player& Add(int number, float x) {
        Player& p = testsupport::add_player(game, number, new ScriptedInput(std::vector<int>{}));
        p.SetPosition(x, 189);
        return p;
    }

    void Steps(int n) {
        for (int i = 0; i < n; ++i) game.Step(StepInput(), kStep);
    }

    // A pistol shot of `owner` that meets `target`.
    void Shoot(Player& owner, Player& target) {
        Ammunition::PistolShot shot(&owner, &game, &game.level, target.x, target.y, 0.0f);
        shot.OnCollision(&target);
    }

    Game game{640, 480};
    Player* one = nullptr;
    Player* two = nullptr;
};

TEST_F(MatchGame, EachLimitEndsTheMatchWithItsWinner) {
    const struct {
        const char* name;
        MatchRules rules;
        std::function<void(Player&, Player&)> before;
        int steps;  // played; the match must end in the last
        int winner;
    } cases[] = {
        {"kills", {3, 0, 0}, [](Player& a, Player&) { a.kills = 3; }, 1, 1},
        {"a shared lead at the limit", {2, 0, 0},
         [](Player& a, Player& b) { a.kills = b.kills = 2; }, 1, 0},
        {"lives", {0, 0, 2}, [](Player&, Player& b) { b.deaths = 2; }, 1, 1},
        {"no one left standing", {0, 0, 1}, [](Player& a, Player& b) { a.deaths = b.deaths = 1; },
         1, 0},
        {"time, more kills", {0, 1, 0}, [](Player&, Player& b) { b.kills = 1; }, 3600, 2},
        {"time, equal kills", {0, 1, 0}, [](Player&, Player&) {}, 3600, 0},
        {"kills before lives", {1, 0, 1},
         [](Player& a, Player&) { a.kills = 1, a.deaths = 1; }, 1, 1},
    };
    for (const auto& c : cases) {
        game.rules = c.rules;
        game.outcome = MatchOutcome();
        one->kills = two->kills = one->deaths = two->deaths = 0;
        one->out = two->out = false;
        c.before(*one, *two);
        Steps(c.steps - 1);
        EXPECT_FALSE(game.outcome.over) << c.name << ": ended before its last step";
        Steps(1);
        EXPECT_TRUE(game.outcome.over) << c.name;
        EXPECT_EQ(game.outcome.winner, c.winner) << c.name;
        EXPECT_EQ(game.outcome.steps, static_cast<unsigned long>(c.steps)) << c.name;
    }
}

TEST_F(MatchGame, ASuicideIsCreditedAsAKillButDoesNotCountTowardsTheMatch) {
    game.rules.kills = 1;
    one->health = 5;
    Shoot(*one, *one);
    EXPECT_EQ(one->kills, 1);  // as every game credits it
    EXPECT_EQ(one->stats.suicides, 1);
    EXPECT_EQ(match_kills(*one), 0);
    EXPECT_EQ(one->stats.hits, 0);
    EXPECT_EQ(one->stats.taken, 5);
    Steps(1);
    EXPECT_FALSE(game.outcome.over);
}

TEST_F(MatchGame, ABlowBeyondTheHealthLeftCountsOnlyWhatWasLeft) {
    two->health = 5;
    Shoot(*one, *two);
    EXPECT_EQ(two->health, 0);
    EXPECT_EQ(two->stats.taken, 5);
    EXPECT_EQ(one->stats.dealt, 5);
    EXPECT_EQ(one->stats.weapon_damage[SW_Pistol], 5);
    EXPECT_EQ(one->stats.hits, 1);
    EXPECT_EQ(one->stats.BestWeapon(), SW_Pistol);
    // A body takes no more: no hit, no damage.
    Shoot(*one, *two);
    EXPECT_EQ(one->stats.hits, 1);
    EXPECT_EQ(two->stats.taken, 5);
}

TEST_F(MatchGame, AShotgunsPelletsAreOneShot) {
    testsupport::hand_over(*one, new Inventory::Shotgun(&game, &game.level));
    one->Fire();
    EXPECT_EQ(testsupport::live<Ammunition::BirdShot>(game).size(), 12u);
    EXPECT_EQ(one->stats.shots, 1);
    one->Fire();  // still cooling down: nothing fired
    EXPECT_EQ(one->stats.shots, 1);
}

TEST_F(MatchGame, ALifeLastsFromRespawnToDeath) {
    Steps(60);
    EXPECT_NEAR(two->stats.life, 60 * kStep, 1e-9);
    two->health = 1;
    Shoot(*one, *two);
    Steps(30);
    EXPECT_EQ(two->stats.life, 0);
    EXPECT_NEAR(two->stats.LongestLife(), 60 * kStep, 1e-9);
}

TEST_F(MatchGame, APlayerWithNoLifeLeftStaysDown) {
    Player& three = Add(3, 350);
    game.rules.lives = 1;
    three.health = 1;
    Shoot(*one, three);
    Steps(200);  // longer than a body lies before it comes back
    EXPECT_FALSE(game.outcome.over);  // two still stand
    EXPECT_TRUE(three.out);
    EXPECT_EQ(three.action, PA_Dead);
}

TEST_F(MatchGame, TheWorldStandsStillOnceTheMatchIsOver) {
    game.rules.kills = 1;
    one->kills = 1;
    Steps(1);
    ASSERT_TRUE(game.outcome.over);
    game.AddParticle(new Ammunition::PistolShot(two, &game, &game.level, 300, 100, 0.0f));
    const std::uint64_t before = world_digest(game);
    Steps(100);
    EXPECT_EQ(world_digest(game), before);
}

TEST_F(MatchGame, TheFiguresReachTheDigestOnlyInAMatch) {
    const std::uint64_t endless = world_digest(game);
    one->stats.shots = 7;
    EXPECT_EQ(world_digest(game), endless);
    game.rules.minutes = 5;
    const std::uint64_t match = world_digest(game);
    one->stats.shots = 8;
    EXPECT_NE(world_digest(game), match);
}

TEST_F(MatchGame, ResultsNameTheWinnerForScriptsAndTheConsole) {
    game.rules.kills = 1;
    one->kills = 1;
    Steps(1);
    EXPECT_EQ(results_title(game), "Player 1 wins");
    const std::vector<std::string> lines = results_lines(game);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("player 1 wins kills 1 deaths 0 suicides 0 shots 0", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1].rfind("player 2 loses kills 0", 0), 0u) << lines[1];
    EXPECT_EQ(outcome_line(game), "winner player 1 at step 1");

    std::ostringstream out;
    std::istringstream args("stats match");
    game.processor->Process(args, out);
    EXPECT_EQ(out.str().rfind("Match: kills 1 minutes 0 lives 0, step 1, Player 1 wins\n"
                              "Player 1 kills 1 deaths 0",
                              0),
              0u)
        << out.str();
}

TEST(MatchRules, TheIniSectionOrAWarningAndAnEndlessGame) {
    const struct {
        const char* ini;
        MatchRules rules;
        bool warned;
    } cases[] = {
        {"", {}, false},
        {"[match]\nkills = 10\nminutes = 5\n", {10, 5, 0}, false},
        {"[match]\nlives = 3\nkills = 0\n", {0, 0, 3}, false},
        {"[match]\nkills = 10\nlives = many\n", {}, true},
        {"[match]\nminutes = -1\n", {}, true},
        {"[match]\nlives = 100\n", {}, true},
    };
    for (const auto& c : cases) {
        testsupport::ScopedConfig config(c.ini);
        std::string warning;
        EXPECT_EQ(configured_match_rules(&warning), c.rules) << c.ini;
        EXPECT_EQ(!warning.empty(), c.warned) << c.ini << warning;
    }
}

TEST(MatchRules, BadOptionsAreRefused) {
    const std::vector<std::vector<const char*>> refused = {
        {"--kills", "ten"}, {"--kills", "1000"}, {"--minutes", "-2"}, {"--lives", "1.5"},
        {"--kills", "3", "--join", "example.org"}, {"--lives", "2", "--replay", "a.rpl"},
    };
    for (std::vector<const char*> args : refused) {
        args.insert(args.begin(), "vorlin");
        MainOptions o;
        std::string why;
        EXPECT_FALSE(parse_main_options(static_cast<int>(args.size()), args.data(), &o, &why))
            << args[1] << " " << args[2];
    }
    const char* good[] = {"vorlin", "--kills", "10", "--minutes=5", "--host"};
    MainOptions o;
    std::string why;
    ASSERT_TRUE(parse_main_options(5, good, &o, &why)) << why;
    EXPECT_EQ(o.rules, (MatchRules{10, 5, 0}));
}

TEST(MatchRules, TheHelloCarriesTheHostsMatchAndAnEndlessOneAsBefore) {
    net::Hello hello;
    const std::size_t endless = net::encode(hello).size();
    hello.rules = {5, 0, 3};
    const std::vector<std::uint8_t> bytes = net::encode(hello);
    EXPECT_EQ(bytes.size(), endless + 8);
    const auto got = net::decode(bytes.data(), bytes.size());
    ASSERT_TRUE(got);
    EXPECT_EQ(std::get<net::Hello>(*got).rules, hello.rules);

    std::vector<std::uint8_t> absurd = bytes;
    absurd[absurd.size() - 2] = 0xff;  // lives beyond any limit
    EXPECT_FALSE(net::decode(absurd.data(), absurd.size()));
}

// Both players fire at each other as they walk together: someone dies soon.
int duellist(int number, std::size_t step) {
    return ACT_FIRE | (step % 90 < 45 ? (number == 1 ? ACT_RIGHT : ACT_LEFT) : 0);
}

TEST(MatchReplay, ARecordedMatchKeepsItsRulesAndEndsAtTheSameStep) {
    testsupport::TempDir dir;
    const std::string level = dir.file("match.lvl");
    const std::string replay = dir.file("match.rpl");
    testsupport::write_replay_level(level);
    const MatchRules rules{1, 1, 0};
    testsupport::record_game(level, replay, 5, 4000, testsupport::scripted(duellist), nullptr,
                             nullptr, rules);

    testsupport::ScopedConfig config;
    Game game(640, 480);
    ReplayHeader header;
    const VerifyResult result = testsupport::verify_recorded(replay, level, game, &header);
    EXPECT_EQ(header.rules, rules);
    EXPECT_TRUE(result.same) << verify_line(result);
    EXPECT_TRUE(game.outcome.over);
    EXPECT_LE(game.outcome.steps, 3600u);

    // Rules beyond any limit are refused, not played.
    std::string why;
    std::string bytes = testsupport::read_file(replay);
    const std::size_t entry = bytes.find('\x06');
    ASSERT_NE(entry, std::string::npos);
    bytes[entry + 1] = '\x7f';
    bytes.insert(entry + 1, "\xff");  // kills 16383
    ReplayReader bad;
    std::vector<unsigned char> raw(bytes.begin(), bytes.end());
    EXPECT_FALSE(bad.Parse(raw, &why));
    EXPECT_NE(why.find("absurd match rules"), std::string::npos) << why;
}

TEST(MatchReplay, ANetworkMatchEndsOnBothMachinesAtTheSameStep) {
    testsupport::TempDir dir;
    testsupport::ScopedConfig config;
    const std::string level = dir.file("map.lvl");
    testsupport::write_replay_level(level);
    net::Hello host = *net::make_hello(level, kStep, 77, 3, MatchRules{1, 1, 0});
    net::Hello joiner = *net::make_hello(level, kStep, 78, 3);
    testsupport::TwoMachines machines(level);
    std::string why;
    ASSERT_TRUE(machines.Connect(host, joiner, net::LinkOptions{}, std::nullopt, &why)) << why;
    ASSERT_TRUE(machines.StartGames(
        [](int n) { return new ScriptedInput([n](std::size_t s) { return duellist(n, s); }); },
        &why))
        << why;
    EXPECT_EQ(machines[1].game->rules, host.rules);  // the joiner plays the host's match
    machines.Run([&] { return machines[0].game->outcome.over && machines[1].game->outcome.over; },
                 5000);
    for (int i = 0; i < 2; ++i) ASSERT_TRUE(machines[i].game->outcome.over) << i;
    EXPECT_EQ(machines[0].game->outcome.steps, machines[1].game->outcome.steps);
    EXPECT_EQ(machines[0].game->outcome.winner, machines[1].game->outcome.winner);
    EXPECT_EQ(results_lines(*machines[0].game), results_lines(*machines[1].game));
    EXPECT_EQ(machines.WorldDigest(0), machines.WorldDigest(1));
}

TEST(MatchReplay, TheArenaPlaysAMatchUntilItEnds) {
    testsupport::TempDir dir;
    MatchSetup setup;
    setup.level_file = dir.file("map.lvl");
    testsupport::write_replay_level(setup.level_file);
    setup.seconds = 1800;
    const struct {
        std::vector<Contestant> players;
        MatchRules rules;
        const char* outcome;  // the start of the arena's line
    } cases[] = {
        {{Contestant::Bot, Contestant::Idle}, {0, 0, 1}, "winner player 1 at step "},
        {{Contestant::Idle, Contestant::Bot}, {0, 5, 1}, "winner player 2 at step "},
        {{Contestant::Idle, Contestant::Idle}, {0, 1, 0}, "draw at step 3600"},
    };
    for (const auto& c : cases) {
        setup.players = c.players;
        setup.rules = c.rules;
        const MatchResult r = play_match(setup);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.outcome.rfind(c.outcome, 0), 0u) << r.outcome;
        // The game stopped at the step the match ended.
        const std::string last = " " + std::to_string(r.steps);
        EXPECT_EQ(r.outcome.substr(r.outcome.size() - last.size()), last) << r.outcome;
    }
}

TEST(ReplayFolder, NamesByTimeAndKeepsOnlyTheNewestMatches) {
    testsupport::TempDir temp;
    const fs::path dir = fs::path(temp.file("replays"));
    std::tm t{};
    t.tm_year = 2026 - 1900, t.tm_mon = 11, t.tm_mday = 7, t.tm_hour = 21, t.tm_min = 30;
    const std::time_t when = std::mktime(&t);
    std::vector<std::string> made;
    for (int i = 0; i < 3; ++i) {
        std::string path, why;
        ASSERT_TRUE(next_match_replay(dir.string(), when + (i == 2), &path, &why)) << why;
        testsupport::write_file(path, "x");
        made.push_back(fs::path(path).filename().string());
    }
    EXPECT_EQ(made, (std::vector<std::string>{"2026-12-07_21-30-00.rpl", "2026-12-07_21-30-00-2.rpl",
                                              "2026-12-07_21-30-01.rpl"}));
    testsupport::write_file((dir / "mine.rpl").string(), "a player's own");
    prune_match_replays(dir.string(), 2);
    EXPECT_FALSE(fs::exists(dir / made[0]));
    EXPECT_TRUE(fs::exists(dir / made[1]));
    EXPECT_TRUE(fs::exists(dir / made[2]));
    EXPECT_TRUE(fs::exists(dir / "mine.rpl"));
}

}  // namespace
