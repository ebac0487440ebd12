#include <allegro.h>
#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <vector>

#include "game/game.h"
#include "input/input_handler.h"
#include "input/player_input.h"
#include "input/scripted_input.h"
#include "inventory/weapon.h"
#include "player/player.h"
#include "support/game_support.h"

namespace {

// Scan codes of one test binding.
constexpr int kUp = KEY_W, kDown = KEY_S, kLeft = KEY_A, kRight = KEY_D;
constexpr int kJump = KEY_J, kFire = KEY_F, kDig = KEY_G, kWeapon = KEY_Q;

class InputTest : public ::testing::Test {
protected:
    void SetUp() override { release_all(); }
    void TearDown() override { release_all(); }

    static void release_all() {
        for (int i = 0; i < KEY_MAX; ++i) key[i] = 0;
    }
    static void hold(int code) { key[code] = 1; }
    static void release(int code) { key[code] = 0; }

    // Pistol, shotgun, rocket launcher, in that order, the pistol current.
    void arm_three() {
        player.weapons.push_back(new Inventory::Pistol(&game, nullptr));
        player.weapons.push_back(new Inventory::Shotgun(&game, nullptr));
        player.weapons.push_back(new Inventory::RocketLauncher(&game, nullptr));
        player.current_weapon = player.weapons.begin();
    }

    WeaponSlot slot(int i) { return std::next(player.weapons.begin(), i); }

    int step(InputHandler& handler) { return testsupport::handle_step(handler, player, game); }

    Game game{640, 480};
    Player player{&game, nullptr, 1};
    PlayerInput input{kUp, kDown, kLeft, kRight, kJump, kFire, kDig, kWeapon};
};

}  // namespace

TEST_F(InputTest, NothingHeldGivesNoBits) {
    arm_three();
    EXPECT_EQ(step(input), 0);
    EXPECT_EQ(input.weapon_latch, 0);
}

TEST_F(InputTest, WeaponKeySwitchesOncePerPress) {
    arm_three();
    hold(kWeapon);
    WeaponSlot next = player.weapons.end();
    EXPECT_EQ(input.Handle(player, game, next), ACT_WEAPON);
    EXPECT_EQ(next, slot(1));
    EXPECT_EQ(input.weapon_latch, kWeapon);
    player.SelectWeapon(next);

    // Held: no more switches, and the out parameter is left alone.
    for (int i = 0; i < 10; ++i) {
        WeaponSlot untouched = player.weapons.end();
        EXPECT_EQ(input.Handle(player, game, untouched), 0);
        EXPECT_EQ(untouched, player.weapons.end());
    }
    EXPECT_EQ(player.current_weapon, slot(1));

    release(kWeapon);
    EXPECT_EQ(step(input), 0);
    EXPECT_EQ(input.weapon_latch, 0);
    hold(kWeapon);
    EXPECT_EQ(step(input), ACT_WEAPON);
    EXPECT_EQ(player.current_weapon, slot(2));
}

TEST_F(InputTest, SwitchWrapsFromTheLastWeaponToTheFirst) {
    arm_three();
    player.current_weapon = slot(2);
    hold(kWeapon);
    EXPECT_EQ(step(input), ACT_WEAPON);
    EXPECT_EQ(player.current_weapon, player.weapons.begin());
}

TEST_F(InputTest, SinglePistolSwitchesToItself) {
    player.weapons.push_back(new Inventory::Pistol(&game, nullptr));
    player.current_weapon = player.weapons.begin();
    hold(kWeapon);
    WeaponSlot next = player.weapons.end();
    EXPECT_EQ(input.Handle(player, game, next), ACT_WEAPON);
    EXPECT_EQ(next, player.weapons.begin());
}

TEST_F(InputTest, WeaponSwitchCombinesWithOtherKeys) {
    arm_three();
    hold(kWeapon);
    hold(kRight);
    hold(kFire);
    EXPECT_EQ(step(input), ACT_WEAPON | ACT_RIGHT | ACT_FIRE);
    EXPECT_EQ(step(input), ACT_RIGHT | ACT_FIRE);
}

TEST_F(InputTest, LeftWinsOverRightAndUpOverDown) {
    hold(kLeft);
    hold(kRight);
    hold(kUp);
    hold(kDown);
    EXPECT_EQ(step(input), ACT_LEFT | ACT_UP);
    release(kLeft);
    release(kUp);
    EXPECT_EQ(step(input), ACT_RIGHT | ACT_DOWN);
}

TEST_F(InputTest, HeldKeysRepeatEveryStep) {
    hold(kJump);
    hold(kFire);
    hold(kDig);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(step(input), ACT_JUMP | ACT_FIRE | ACT_DIG);
}

TEST_F(InputTest, UnboundAndOutOfRangeCodesAreNeverDown) {
    arm_three();
    PlayerInput unbound(0, 0, 0, 0, 0, 0, 0, 0);
    key[0] = 1;
    EXPECT_EQ(step(unbound), 0);
    EXPECT_EQ(unbound.weapon_latch, 0);
    EXPECT_EQ(player.current_weapon, player.weapons.begin());

    // Codes a corrupt configuration could give: never read outside the key table.
    PlayerInput wild(-1, KEY_MAX, 100000, -100000, KEY_MAX + 1, -2147483647 - 1, 2147483647,
                     KEY_MAX);
    for (int i = 0; i < KEY_MAX; ++i) key[i] = 1;
    EXPECT_EQ(step(wild), 0);
}

TEST(InputHandler, NextWeaponOf) {
    Game game(640, 480);
    Player player(&game, nullptr, 1);
    EXPECT_EQ(next_weapon_of(player), player.weapons.end());

    player.weapons.push_back(new Inventory::Pistol(&game, nullptr));
    player.weapons.push_back(new Inventory::Shotgun(&game, nullptr));
    // No current weapon: the first one is next.
    EXPECT_EQ(next_weapon_of(player), player.weapons.begin());
    player.current_weapon = player.weapons.begin();
    EXPECT_EQ(next_weapon_of(player), std::next(player.weapons.begin()));
    player.current_weapon = std::next(player.weapons.begin());
    EXPECT_EQ(next_weapon_of(player), player.weapons.begin());
}

TEST(ScriptedInput, ReplaysTheScriptThenNothing) {
    Game game(640, 480);
    Player player(&game, nullptr, 1);
    player.weapons.push_back(new Inventory::Pistol(&game, nullptr));
    player.weapons.push_back(new Inventory::Shotgun(&game, nullptr));
    player.current_weapon = player.weapons.begin();

    ScriptedInput script({ACT_LEFT, ACT_FIRE | ACT_JUMP, ACT_WEAPON | ACT_DIG});
    std::vector<int> got;
    WeaponSlot next = player.weapons.end();
    for (int i = 0; i < 2; ++i) got.push_back(script.Handle(player, game, next));
    EXPECT_EQ(next, player.weapons.end());
    got.push_back(script.Handle(player, game, next));
    EXPECT_EQ(next, std::next(player.weapons.begin()));
    for (int i = 0; i < 2; ++i) got.push_back(script.Handle(player, game, next));
    EXPECT_EQ(got, (std::vector<int>{ACT_LEFT, ACT_FIRE | ACT_JUMP, ACT_WEAPON | ACT_DIG, 0, 0}));
    EXPECT_EQ(script.steps(), 5u);
}

TEST(ScriptedInput, AsksAFunctionForEachStep) {
    Game game(640, 480);
    Player player(&game, nullptr, 1);
    std::vector<std::size_t> asked;
    ScriptedInput script([&asked](std::size_t s) {
        asked.push_back(s);
        return s % 2 ? ACT_DIG : ACT_RIGHT;
    });
    WeaponSlot next = player.weapons.end();
    EXPECT_EQ(script.Handle(player, game, next), ACT_RIGHT);
    EXPECT_EQ(script.Handle(player, game, next), ACT_DIG);
    EXPECT_EQ(script.Handle(player, game, next), ACT_RIGHT);
    EXPECT_EQ(asked, (std::vector<std::size_t>{0, 1, 2}));

    // With no weapon at all a switch selects "none".
    ScriptedInput switcher(std::vector<int>{ACT_WEAPON});
    next = player.weapons.begin();
    EXPECT_EQ(switcher.Handle(player, game, next), ACT_WEAPON);
    EXPECT_EQ(next, player.weapons.end());
}
