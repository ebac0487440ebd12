#include <allegro.h>
#include <gtest/gtest.h>

// Tests that need the keyboard and the timer: the X11 driver, no graphics mode needed.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (allegro_init() != 0) return 2;
    if (install_keyboard() != 0) return 3;
    if (install_timer() != 0) return 4;
    set_color_depth(32);
    return RUN_ALL_TESTS();
}
