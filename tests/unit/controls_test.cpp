#include "input/controls.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/test_support.h"

using testsupport::ScopedConfig;
using testsupport::read_file;

namespace {

const std::vector<std::pair<std::string, int>> kDefaults = {
    {"player[1].up", 23},    {"player[1].down", 19},  {"player[1].left", 1},    {"player[1].right", 4},
    {"player[1].jump", 75},  {"player[1].fire", 119}, {"player[1].dig", 117},   {"player[1].weapon", 64},
    {"player[2].up", 84},    {"player[2].down", 85},  {"player[2].left", 82},   {"player[2].right", 83},
    {"player[2].jump", 41},  {"player[2].fire", 37},  {"player[2].dig", 44},    {"player[2].weapon", 86},
    {"console", 60},
};

// The non-blank lines of section `name` in a configuration file's text.
std::vector<std::string> section_lines(const std::string& text, const std::string& name) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    bool inside = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] == '[') {
            inside = line == "[" + name + "]";
            continue;
        }
        if (inside && !line.empty()) lines.push_back(line);
    }
    return lines;
}

}  // namespace

TEST(Controls, PlayerActionsInReadingOrder) {
    const char* expected[] = {"up", "down", "left", "right", "jump", "fire", "dig", "weapon"};
    for (int i = 0; i < 8; ++i) EXPECT_STREQ(PLAYER_ACTIONS[i], expected[i]);
}

TEST(Controls, BindingNames) {
    EXPECT_EQ(player_binding_name(1, "up"), "player[1].up");
    EXPECT_EQ(player_binding_name(2, "weapon"), "player[2].weapon");
    EXPECT_EQ(player_binding_name(12, "dig"), "player[12].dig");
}

TEST(Controls, DefaultsAreTheSeventeenKeysInMemory) {
    ScopedConfig config;
    write_default_controls();
    for (const auto& [name, code] : kDefaults)
        EXPECT_EQ(get_config_int("controls", name.c_str(), -1), code) << name;
    // Nothing for a third player.
    EXPECT_EQ(get_config_string("controls", "player[3].up", nullptr), nullptr);
}

TEST(Controls, DefaultsReachTheFileInTableOrder) {
    ScopedConfig config;
    write_default_controls();
    flush_config_file();
    std::vector<std::string> expected;
    for (const auto& [name, code] : kDefaults) expected.push_back(name + " = " + std::to_string(code));
    EXPECT_EQ(section_lines(read_file(config.path()), "controls"), expected);
}

TEST(Controls, DefaultsOverwriteWhateverWasThere) {
    ScopedConfig config("[controls]\nplayer[1].up = 99\nconsole = 1\n");
    write_default_controls();
    EXPECT_EQ(get_config_int("controls", "player[1].up", -1), 23);
    EXPECT_EQ(get_config_int("controls", "console", -1), 60);
}

TEST(Controls, ReadBindingTakesScanCodesOfTheKeyArrayOnly) {
    ScopedConfig config(
        "[controls]\n"
        "player[1].jump = 67\n"
        "zero = 0\n"
        "last = " + std::to_string(KEY_MAX - 1) + "\n"
        "past = " + std::to_string(KEY_MAX) + "\n"
        "negative = -1\n"
        "huge = 4294967319\n"
        "text = space\n"
        "partly = 23x\n"
        "console = 1000\n");
    EXPECT_EQ(read_binding("player[1].jump", 0), KEY_ENTER);
    EXPECT_EQ(read_binding("zero", 5), 0);
    EXPECT_EQ(read_binding("last", 0), KEY_MAX - 1);
    EXPECT_EQ(read_binding("past", 0), 0);
    EXPECT_EQ(read_binding("negative", 0), 0);
    // 4294967319 is 23 after wrapping in 32 bits: must not become KEY_W.
    EXPECT_EQ(read_binding("huge", 0), 0);
    EXPECT_EQ(read_binding("text", 0), 0);
    EXPECT_EQ(read_binding("partly", 0), 0);
    EXPECT_EQ(read_binding("console", KEY_TILDE), KEY_TILDE);
    EXPECT_EQ(read_binding("player[1].up", 0), 0);
}

TEST(Controls, MissingSectionLeavesPlayersUnboundButTheConsoleKey) {
    ScopedConfig config("[graphics]\nwidth = 640\n");
    for (int player = 1; player <= 2; ++player)
        for (const char* action : PLAYER_ACTIONS)
            EXPECT_EQ(read_binding(player_binding_name(player, action).c_str(), 0), 0);
    EXPECT_EQ(read_binding("console", 60), 60);
}

TEST(Controls, KeyNamesWithoutAKeyboardDriverNeverCrash) {
    ASSERT_EQ(keyboard_driver, nullptr);
    EXPECT_EQ(key_name(KEY_A), "A");
    EXPECT_EQ(key_name(KEY_SPACE), "SPACE");
    EXPECT_EQ(key_name(KEY_ENTER), "ENTER");
    EXPECT_EQ(key_name(-1), "scan code -1");
    EXPECT_EQ(key_name(KEY_MAX), "scan code " + std::to_string(KEY_MAX));
    EXPECT_EQ(key_name(1 << 30), "scan code " + std::to_string(1 << 30));
    for (int code = 0; code < KEY_MAX; ++code) EXPECT_FALSE(key_name(code).empty()) << code;
}

TEST(Controls, EveryBindingWithNonsenseTakesItsDefaultAndStaysAsWritten) {
    for (const char* value : {"abc", "-7", "99999999999", "nan", "inf"}) {
        std::string ini = "[controls]\n";
        for (const auto& binding : kDefaults) ini += binding.first + " = " + value + "\n";
        ScopedConfig config(ini);
        // The defaults the game reads them with: unbound players, the usual console key.
        for (int player = 1; player <= 2; ++player)
            for (const char* action : PLAYER_ACTIONS) {
                const std::string name = player_binding_name(player, action);
                EXPECT_EQ(read_binding(name.c_str(), 0), 0) << name << " = " << value;
                EXPECT_STREQ(get_config_string("controls", name.c_str(), ""), value);
            }
        EXPECT_EQ(read_binding("console", KEY_TILDE), KEY_TILDE) << value;
        EXPECT_STREQ(get_config_string("controls", "console", ""), value);
    }
}
