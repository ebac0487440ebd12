#include "main/startup.h"

#include <allegro.h>
#include <gtest/gtest.h>

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
