#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "arena/arena.h"
#include "main/options.h"

namespace {

// argv with the program's name first.
struct Args {
    std::vector<const char*> argv{"prog"};
    explicit Args(const std::vector<const char*>& args) {
        argv.insert(argv.end(), args.begin(), args.end());
    }
    int argc() const { return static_cast<int>(argv.size()); }
};

struct MainCase {
    std::vector<const char*> args;
    std::vector<int> computer;  // the players the computer takes
    const char* skill;
};

TEST(MainOptions, BotBotsAndSkillChooseTheComputerPlayers) {
    const MainCase good[] = {
        {{}, {}, ""},
        {{"--bot"}, {2}, ""},
        {{"--bot", "1"}, {1}, ""},
        {{"--bot=2", "--skill", "hard"}, {2}, "hard"},
        {{"--bot", "--skill", "easy"}, {2}, "easy"},
        {{"--bots", "--record", "game.rpl"}, {1, 2}, ""},
        {{"--skill=normal"}, {}, "normal"},
    };
    for (const MainCase& c : good) {
        Args a(c.args);
        MainOptions o;
        std::string why;
        ASSERT_TRUE(parse_main_options(a.argc(), a.argv.data(), &o, &why)) << why;
        EXPECT_EQ(c.computer, o.computer) << why;
        EXPECT_EQ(c.skill, o.skill);
    }
    const std::vector<const char*> bad[] = {
        {"--bot", "3"}, {"--bot", "0"}, {"--bot="}, {"--skill", "genius"}, {"--skill"},
        {"--bot", "--bots"}, {"--bots", "2"}, {"--bot", "--replay", "x.rpl"}, {"--robot"},
    };
    for (const auto& args : bad) {
        Args a(args);
        MainOptions o;
        std::string why;
        EXPECT_FALSE(parse_main_options(a.argc(), a.argv.data(), &o, &why)) << args[0];
        EXPECT_FALSE(why.empty());
    }
}

TEST(ArenaOptions, PlayersSetUpAGameAndBadValuesAreUsageErrors) {
    Args a({"--players", "bot,random", "--seconds", "20", "--seed", "7", "--skill",
            "hard,easy", "--record", "g.rpl", "--level", "l.lvl"});
    ArenaOptions o;
    std::string why;
    ASSERT_TRUE(parse_arena_options(a.argc(), a.argv.data(), &o, &why)) << why;
    EXPECT_TRUE(o.play);
    EXPECT_EQ((std::vector<Contestant>{Contestant::Bot, Contestant::Random}), o.match.players);
    EXPECT_EQ((std::vector<BotSkill>{BotSkill::Hard, BotSkill::Easy}), o.match.skills);
    EXPECT_EQ(20.0, o.match.seconds);
    EXPECT_EQ(7u, o.match.seed);
    EXPECT_EQ("g.rpl", o.match.record);
    EXPECT_EQ("l.lvl", o.match.level_file);

    const std::vector<const char*> bad[] = {
        {"--players", "bot,alien"}, {"--players", "bot"}, {"--players", "bot,idle,idle"},
        {"--players", "bot,idle", "--skill", "genius"},
        {"--players", "bot,idle", "--skill", "easy,hard,easy"},
        {"--players", "bot,idle", "--seconds", "0"}, {"--players", "bot,idle", "--seed", "1.5"},
        {"--players", "bot,idle", "--seconds", "ten"}, {"--players", "bot,idle", "--replay", "x"},
        {"--seconds", "10"}, {"--record", "x.rpl"},
    };
    for (const auto& args : bad) {
        Args b(args);
        EXPECT_EQ(2, arena_main(b.argc(), b.argv.data())) << args[0] << " " << args[1];
    }
}

TEST(ArenaOptions, SynctestTakesOneToSixtyStepsWithPlayers) {
    Args a({"--players", "bot,bot", "--synctest", "8"});
    ArenaOptions o;
    std::string why;
    ASSERT_TRUE(parse_arena_options(a.argc(), a.argv.data(), &o, &why)) << why;
    EXPECT_EQ(8, o.match.synctest);
    const std::vector<const char*> bad[] = {
        {"--players", "bot,bot", "--synctest", "0"}, {"--players", "bot,bot", "--synctest", "61"},
        {"--players", "bot,bot", "--synctest", "2.5"}, {"--replay", "x.rpl", "--synctest", "8"},
    };
    for (const auto& args : bad) {
        Args b(args);
        EXPECT_EQ(2, arena_main(b.argc(), b.argv.data())) << args[2] << " " << args[3];
    }
}

}  // namespace
