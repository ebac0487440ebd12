#include <allegro.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "game/game.h"
#include "base/random.h"
#include "input/player_input.h"
#include "inventory/weapon.h"
#include "level/level.h"
#include "input/controls.h"
#include "support/test_support.h"

namespace {

// A game loaded from a small level file written into a temporary folder.
class GameLoad : public ::testing::Test {
protected:
    testsupport::TempDir dir;
    std::string file = dir.file("map.lvl");

    void SetUp() override {
        testsupport::save_level_file(file,
                                     *testsupport::make_level(400, 300, [](int, int y) { return y >= 200; }));
        seed_random(11);
    }
};

TEST_F(GameLoad, CreatesNumberedPlayersInTheTableWithHandlers) {
    testsupport::ScopedConfig config;
    write_default_controls();
    Game game(640, 480);
    ASSERT_TRUE(game.Load(file, 2));
    EXPECT_EQ(400, game.level.width);
    EXPECT_EQ(300, game.level.height);
    ASSERT_EQ(2u, game.players.size());
    int expected = 1;
    for (Player& p : game.players) {
        EXPECT_EQ(expected++, p.number);
        EXPECT_NE(game.particles.end(),
                  std::find(game.particles.begin(), game.particles.end(), &p));
        EXPECT_FLOAT_EQ(20.0f, p.y);  // placed by the first respawn
        EXPECT_EQ(100.0f, p.health);
        ASSERT_TRUE(p.HasWeapon());
        EXPECT_STREQ("Pistol", weapon_name(*p.current_weapon));
    }
    ASSERT_EQ(2u, game.inputs.size());
    auto* one = dynamic_cast<PlayerInput*>(game.inputs.at(1));
    auto* two = dynamic_cast<PlayerInput*>(game.inputs.at(2));
    ASSERT_NE(nullptr, one);
    ASSERT_NE(nullptr, two);
    EXPECT_EQ(KEY_W, one->up);
    EXPECT_EQ(KEY_TAB, one->weapon);
    EXPECT_EQ(KEY_0_PAD, two->fire);
    EXPECT_EQ(KEY_SLASH_PAD, two->weapon);
    EXPECT_EQ(0, one->weapon_latch);
}

TEST_F(GameLoad, MissingOrNonsenseBindingsAreUnbound) {
    testsupport::ScopedConfig config(
        "[controls]\nplayer[1].jump = 67\nplayer[1].fire = -4\nplayer[1].dig = 100000\n"
        "player[1].up = abc\n");
    Game game(640, 480);
    ASSERT_TRUE(game.Load(file, 2));
    auto* one = dynamic_cast<PlayerInput*>(game.inputs.at(1));
    auto* two = dynamic_cast<PlayerInput*>(game.inputs.at(2));
    EXPECT_EQ(KEY_ENTER, one->jump);
    EXPECT_EQ(0, one->fire);
    EXPECT_EQ(0, one->dig);
    EXPECT_EQ(0, one->up);
    EXPECT_EQ(0, two->fire);
}

TEST_F(GameLoad, EveryPlayerBindingWithNonsenseIsUnbound) {
    for (const char* value : {"abc", "-7", "99999999999", "nan", "inf"}) {
        std::string ini = "[controls]\n";
        for (int player = 1; player <= 2; ++player)
            for (const char* action : PLAYER_ACTIONS)
                ini += player_binding_name(player, action) + " = " + value + "\n";
        testsupport::ScopedConfig config(ini);
        Game game(640, 480);
        ASSERT_TRUE(game.Load(file, 2));
        for (int number = 1; number <= 2; ++number) {
            auto* input = dynamic_cast<PlayerInput*>(game.inputs.at(number));
            ASSERT_NE(nullptr, input);
            for (int code : {input->up, input->down, input->left, input->right, input->jump, input->fire,
                             input->dig, input->weapon})
                EXPECT_EQ(0, code) << "player " << number << " = " << value;
        }
    }
}

TEST_F(GameLoad, RefusesOtherExtensionsCaseSensitively) {
    for (const char* name : {"map.LVL", "map.lvl.bak", "map", "map.bmp"}) {
        Game game(640, 480);
        EXPECT_FALSE(game.Load(dir.file(name), 2)) << name;
        EXPECT_TRUE(game.players.empty());
        EXPECT_TRUE(game.inputs.empty());
        EXPECT_EQ(nullptr, game.level.mask);
    }
}

TEST_F(GameLoad, NoPlayersStillLoadsTheLevel) {
    testsupport::ScopedConfig config;
    Game game(640, 480);
    ASSERT_TRUE(game.Load(file, 0));
    EXPECT_TRUE(game.players.empty());
    EXPECT_TRUE(game.inputs.empty());
    EXPECT_NE(nullptr, game.level.render);
}

TEST_F(GameLoad, ReportsEachStageInTheConsole) {
    testsupport::ScopedConfig config;
    write_default_controls();
    Game game(640, 480);
    ASSERT_TRUE(game.Load(file, 2));
    game.console.flush();

    // The same lines written into a console of the same size must give the same picture.
    Game reference(640, 480);
    const std::string keys1 = key_name(KEY_W) + ", " + key_name(KEY_S) + ", " +
                              key_name(KEY_A) + ", " + key_name(KEY_D) + ", " +
                              key_name(KEY_SPACE) + ", " + key_name(KEY_ALT) + ", " +
                              key_name(KEY_LCONTROL) + ", " + key_name(KEY_TAB);
    const std::string keys2 = key_name(KEY_UP) + ", " + key_name(KEY_DOWN) + ", " +
                              key_name(KEY_LEFT) + ", " + key_name(KEY_RIGHT) + ", " +
                              key_name(KEY_4_PAD) + ", " + key_name(KEY_0_PAD) + ", " +
                              key_name(KEY_7_PAD) + ", " + key_name(KEY_SLASH_PAD);
    reference.console << "Loading level " << file << "..." << std::endl
                      << "Initializing players (2)..." << std::endl
                      << "Player 1: " << keys1 << std::endl
                      << "Player 2: " << keys2 << std::endl
                      << "Loaded successfully" << std::endl;

    BITMAP* shown = game.console.buffer;
    EXPECT_EQ("", testsupport::bitmap_difference(shown, reference.console.buffer));
    int lit = 0;
    for (int y = 0; y < shown->h; ++y)
        for (int x = 0; x < shown->w; ++x) lit += getpixel(shown, x, y) != makecol(0, 0, 0);
    EXPECT_GT(lit, 500);  // the lines are really there
}

}  // namespace

TEST(GameLoadDeathTest, ALevelFileThatIsNoPackedFileEndsInTheReportOfItsOpening) {
    testsupport::ScopedForkingDeathTests forking;
    testsupport::TempDir dir;
    const std::string file = dir.file("map.lvl");
    const std::string report =
        "Debug assertion failed!\npf = pack_fopen\\(file.c_str\\(\\), \"rp\"\\)\nsrc/game/game_load.cpp:[0-9]+ in "
        "Game::Load";
    const std::string unpacked_level = std::string(8, '\0') + "\x01";
    for (const std::string& bytes : {std::string(), std::string("BM") + std::string(60, '\0'),
                                     std::string("slh"), unpacked_level}) {
        testsupport::write_file(file, bytes);
        EXPECT_DEATH(
            {
                Game game(640, 480);
                game.Load(file, 2);
            },
            report)
            << bytes.size() << " bytes";
    }
    std::remove(file.c_str());
    EXPECT_DEATH(
        {
            Game game(640, 480);
            game.Load(file, 2);
        },
        report);
}
