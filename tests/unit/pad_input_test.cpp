#include "input/pad_input.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <tuple>

#include "game/game.h"
#include "input/keyboard_and_pad.h"
#include "input/pad_setup.h"
#include "inventory/weapon.h"
#include "player/player.h"
#include "support/game_support.h"
#include "support/test_support.h"

namespace {

// A pad on all four buttons and both axes.
PadBinding full_binding() {
    PadBinding b;
    b.jump = 0, b.fire = 1, b.dig = 2, b.weapon = 3;
    b.walk = b.aim = true;
    return b;
}

PadState stick(int x, int y, unsigned buttons = 0) {
    PadState s;
    s.x = x, s.y = y, s.buttons = buttons;
    return s;
}

// Hands out whatever reading the test put into `*next`.
class ScriptedPad final : public PadReader {
public:
    explicit ScriptedPad(const PadState* next) : next_(next) {}
    PadState Read() override { return *next_; }

private:
    const PadState* next_;
};

}  // namespace

TEST(PadBits, StickAndButtonsToActions) {
    PadBinding no_stick = full_binding(), no_fire = full_binding();
    no_stick.walk = no_stick.aim = false;
    no_fire.fire = NO_BUTTON;
    const struct {
        PadState state;
        PadBinding binding;
        int bits;
    } cases[] = {
        {stick(PAD_DEAD_ZONE, -PAD_DEAD_ZONE), full_binding(), 0},  // resting, worn
        {stick(PAD_DEAD_ZONE + 1, 0), full_binding(), ACT_RIGHT},
        {stick(0, -PAD_DEAD_ZONE - 1), full_binding(), ACT_UP},
        {stick(-128, 128, 0x7), full_binding(),
         ACT_LEFT | ACT_DOWN | ACT_JUMP | ACT_FIRE | ACT_DIG},
        {stick(128, 128, 0x7), no_stick, ACT_JUMP | ACT_FIRE | ACT_DIG},
        {stick(0, 0, ~0u & ~0x8u), no_fire, ACT_JUMP | ACT_DIG},
    };
    for (const auto& c : cases) {
        bool weapon_held = false;
        EXPECT_EQ(pad_bits(c.state, c.binding, weapon_held), c.bits)
            << "x " << c.state.x << " y " << c.state.y << " buttons " << c.state.buttons;
    }
}

namespace {

class PadPlayer : public ::testing::Test {
protected:
    void SetUp() override {
        for (int w = 0; w < 3; ++w) player.weapons.push_back(new Inventory::Pistol(&game, nullptr));
        player.current_weapon = player.weapons.begin();
    }
    void TearDown() override {
        for (int i = 0; i < KEY_MAX; ++i) key[i] = 0;
    }

    std::unique_ptr<PadInput> make_pad() {
        return std::make_unique<PadInput>(1, 0, full_binding(),
                                          std::make_unique<ScriptedPad>(&reading), game.console);
    }
    KeyboardAndPad make_both() {
        return KeyboardAndPad(
            std::make_unique<PlayerInput>(KEY_W, KEY_S, KEY_A, KEY_D, KEY_J, KEY_F, KEY_G, KEY_Q),
            make_pad(), game.console_active);
    }

    int step(InputHandler& handler) { return testsupport::handle_step(handler, player, game); }

    Game game{640, 480};
    Player player{&game, nullptr, 1};
    PadState reading;
};

}  // namespace

TEST_F(PadPlayer, GonePadIsUnboundForGood) {
    auto pad = make_pad();
    reading = stick(128, 0, 0x2);
    EXPECT_EQ(step(*pad), ACT_RIGHT | ACT_FIRE);
    reading.answering = false;
    EXPECT_EQ(step(*pad), 0);
    EXPECT_TRUE(pad->lost());
    reading.answering = true;  // the driver's frozen state must not come back
    EXPECT_EQ(step(*pad), 0);
}

TEST_F(PadPlayer, KeyboardAndPadCombineAndTheConsoleTakesOnlyTheKeyboard) {
    KeyboardAndPad both = make_both();
    const struct {
        bool console;
        int held_key;
        PadState pad;
        int bits;
    } cases[] = {
        {false, KEY_A, stick(0, 0), ACT_LEFT},
        {false, KEY_F, stick(0, -128, 0x1), ACT_FIRE | ACT_UP | ACT_JUMP},
        {false, KEY_A, stick(128, 0), ACT_LEFT | ACT_RIGHT},  // the step lets left win
        {true, KEY_A, stick(0, 0), 0},
        {true, KEY_F, stick(128, 0, 0x4), ACT_RIGHT | ACT_DIG},
    };
    for (const auto& c : cases) {
        game.console_active = c.console;
        key[c.held_key] = 1;
        reading = c.pad;
        EXPECT_EQ(step(both), c.bits) << "console " << c.console << " key " << c.held_key;
        key[c.held_key] = 0;
    }
}

TEST_F(PadPlayer, WeaponSwitchOncePerPressFromEither) {
    KeyboardAndPad both = make_both();
    const unsigned weapon = 1u << 3;
    const struct {
        bool console, q;
        unsigned buttons;
        int weapon_after;
    } steps[] = {
        {false, true, weapon, 1},  // both pressed in one step: one switch
        {false, true, weapon, 1},  // both held
        {false, false, 0, 1},     {false, false, weapon, 2},  // pad alone
        {false, true, weapon, 0},                             // keyboard alone, pad still held
        {true, true, 0, 0},        // console open: the held key stays latched...
        {false, true, 0, 0},       // ...so closing it while held does not switch
        {true, false, weapon, 1},  // the pad switches while someone types
    };
    for (const auto& s : steps) {
        game.console_active = s.console;
        key[KEY_Q] = s.q;
        reading = stick(0, 0, s.buttons);
        step(both);
        EXPECT_EQ(std::distance(player.weapons.begin(), player.current_weapon), s.weapon_after)
            << "step " << &s - steps;
    }
}

TEST(PadSettings, OutOfRangeValuesFallBackToTheDefaults) {
    const auto fields = [](const PadSettings& s) {
        return std::make_tuple(s.pad, s.jump, s.fire, s.dig, s.weapon);
    };
    const struct {
        const char* ini;
        std::tuple<int, int, int, int, int> expected;
    } cases[] = {
        {"", fields(PadSettings())},
        {"player[2].pad = 1\nplayer[2].pad_jump = 31\nplayer[2].pad_fire = 0\n"
         "player[2].pad_dig = 7\nplayer[2].pad_weapon = 5\n",
         {1, 31, 0, 7, 5}},
        {"player[2].pad = 2\nplayer[2].pad_jump = 32\nplayer[2].pad_fire = -1\n"
         "player[2].pad_dig = abc\nplayer[2].pad_weapon = 3x\nplayer[1].pad = 0\n",
         fields(PadSettings())},
        {"player[2].pad = -2\n", fields(PadSettings())},
    };
    for (const auto& c : cases) {
        testsupport::ScopedConfig config(std::string("[controls]\n") + c.ini);
        EXPECT_EQ(fields(read_pad_settings(2)), c.expected) << c.ini;
    }
}

TEST(PadSettings, CheckedAgainstThePad) {
    PadSettings wanted;
    wanted.pad = 1;
    wanted.dig = 5;
    const std::string named =
        "Player 2: pad 1: jump button 0, fire button 1, dig button 5, weapon button 3\n";
    const struct {
        PadCaps caps;  // driver, pads, axes, buttons, name
        bool usable;
        int jump, dig;
        bool walk, aim;
        std::string lines;
    } cases[] = {
        {{false, 0, 0, 0, ""},
         false,
         0,
         0,
         false,
         false,
         "Player 2: no joystick driver, pad 1 is not used\n"},
        {{true, 1, 2, 12, ""},
         false,
         0,
         0,
         false,
         false,
         "Player 2: pad 1 not found (1 connected), it is not used\n"},
        {{true, 2, 2, 12, "Gamepad"},
         true,
         0,
         5,
         true,
         true,
         "Player 2: pad 1 (Gamepad): jump button 0, fire button 1, dig button 5, weapon button "
         "3\n"},
        {{true, 2, 1, 4, ""},
         true,
         0,
         NO_BUTTON,
         true,
         false,
         named + "Player 2: pad 1 has 4 buttons, unbound: dig\nPlayer 2: pad 1 has one axis, "
                 "unbound: aiming\n"},
        {{true, 2, 0, 0, ""},
         true,
         NO_BUTTON,
         NO_BUTTON,
         false,
         false,
         named + "Player 2: pad 1 has 0 buttons, unbound: jump, fire, dig, weapon\n"
                 "Player 2: pad 1 has no stick, unbound: walking, aiming\n"},
    };
    for (const auto& c : cases) {
        std::ostringstream console;
        const auto binding = bind_pad(2, wanted, c.caps, console);
        EXPECT_EQ(console.str(), c.lines);
        ASSERT_EQ(binding.has_value(), c.usable) << c.lines;
        if (!binding) continue;
        EXPECT_EQ(std::make_tuple(binding->jump, binding->dig, binding->walk, binding->aim),
                  std::make_tuple(c.jump, c.dig, c.walk, c.aim))
            << c.lines;
    }
}

TEST(PadSettings, WithoutAUsablePadThePlayerKeepsTheKeyboardAlone) {
    // The platform-less library of the unit tests has no joystick driver.
    testsupport::ScopedConfig config("[controls]\nplayer[1].pad = 5\nplayer[2].pad = 0\n");
    auto keyboard = std::make_unique<PlayerInput>(0, 0, 0, 0, 0, 0, 0, 0);
    PlayerInput* raw = keyboard.get();
    std::ostringstream console;
    for (int player : {1, 2}) {
        bool console_open = false;
        auto handler = with_configured_pad(player, std::move(keyboard), console, console_open);
        EXPECT_EQ(handler.get(), raw);
        keyboard.reset(static_cast<PlayerInput*>(handler.release()));
    }
    EXPECT_EQ(console.str(), "Player 2: no joystick driver, pad 0 is not used\n");
}
