#include <allegro.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "main/scaled_window.h"
#include "menu/menu_model.h"
#include "menu/menu_settings.h"
#include "support/test_support.h"

using testsupport::ScopedConfig;
using testsupport::read_file;

namespace {

// A screen of three entries: a fixed action, a number 0..5 and a number without action.
struct Counting {
    int activated = 0;
    int number = 2;
    MenuScreen screen{"t", {
        {"go", nullptr, nullptr, [this] { ++activated; }},
        {"n", [this] { return std::to_string(number); }, [this](int d) { number += d; }, nullptr},
        {"plain", nullptr, nullptr, nullptr},
    }};
};

}  // namespace

TEST(MenuScreen, UpAndDownGoRoundTheList) {
    Counting c;
    const struct {
        MenuKey key;
        int selected;
    } steps[] = {{MenuKey::Up, 2}, {MenuKey::Up, 1}, {MenuKey::Down, 2}, {MenuKey::Down, 0},
                 {MenuKey::None, 0}};
    for (const auto& s : steps) {
        EXPECT_TRUE(c.screen.Press(s.key));
        EXPECT_EQ(c.screen.selected(), s.selected);
    }
    EXPECT_FALSE(c.screen.Press(MenuKey::Back));
}

TEST(MenuScreen, ReturnActsOrStepsTheValueAndLeftRightChangeIt) {
    Counting c;
    c.screen.Press(MenuKey::Accept);
    EXPECT_EQ(c.activated, 1);
    c.screen.Press(MenuKey::Right);  // an action has no value: nothing
    EXPECT_EQ(c.number, 2);
    c.screen.Press(MenuKey::Down);
    c.screen.Press(MenuKey::Left);
    c.screen.Press(MenuKey::Left);
    c.screen.Press(MenuKey::Accept);
    EXPECT_EQ(c.number, 1);
    EXPECT_EQ(c.screen.entries()[1].value(), "1");
    c.screen.Press(MenuKey::Down);
    c.screen.Press(MenuKey::Accept);  // neither: nothing, and no crash
    EXPECT_EQ(c.activated, 1);
}

TEST(MenuSettings, BrokenOrMissingValuesShowTheirDefaults) {
    ScopedConfig config(
        "[sound]\nvolume = loud\n[network]\ndelay = 99\n[bot]\nskill = genius\n"
        "[controls]\nplayer[1].fire = -3\nplayer[2].pad = 7\nplayer[1].jump = 67\n");
    MenuSettings s;
    s.Load();
    EXPECT_EQ(s.Get("sound", "volume"), 160);
    EXPECT_EQ(s.Get("network", "delay"), 0);  // as rollback, the default, reads it
    EXPECT_EQ(s.Get("bot", "skill"), 1);  // normal
    EXPECT_EQ(s.Get("controls", "player[1].fire"), 0);  // unbound, as the game reads it
    EXPECT_EQ(s.Get("controls", "player[2].pad"), -1);
    EXPECT_EQ(s.Get("controls", "player[1].jump"), KEY_ENTER);
    EXPECT_EQ(s.Get("match", "kills"), 0);
}

TEST(MenuSettings, ValuesStayInTheirRange) {
    ScopedConfig config("");
    MenuSettings s;
    s.Load();
    s.Step("sound", "volume", 1000);
    EXPECT_EQ(s.Get("sound", "volume"), 255);
    s.Step("bot", "skill", -5);
    EXPECT_EQ(s.Get("bot", "skill"), 0);
    s.Set("match", "lives", 100);
    EXPECT_EQ(s.Get("match", "lives"), 99);
}

TEST(MenuSettings, AKeyTakenFromAnotherActionIsSwappedNotLost) {
    ScopedConfig config("");
    set_config_int("controls", "player[1].fire", KEY_ALT);
    set_config_int("controls", "player[2].fire", KEY_0_PAD);
    set_config_int("controls", "console", KEY_TILDE);
    MenuSettings s;
    s.Load();
    s.Rebind(1, "fire", KEY_0_PAD);
    EXPECT_EQ(s.Get("controls", "player[1].fire"), KEY_0_PAD);
    EXPECT_EQ(s.Get("controls", "player[2].fire"), KEY_ALT);
    s.Rebind(1, "fire", KEY_TILDE);  // the console's key too
    EXPECT_EQ(s.Get("controls", "console"), KEY_0_PAD);
    s.Rebind(1, "fire", KEY_M);  // a free key: nothing else moves
    EXPECT_EQ(s.Get("controls", "player[1].fire"), KEY_M);
    EXPECT_EQ(s.Get("controls", "player[2].fire"), KEY_ALT);
    EXPECT_EQ(s.Get("controls", "console"), KEY_0_PAD);
}

TEST(MenuSettings, APadButtonTakenFromAnotherActionIsSwappedWithinThePlayersPad) {
    ScopedConfig config("[controls]\nplayer[1].pad = 1\nplayer[2].pad_weapon = 3\n");
    MenuSettings s;
    s.Load();
    s.RebindButton(1, "pad_fire", 3);  // player 1's weapon button (3 by default) gets 1
    EXPECT_EQ(s.Get("controls", "player[1].pad_fire"), 3);
    EXPECT_EQ(s.Get("controls", "player[1].pad_weapon"), 1);
    EXPECT_EQ(s.Get("controls", "player[1].pad"), 1);  // the pad's number is no button
    EXPECT_EQ(s.Get("controls", "player[2].pad_weapon"), 3);  // another player's pad
    s.RebindButton(1, "pad_fire", 9);
    EXPECT_EQ(s.Get("controls", "player[1].pad_weapon"), 1);
}

TEST(MenuSettings, OnlyWhatTheMenuChangedIsWritten) {
    ScopedConfig config("# my own notes\n[sound]\nvolume = loud\n[bot]\nskill = hard\n"
                        "[controls]\nplayer[1].fire = 119\nplayer[2].fire = 37\n");
    MenuSettings s;
    s.Load();
    s.Step("network", "delay", 1);
    s.Step("bot", "skill", -1);
    s.Step("bot", "skill", 1);  // back where it was: unchanged
    s.Rebind(2, "fire", 119);   // swaps with player 1's
    EXPECT_TRUE(s.changed("controls", "player[1].fire"));
    EXPECT_FALSE(s.changed("bot", "skill"));
    s.Save();
    EXPECT_FALSE(s.changed("network", "delay"));
    flush_config_file();
    const std::string file = read_file(config.path());
    EXPECT_NE(file.find("volume = loud"), std::string::npos) << file;
    EXPECT_NE(file.find("skill = hard"), std::string::npos) << file;
    EXPECT_NE(file.find("delay = 1"), std::string::npos) << file;
    EXPECT_NE(file.find("player[1].fire = 37"), std::string::npos) << file;
    EXPECT_NE(file.find("player[2].fire = 119"), std::string::npos) << file;
    EXPECT_EQ(file.find("kills"), std::string::npos) << file;
    EXPECT_EQ(file.find("player[1].up"), std::string::npos) << file;
}

TEST(MenuFields, TypingEditsUpToTheLimit) {
    std::string text = "12";
    EXPECT_TRUE(edit_field(&text, '7', 4));
    EXPECT_TRUE(edit_field(&text, '.', 4));
    EXPECT_TRUE(edit_field(&text, 'x', 4));  // full: taken, not added
    EXPECT_EQ(text, "127.");
    EXPECT_TRUE(edit_field(&text, (KEY_BACKSPACE << 8) | 8, 4));
    EXPECT_EQ(text, "127");
    EXPECT_FALSE(edit_field(&text, KEY_UP << 8, 4));
    EXPECT_EQ(text, "127");
}

TEST(MenuFields, TheLastFiveAddressesAreKeptNewestFirst) {
    std::vector<std::string> recent;
    for (const char* a : {"a", "b", "c", "d", "e", "f"}) recent = remember_address(recent, a, 5);
    EXPECT_EQ(recent, (std::vector<std::string>{"f", "e", "d", "c", "b"}));
    recent = remember_address(recent, "c", 5);
    EXPECT_EQ(recent, (std::vector<std::string>{"c", "f", "e", "d", "b"}));
}

TEST(ScaledWindow, TakesTheLargestFactorThatFitsTheDesktop) {
    const struct {
        int w, h, scale;
    } cases[] = {{640, 480, 1}, {1279, 1024, 1}, {1280, 960, 2}, {1920, 1080, 2},
                 {2560, 1440, 3}, {3840, 2160, 4}, {7680, 4320, 4}, {320, 200, 1}};
    for (const auto& c : cases)
        EXPECT_EQ(ScaledWindow::LargestFitting(c.w, c.h), c.scale) << c.w << "x" << c.h;
}

TEST(LevelPicker, OffersTheDefaultTheFoldersLevelsThenRandom) {
    const LevelPicker levels({"cave", "meadow"}, "");
    EXPECT_EQ(levels.names(), (std::vector<std::string>{"", "cave", "meadow", "random"}));
    EXPECT_EQ(LevelPicker({}, "").names(), std::vector<std::string>{""});  // nothing to pick
}

TEST(LevelPicker, StartsOnTheRememberedLevelOrTheDefaultOne) {
    const struct {
        const char* remembered;
        const char* chosen;
        const char* label;
    } cases[] = {{"meadow", "meadow", "meadow"}, {"random", "random", "random"},
                 {"gone", "", "default"},       {"", "", "default"}};
    for (const auto& c : cases) {
        const LevelPicker levels({"cave", "meadow"}, c.remembered);
        EXPECT_EQ(levels.chosen(), c.chosen) << c.remembered;
        EXPECT_EQ(levels.label(), c.label) << c.remembered;
    }
}

TEST(LevelPicker, LeftAndRightGoRoundTheList) {
    LevelPicker levels({"cave"}, "");
    levels.Step(-1);
    EXPECT_EQ(levels.chosen(), "random");
    levels.Step(1);
    levels.Step(1);
    EXPECT_EQ(levels.chosen(), "cave");
}
