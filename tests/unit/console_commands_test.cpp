#include <allegro.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "bot/bot_input.h"
#include "bot/computer_seats.h"
#include "game/console_commands.h"
#include "game/game.h"
#include "input/scripted_input.h"
#include "support/game_support.h"
#include "support/test_support.h"

using testsupport::bitmap_difference;
using testsupport::draw_text;
using testsupport::enter_into;

namespace {

// A reply stream that remembers everything written up to each flush.
class FlushLog : public std::stringbuf {
public:
    std::vector<std::string> flushed;

protected:
    int sync() override {
        flushed.push_back(str());
        return 0;
    }
};

class CommandProcessorTest : public ::testing::Test {
protected:
    Game game{640, 480};
    Player* one = nullptr;
    Player* two = nullptr;
    FlushLog log;
    std::ostream out{&log};

    void SetUp() override {
        game.players.emplace_back(&game, &game.level, 1);
        game.players.emplace_back(&game, &game.level, 2);
        one = &game.players.front();
        two = &game.players.back();
    }

    // Runs one command line and returns what it wrote.
    std::string Run(const std::string& line) {
        log.str("");
        log.flushed.clear();
        std::istringstream args(line);
        game.processor->Process(args, out);
        return log.str();
    }
};

}  // namespace

TEST_F(CommandProcessorTest, QuitEndsTheGameSilentlyWhateverFollows) {
    EXPECT_EQ(Run("quit now please"), "");
    EXPECT_TRUE(game.quit);
}

TEST_F(CommandProcessorTest, SelectTakesThePlayerWithThatNumber) {
    EXPECT_EQ(Run("select 2"), "Selected player 2\n");
    EXPECT_EQ(game.selected, two);
    EXPECT_EQ(log.flushed, std::vector<std::string>{"Selected player 2\n"});

    EXPECT_EQ(Run("select 3"), "Couldn't find that player\n");
    EXPECT_EQ(game.selected, two);
    EXPECT_EQ(Run("select two"), "Couldn't find that player\n");
    EXPECT_EQ(Run("select"), "Couldn't find that player\n");
    EXPECT_EQ(Run("select 0"), "Couldn't find that player\n");
    EXPECT_EQ(game.selected, two);

    EXPECT_EQ(Run("  select   1  extra"), "Selected player 1\n");
    EXPECT_EQ(game.selected, one);
}

TEST_F(CommandProcessorTest, PlayerAnswersWhetherAndWhichPlayerIsSelected) {
    EXPECT_EQ(Run("player"), "No selected player\n");
    EXPECT_EQ(Run("player info"), "Select a player first\n");
    EXPECT_EQ(Run("player stats"), "Select a player first\n");
    EXPECT_EQ(Run("player health 5"), "Select a player first\n");
    EXPECT_EQ(one->health, 100.0f);
    Run("select 1");
    EXPECT_EQ(Run("player"), "Current selected player: 1\n");
}

TEST_F(CommandProcessorTest, PlayerInfoPrintsPositionVelocityControlAndState) {
    Run("select 1");
    one->x = 212.5f;
    one->y = 96.0f;
    one->vx = 0.0f;
    one->vy = 0.0f;
    one->control = PC_Normal;
    one->state = PS_Normal;
    EXPECT_EQ(Run("player info"), "Player 1 (212.5, 96) (0, 0) PC_Normal PS_Normal\n");

    // Six significant digits, exponent form for very large values, whatever the reply
    // stream's own format flags say.
    out << std::fixed;
    one->x = 1.0f / 3.0f;
    one->vx = -3.25f;
    one->vy = 1.0e7f;
    one->control = PC_Flying;
    one->state = PS_Falling;
    EXPECT_EQ(Run("player info"), "Player 1 (0.333333, 96) (-3.25, 1e+07) PC_Flying PS_Falling\n");

    one->control = PC_None;
    one->state = PS_Flying;
    EXPECT_EQ(Run("player info"), "Player 1 (0.333333, 96) (-3.25, 1e+07) PC_None PS_Flying\n");
    one->control = static_cast<ParticleControl>(3);
    one->state = static_cast<ParticleState>(3);
    EXPECT_EQ(Run("player info"), "Player 1 (0.333333, 96) (-3.25, 1e+07) Unknown Unknown\n");
}

TEST_F(CommandProcessorTest, PlayerHealthSetsTheWholeNumberRead) {
    Run("select 2");
    EXPECT_EQ(Run("player health 150"), "");
    EXPECT_EQ(two->health, 150.0f);
    EXPECT_EQ(Run("player health -5"), "");
    EXPECT_EQ(two->health, -5.0f);
    EXPECT_EQ(Run("player health 7.9"), "");
    EXPECT_EQ(two->health, 7.0f);
    EXPECT_EQ(Run("player health"), "");
    EXPECT_EQ(Run("player health lots"), "");
    EXPECT_EQ(two->health, 7.0f);
    EXPECT_EQ(one->health, 100.0f);
}

TEST_F(CommandProcessorTest, PlayerBotHandsTheSelectedPlayerToTheComputerAndHumanGivesItsKeysBack) {
    EXPECT_EQ(Run("player bot"), "Select a player first\n");
    Run("select 2");
    EXPECT_EQ(Run("player bot"), "No computer players in this game\n");
    ComputerSeats seats({}, {}, BotSkill::Hard, 1);
    game.computers = &seats;
    InputHandler* keys = new ScriptedInput(std::vector<int>());
    game.inputs[2] = keys;
    EXPECT_EQ(Run("player human"), "Player 2 is on its keys already\n");
    EXPECT_EQ(Run("player bot genius"), "Unknown skill: genius (easy, normal or hard)\n");
    EXPECT_EQ(keys, game.inputs[2]);

    EXPECT_EQ(Run("player bot"), "Player 2 is played by the computer (hard)\n");
    auto* bot = dynamic_cast<BotInput*>(game.inputs[2]);
    ASSERT_NE(nullptr, bot);
    EXPECT_EQ(BotSkill::Hard, bot->skill());
    EXPECT_EQ(Run("player bot easy"), "Player 2 is played by the computer (easy)\n");
    bot = dynamic_cast<BotInput*>(game.inputs[2]);
    ASSERT_NE(nullptr, bot);
    EXPECT_EQ(BotSkill::Easy, bot->skill());

    EXPECT_EQ(Run("player human"), "Player 2 is back on its keys\n");
    EXPECT_EQ(keys, game.inputs[2]);
    EXPECT_TRUE(game.keys_aside.empty());
}

TEST_F(CommandProcessorTest, StatsPrintsAHeaderAndOneLinePerPlayerEachFlushed) {
    one->kills = 3;
    two->deaths = 12;
    const std::string header = "Player  \tKills\tDeaths\n";
    const std::string first = "Player 1\t3\t0\n";
    const std::string second = "Player 2\t0\t12\n";
    EXPECT_EQ(Run("stats"), header + first + second);
    EXPECT_EQ(log.flushed, (std::vector<std::string>{header, header + first, header + first + second}));

    // "player stats" is "stats" once a player is selected.
    Run("select 1");
    EXPECT_EQ(Run("player stats"), header + first + second);
}

TEST_F(CommandProcessorTest, StatsTimingTogglesTheTimingDisplay) {
    EXPECT_EQ(Run("stats timing"), "");
    EXPECT_TRUE(game.show_timing);
    EXPECT_EQ(Run("stats timing"), "");
    EXPECT_FALSE(game.show_timing);
    Run("select 2");
    EXPECT_EQ(Run("player stats timing extra"), "");
    EXPECT_TRUE(game.show_timing);
    EXPECT_EQ(Run("stats Timing"), "Unrecognized category: Timing\n");
    EXPECT_TRUE(game.show_timing);
}

TEST_F(CommandProcessorTest, UnknownWordsAreAnsweredAsUnrecognized) {
    EXPECT_EQ(Run("Quit"), "Unrecognized command: Quit\n");
    EXPECT_FALSE(game.quit);
    EXPECT_EQ(Run("   "), "Unrecognized command: \n");
    EXPECT_EQ(Run("dance 3"), "Unrecognized command: dance\n");
    Run("select 1");
    EXPECT_EQ(Run("player quit"), "Unrecognized command: quit\n");
    EXPECT_FALSE(game.quit);
    EXPECT_EQ(Run("player select 2"), "Unrecognized command: select\n");
    EXPECT_EQ(game.selected, one);
}

// ---------------------------------------------------------------------------------------
// The same commands typed into the game's own console.

TEST_F(CommandProcessorTest, RepliesTypedIntoTheConsoleAreDrawnInItsScrollBack) {
    Game::Console& console = game.console;
    testsupport::Bitmap expected(console.buffer->w, console.buffer->h);
    ASSERT_EQ(console.vh, 108);
    // The stats table from row `top` down; the tabs line the columns up at 128 and 192 pixels.
    auto draw_stats = [&](int top) {
        const char* rows[][3] = {
            {"Player", "Kills", "Deaths"}, {"Player 1", "0", "0"}, {"Player 2", "0", "0"}};
        const int column[] = {0, 128, 192};
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) draw_text(expected, rows[r][c], column[c], top + 9 * r);
    };

    enter_into(console, "stats");
    draw_stats(81);
    EXPECT_EQ(bitmap_difference(console.buffer, expected), "");
    EXPECT_TRUE(console.line.empty());

    // Silent commands add nothing.
    enter_into(console, "stats timing");
    enter_into(console, "quit");
    EXPECT_TRUE(game.show_timing);
    EXPECT_TRUE(game.quit);
    EXPECT_EQ(bitmap_difference(console.buffer, expected), "");

    enter_into(console, "select 2");
    clear_bitmap(expected);
    draw_stats(72);
    draw_text(expected, "Selected player 2", 0, 99);
    EXPECT_EQ(bitmap_difference(console.buffer, expected), "");
    EXPECT_EQ(game.selected, two);
}

TEST_F(CommandProcessorTest, AConsoleWithACopyWritesItsRepliesThereAsTheyAreDrawn) {
    Game::Console& console = game.console;
    std::FILE* copy = std::tmpfile();
    ASSERT_NE(copy, nullptr);
    console.copy = copy;
    enter_into(console, "select 1");
    enter_into(console, "player info");
    // Flushed with each line: what is on the screen is in the file.
    std::string written(256, '\0');
    std::rewind(copy);
    written.resize(std::fread(&written[0], 1, written.size(), copy));
    EXPECT_EQ(written, "Selected player 1\n" + Run("player info"));
    console.copy = nullptr;
    std::fclose(copy);
}
