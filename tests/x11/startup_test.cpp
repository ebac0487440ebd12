#include "main/startup.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/test_support.h"

// The card of "vorlin.ini" goes to set_gfx_mode as it was read: any number or four
// letters name a driver. The real library must refuse the ones it does not know, leave
// no screen behind, and still set a real mode afterwards.
TEST(AllegroGraphicsModes, CardsThatNameNoDriverAreRefused) {
    for (const char* value : {"abc", "-7", "99999999999", "nan", "inf", "ZZZZ"}) {
        testsupport::ScopedConfig config(std::string("[graphics]\ncard = ") + value + "\n");
        const int card = get_config_id("graphics", "card", GFX_AUTODETECT);
        AllegroGraphicsModes modes;
        EXPECT_FALSE(modes.SetMode(card, 640, 480)) << value;
        EXPECT_EQ(screen, nullptr) << value;
    }
    AllegroGraphicsModes modes;
    ASSERT_TRUE(modes.SetMode(GFX_AUTODETECT_WINDOWED, 640, 480)) << allegro_error;
    EXPECT_EQ(SCREEN_W, 640);
    set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
}

// The default bindings are a first run's (the end-to-end first-run case sees them
// written): a "vorlin.ini" that exists keeps the bindings it has and gains none.
TEST(Init, AnExistingFileGainsNoDefaultBindings) {
    testsupport::ScopedConfig config(
        "[graphics]\ncard = XWIN\ndepth = 32\nwidth = 640\nheight = 480\n[controls]\nplayer[1].up = 17\n");
    testsupport::ScopedChdir here(std::filesystem::path(config.path()).parent_path().string());
    // The start-up begins with the library itself; it leaves the keyboard and the timer
    // installed, as the other tests of this program have them.
    allegro_exit();
    ASSERT_TRUE(init()) << allegro_error;
    flush_config_file();
    const std::string text = testsupport::read_file("vorlin.ini");
    EXPECT_NE(text.find("player[1].up = 17\n"), std::string::npos) << text;
    for (const char* absent : {"player[1].down", "player[2].up", "console"})
        EXPECT_EQ(text.find(absent), std::string::npos) << absent << " written into\n" << text;
    set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
}
