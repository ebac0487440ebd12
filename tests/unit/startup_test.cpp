#include "main/startup.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "support/test_support.h"

using testsupport::ScopedConfig;
using testsupport::read_file;

namespace {

std::string card_text(int card) {
    if (card == GFX_AUTODETECT) return "auto";
    if (card == GFX_SAFE) return "SAFE";
    std::string s;
    for (int shift = 24; shift >= 0; shift -= 8) s += static_cast<char>((card >> shift) & 0xFF);
    return s;
}

// Records every graphics call as a line of text and answers from a script.
class FakeModes : public GraphicsModes {
public:
    struct Choice {
        bool accept;
        int card, w, h, depth;
    };

    std::vector<std::string> calls;
    std::vector<std::string> accepted_modes;  // "card WxH" that SetMode accepts
    bool safe_mode_works = true;
    std::deque<Choice> dialog;  // answers of successive dialogs; empty means cancel
    int desktop = 24;

    void SetColorDepth(int depth) override { calls.push_back("depth " + std::to_string(depth)); }
    bool SetMode(int card, int w, int h) override {
        const std::string mode = card_text(card) + " " + std::to_string(w) + "x" + std::to_string(h);
        calls.push_back("mode " + mode);
        for (const std::string& m : accepted_modes)
            if (m == mode) return true;
        return false;
    }
    bool SetSafeMode() override {
        calls.push_back("safe");
        return safe_mode_works;
    }
    bool SelectMode(int* card, int* w, int* h, int* depth) override {
        calls.push_back("dialog " + card_text(*card) + " " + std::to_string(*w) + "x" + std::to_string(*h) + "x" +
                        std::to_string(*depth));
        if (dialog.empty() || !dialog.front().accept) return false;
        const Choice c = dialog.front();
        dialog.pop_front();
        *card = c.card;
        *w = c.w;
        *h = c.h;
        *depth = c.depth;
        return true;
    }
    void Message(const char* text) override { calls.push_back(std::string("message ") + text); }
    int DesktopColorDepth() override { return desktop; }
};

const int XWIN = AL_ID('X', 'W', 'I', 'N');

std::string graphics_section(const std::string& card, const std::string& depth, const std::string& w,
                             const std::string& h) {
    return "[graphics]\ncard = " + card + "\ndepth = " + depth + "\nwidth = " + w + "\nheight = " + h + "\n";
}

void expect_stored(int card, int depth, int w, int h) {
    EXPECT_EQ(get_config_id("graphics", "card", -99), card);
    EXPECT_EQ(get_config_int("graphics", "depth", -99), depth);
    EXPECT_EQ(get_config_int("graphics", "width", -99), w);
    EXPECT_EQ(get_config_int("graphics", "height", -99), h);
}

void expect_no_graphics_section() {
    for (const char* key : {"card", "depth", "width", "height"})
        EXPECT_EQ(get_config_string("graphics", key, nullptr), nullptr) << key;
}

using Calls = std::vector<std::string>;

}  // namespace

TEST(ChooseGraphicsMode, WorkingStoredModeNeedsNoDialog) {
    ScopedConfig config(graphics_section("XWIN", "16", "800", "600"));
    FakeModes modes;
    modes.accepted_modes = {"XWIN 800x600"};
    EXPECT_TRUE(choose_graphics_mode(modes));
    EXPECT_EQ(modes.calls, (Calls{"depth 16", "mode XWIN 800x600"}));
    expect_stored(XWIN, 16, 800, 600);
}

TEST(ChooseGraphicsMode, FirstRunChoosesInTheDialogAndStoresInOrder) {
    ScopedConfig config;
    FakeModes modes;
    modes.accepted_modes = {"XWIN 1024x768"};
    modes.dialog = {{true, XWIN, 1024, 768, 32}};
    EXPECT_TRUE(choose_graphics_mode(modes));
    // Absent keys: the autodetecting card, the desktop's depth, no size.
    EXPECT_EQ(modes.calls, (Calls{"depth 24", "safe", "dialog auto -1x-1x24", "depth 32", "mode XWIN 1024x768"}));
    expect_stored(XWIN, 32, 1024, 768);

    flush_config_file();
    EXPECT_EQ(read_file(config.path()), "[graphics]\ncard = XWIN\ndepth = 32\nwidth = 1024\nheight = 768\n");
}

TEST(ChooseGraphicsMode, LaterRunWritesTheSameValuesBack) {
    std::string first;
    {
        ScopedConfig config;
        FakeModes modes;
        modes.accepted_modes = {"auto 640x480"};
        modes.dialog = {{true, GFX_AUTODETECT, 640, 480, 16}};
        ASSERT_TRUE(choose_graphics_mode(modes));
        flush_config_file();
        first = read_file(config.path());
    }
    ScopedConfig config(first);
    FakeModes modes;
    modes.accepted_modes = {"auto 640x480"};
    EXPECT_TRUE(choose_graphics_mode(modes));
    EXPECT_EQ(modes.calls, (Calls{"depth 16", "mode auto 640x480"}));
    flush_config_file();
    EXPECT_EQ(read_file(config.path()), first);
}

TEST(ChooseGraphicsMode, RefusedModeOpensTheDialogWithTheStoredValues) {
    ScopedConfig config(graphics_section("XWIN", "16", "800", "600"));
    FakeModes modes;
    modes.accepted_modes = {"auto 1024x768"};
    modes.dialog = {{true, GFX_AUTODETECT, 1024, 768, 32}};
    EXPECT_TRUE(choose_graphics_mode(modes));
    EXPECT_EQ(modes.calls, (Calls{"depth 16", "mode XWIN 800x600", "safe", "dialog XWIN 800x600x16", "depth 32",
                                  "mode auto 1024x768"}));
    expect_stored(GFX_AUTODETECT, 32, 1024, 768);
}

TEST(ChooseGraphicsMode, DialogComesBackUntilAChosenModeWorks) {
    ScopedConfig config;
    FakeModes modes;
    modes.accepted_modes = {"auto 800x600"};
    modes.dialog = {{true, XWIN, 1920, 1080, 32}, {true, GFX_AUTODETECT, 800, 600, 15}};
    EXPECT_TRUE(choose_graphics_mode(modes));
    EXPECT_EQ(modes.calls, (Calls{"depth 24", "safe", "dialog auto -1x-1x24", "depth 32", "mode XWIN 1920x1080",
                                  "safe", "dialog XWIN 1920x1080x32", "depth 15", "mode auto 800x600"}));
    expect_stored(GFX_AUTODETECT, 15, 800, 600);
}

TEST(ChooseGraphicsMode, CancelledDialogEndsWithoutStoringAnything) {
    ScopedConfig config("[controls]\nconsole = 60\n");
    FakeModes modes;
    EXPECT_FALSE(choose_graphics_mode(modes));
    EXPECT_EQ(modes.calls, (Calls{"depth 24", "safe", "dialog auto -1x-1x24", "message No graphics mode selected"}));
    expect_no_graphics_section();
    flush_config_file();
    EXPECT_EQ(read_file(config.path()).find("[graphics]"), std::string::npos);
}

TEST(ChooseGraphicsMode, RefusedSafeModeEndsBeforeTheDialog) {
    ScopedConfig config(graphics_section("XWIN", "32", "1024", "768"));
    FakeModes modes;
    modes.safe_mode_works = false;
    EXPECT_FALSE(choose_graphics_mode(modes));
    EXPECT_EQ(modes.calls, (Calls{"depth 32", "mode XWIN 1024x768", "safe", "message Unable to set graphics mode"}));
    // What was stored stays as it was.
    expect_stored(XWIN, 32, 1024, 768);
}

TEST(ChooseGraphicsMode, NonsenseSizesGoStraightToTheDialog) {
    const struct {
        const char* width;
        const char* height;
    } cases[] = {
        {"0", "600"},      {"100000", "600"}, {"wide", "600"},  {"800", "0"},
        {"800", "tall"},   {"-5", "600"},     {"800", "-1"},    {"99999999999", "600"},
        {"800x600", "600"}, {"16385", "600"},
    };
    for (const auto& c : cases) {
        ScopedConfig config(graphics_section("XWIN", "16", c.width, c.height));
        FakeModes modes;
        modes.accepted_modes = {"XWIN 800x600", "XWIN 800x0", "XWIN 0x600", "XWIN 800x-1", "XWIN 100000x600"};
        modes.dialog = {{true, XWIN, 800, 600, 16}};
        EXPECT_TRUE(choose_graphics_mode(modes)) << c.width << " x " << c.height;
        EXPECT_EQ(modes.calls, (Calls{"depth 16", "safe", "dialog XWIN -1x-1x16", "depth 16", "mode XWIN 800x600"}))
            << c.width << " x " << c.height;
        expect_stored(XWIN, 16, 800, 600);
    }
}

TEST(ChooseGraphicsMode, LargestSensibleSizeIsStillTried) {
    ScopedConfig config(graphics_section("XWIN", "32", "16384", "1"));
    FakeModes modes;
    modes.accepted_modes = {"XWIN 16384x1"};
    EXPECT_TRUE(choose_graphics_mode(modes));
    EXPECT_EQ(modes.calls, (Calls{"depth 32", "mode XWIN 16384x1"}));
}

TEST(ChooseGraphicsMode, NonsenseDepthOffersTheDesktopDepthInTheDialog) {
    for (const char* depth : {"12", "0", "-32", "deep", "33"}) {
        ScopedConfig config(graphics_section("XWIN", depth, "800", "600"));
        FakeModes modes;
        modes.accepted_modes = {"XWIN 800x600"};
        EXPECT_FALSE(choose_graphics_mode(modes));
        EXPECT_EQ(modes.calls,
                  (Calls{"depth 24", "safe", "dialog XWIN 800x600x24", "message No graphics mode selected"}))
            << depth;
    }
}

TEST(ChooseGraphicsMode, UnknownDesktopDepthFallsBackToThirtyTwo) {
    ScopedConfig config;
    FakeModes modes;
    modes.desktop = 0;  // the platform could not tell
    EXPECT_FALSE(choose_graphics_mode(modes));
    EXPECT_EQ(modes.calls, (Calls{"depth 32", "safe", "dialog auto -1x-1x32", "message No graphics mode selected"}));
}

TEST(ChooseGraphicsMode, TextModeCardIsNotAGraphicsMode) {
    // set_gfx_mode(GFX_TEXT, ...) "succeeds" and leaves no screen to draw on.
    ScopedConfig config(graphics_section("-1", "16", "800", "600"));
    FakeModes modes;
    modes.accepted_modes = {"auto 800x600"};
    modes.dialog = {{true, GFX_AUTODETECT, 800, 600, 16}};
    EXPECT_TRUE(choose_graphics_mode(modes));
    EXPECT_EQ(modes.calls, (Calls{"depth 16", "safe", "dialog auto 800x600x16", "depth 16", "mode auto 800x600"}));
    expect_stored(GFX_AUTODETECT, 16, 800, 600);
}

TEST(ChooseGraphicsMode, UnknownCardIsRefusedByTheLibraryAndLeadsToTheDialog) {
    ScopedConfig config(graphics_section("ZZZZ", "16", "800", "600"));
    FakeModes modes;
    EXPECT_FALSE(choose_graphics_mode(modes));
    EXPECT_EQ(modes.calls, (Calls{"depth 16", "mode ZZZZ 800x600", "safe", "dialog ZZZZ 800x600x16",
                                  "message No graphics mode selected"}));
}

TEST(ChooseGraphicsMode, ImpossibleDialogAnswerIsNotTried) {
    ScopedConfig config;
    FakeModes modes;
    modes.accepted_modes = {"auto 0x480", "auto 640x480"};
    modes.dialog = {{true, GFX_AUTODETECT, 0, 480, 7}, {true, GFX_AUTODETECT, 640, 480, 8}};
    EXPECT_TRUE(choose_graphics_mode(modes));
    EXPECT_EQ(modes.calls, (Calls{"depth 24", "safe", "dialog auto -1x-1x24", "depth 24", "safe",
                                  "dialog auto 0x480x24", "depth 8", "mode auto 640x480"}));
    expect_stored(GFX_AUTODETECT, 8, 640, 480);
}

namespace {

// What a player might type into any key of "vorlin.ini".
const char* const kNonsense[] = {"abc", "-7", "99999999999", "nan", "inf"};

}  // namespace

TEST(ChooseGraphicsMode, EveryKeyWithNonsenseEndsInTheDialogAndStaysAsWritten) {
    for (const char* value : kNonsense) {
        for (const char* key : {"card", "depth", "width", "height"}) {
            const std::string k = key;
            ScopedConfig config(graphics_section(k == "card" ? value : "XWIN", k == "depth" ? value : "16",
                                                 k == "width" ? value : "800", k == "height" ? value : "600"));
            FakeModes modes;
            modes.accepted_modes = {"XWIN 800x600"};
            EXPECT_FALSE(choose_graphics_mode(modes));
            Calls expected;
            if (k == "card") {
                // Any number or four letters name a driver; the library refuses what it
                // does not know, and the dialog starts from the stored values.
                const std::string card = card_text(get_config_id("graphics", "card", 0));
                expected = {"depth 16", "mode " + card + " 800x600", "safe", "dialog " + card + " 800x600x16"};
            } else if (k == "depth") {
                expected = {"depth 24", "safe", "dialog XWIN 800x600x24"};
            } else {
                expected = {"depth 16", "safe", "dialog XWIN -1x-1x16"};
            }
            expected.push_back("message No graphics mode selected");
            EXPECT_EQ(modes.calls, expected) << key << " = " << value;
            // Nothing is written back when no mode was set.
            EXPECT_STREQ(get_config_string("graphics", key, ""), value) << key;
        }
    }
}

TEST(ChooseGraphicsMode, OnlyTheGraphicsSectionIsWrittenBack) {
    ScopedConfig config("# my settings\n[graphics]\ncard = XWIN\ndepth = 16\nwidth = wide\nheight = 600\n"
                        "[game]\nspeed = nan\n[controls]\nplayer[1].up = abc\nconsole = inf\n");
    FakeModes modes;
    modes.accepted_modes = {"XWIN 800x600"};
    modes.dialog = {{true, XWIN, 800, 600, 16}};
    ASSERT_TRUE(choose_graphics_mode(modes));
    flush_config_file();
    const std::string text = read_file(config.path());
    // What the program always writes: the mode that was set.
    EXPECT_NE(text.find("width = 800\n"), std::string::npos) << text;
    // What the player wrote elsewhere, however wrong, is left alone.
    for (const char* kept : {"# my settings\n", "speed = nan\n", "player[1].up = abc\n", "console = inf\n"})
        EXPECT_NE(text.find(kept), std::string::npos) << kept << " lost from\n" << text;
}
