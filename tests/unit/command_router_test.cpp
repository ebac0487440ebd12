#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "game/console_commands.h"
#include "game/command_router.h"
#include "game/game.h"

namespace {

class CommandRouterTest : public ::testing::Test {
protected:
    Game game{640, 480};

    void SetUp() override {
        game.players.emplace_back(&game, &game.level, 1);
        game.players.emplace_back(&game, &game.level, 2);
    }

    std::string Type(CommandRouter& router, const std::string& line) {
        std::istringstream args(line);
        std::ostringstream out;
        router.Process(args, out);
        return out.str();
    }
};

TEST_F(CommandRouterTest, OnlyLinesThatChangeTheWorldAreHeldOrRefused) {
    for (const char* line : {"select 2", "  select x", "player health 5", "player  health",
                             "player bot", "player bot genius", "player human"})
        EXPECT_TRUE(Game::CommandProcessor::ChangesWorld(line)) << line;
    for (const char* line : {"player", "player info", "stats", "stats timing", "quit", "selection",
                             "player healthy 5", "player bots", "", "bot"})
        EXPECT_FALSE(Game::CommandProcessor::ChangesWorld(line)) << line;

    ScopedCommandRouter scoped(game, CommandRouter::Mode::Hold);
    ASSERT_EQ(&scoped.router(), game.console.processor);
    CommandRouter& router = scoped.router();
    EXPECT_EQ("", Type(router, "select 2"));
    EXPECT_EQ(nullptr, game.selected);  // not before its step
    EXPECT_EQ("No selected player\n", Type(router, "player"));
    EXPECT_EQ("", Type(router, "player health 5"));
    EXPECT_EQ("Too long a command\n", Type(router, "select " + std::string(1000, '2')));
    EXPECT_EQ((std::vector<std::string>{"select 2", "player health 5"}), router.TakeHeld());
    EXPECT_TRUE(router.TakeHeld().empty());

    // The step applies what the record holds, at its console stage.
    StepInput input;
    input.commands = {"select 2", "player health 5"};
    game.Step(input, 0.0);
    ASSERT_EQ(&game.players.back(), game.selected);
    EXPECT_EQ(5.0f, game.selected->health);
}

TEST_F(CommandRouterTest, WatchingRefusesWhatWouldChangeTheWorldAndAnswersTheRest) {
    Game::Console::CommandProcessor* processor = game.console.processor;
    {
        ScopedCommandRouter scoped(game, CommandRouter::Mode::Refuse);
        CommandRouter& router = scoped.router();
        EXPECT_EQ("Watching a replay: that command would change the game\n",
                  Type(router, "select 1"));
        EXPECT_EQ(nullptr, game.selected);
        EXPECT_NE(std::string::npos, Type(router, "stats").find("Player 2\t0\t0"));
        EXPECT_TRUE(router.TakeHeld().empty());
    }
    EXPECT_EQ(processor, game.console.processor);
}

}  // namespace
