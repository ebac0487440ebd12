#include "base/config.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "support/test_support.h"

using testsupport::ScopedConfig;

namespace {

// One value under [test] v.
std::string section_with(const std::string& value) { return "[test]\nv = " + value + "\n"; }

}  // namespace

TEST(ConfigInt, AcceptsWholeDecimalNumbersInRange) {
    const struct {
        const char* text;
        int expected;
    } cases[] = {
        {"42", 42},
        {"   42   ", 42},
        {"-1", -1},
        {"+7", 7},
        {"010", 10},  // decimal, not octal
        {"-100", -100},
        {"100", 100},
    };
    for (const auto& c : cases) {
        ScopedConfig config(section_with(c.text));
        EXPECT_EQ(config_int("test", "v", 5, -100, 100), c.expected) << "\"" << c.text << "\"";
    }
}

TEST(ConfigInt, AnythingElseTakesTheDefault) {
    const char* rejected[] = {
        "abc",          // the library itself reads 0
        "12abc",        // the library reads 12
        "0x10",         // the library reads 16
        "99999999999",  // the library wraps it
        "2147483648",
        "-2147483649",
        "1.5",
        "",
        "-",
        "101",   // above the range
        "-101",  // below the range
        "1 2",
    };
    for (const char* text : rejected) {
        ScopedConfig config(section_with(text));
        EXPECT_EQ(config_int("test", "v", 5, -100, 100), 5) << "\"" << text << "\"";
    }
}

TEST(ConfigInt, AbsentKeyOrSectionTakesTheDefault) {
    ScopedConfig config("[test]\nother = 3\n[else]\nv = 4\n");
    EXPECT_EQ(config_int("test", "v", -9, INT_MIN, INT_MAX), -9);
    EXPECT_EQ(config_int("missing", "v", 17, INT_MIN, INT_MAX), 17);
    EXPECT_EQ(config_int("else", "v", 17, INT_MIN, INT_MAX), 4);
}

TEST(ConfigInt, FullIntRangeReadsExactly) {
    ScopedConfig config("[test]\nlo = -2147483648\nhi = 2147483647\n");
    EXPECT_EQ(config_int("test", "lo", 0, INT_MIN, INT_MAX), INT_MIN);
    EXPECT_EQ(config_int("test", "hi", 0, INT_MIN, INT_MAX), INT_MAX);
}

TEST(ConfigFloat, AcceptsFiniteDecimalNumbersInRange) {
    const struct {
        const char* text;
        double expected;
    } cases[] = {
        {"1.5", 1.5}, {" 0.25 ", 0.25}, {"2", 2.0}, {"1e1", 10.0}, {"-0.5", -0.5}, {"10", 10.0},
    };
    for (const auto& c : cases) {
        ScopedConfig config(section_with(c.text));
        EXPECT_DOUBLE_EQ(config_float("test", "v", 3.0, -1.0, 10.0), c.expected) << "\"" << c.text << "\"";
    }
}

TEST(ConfigFloat, NotANumberInfinityAndJunkTakeTheDefault) {
    const char* rejected[] = {
        "nan", "NAN", "inf", "-inf", "infinity", "1e999", "1e-999", "2.5x", "abc", "0x1p1", "", "10.5", "-1.5",
    };
    for (const char* text : rejected) {
        ScopedConfig config(section_with(text));
        EXPECT_DOUBLE_EQ(config_float("test", "v", 3.0, -1.0, 10.0), 3.0) << "\"" << text << "\"";
    }
}

TEST(ConfigFloat, AbsentKeyTakesTheDefault) {
    ScopedConfig config;
    EXPECT_DOUBLE_EQ(config_float("game", "speed", 1.0, 0.01, 100.0), 1.0);
}

TEST(ConfigInt, BinaryGarbageAndOverlongLinesReadAsDefaults) {
    std::string garbage = "[game]\nspeed = ";
    garbage += std::string(100000, '9');  // an overlong line
    garbage += "\n[controls]\nconsole = \x01\xff\xfe\x80 \n\x7f\x7f=\x01\n[\xff\xff]\n= 5\n";
    for (int i = 0; i < 256; ++i) garbage += static_cast<char>(i == '\n' ? 'x' : i);
    garbage += "\n[graphics]\nwidth\n";
    ScopedConfig config(garbage);
    EXPECT_DOUBLE_EQ(config_float("game", "speed", 1.0, 0.0, 1000.0), 1.0);
    EXPECT_EQ(config_int("controls", "console", 60, 0, 126), 60);
    EXPECT_EQ(config_int("graphics", "width", -1, 1, 16384), -1);
    EXPECT_EQ(config_int("graphics", "height", -1, 1, 16384), -1);
}
