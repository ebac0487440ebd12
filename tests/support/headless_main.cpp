#include <allegro.h>
#include <gtest/gtest.h>

#include "support/test_support.h"

// Every logic test runs against Allegro without a platform driver, in 32-bit colour
// unless a test asks for another depth.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::GTEST_FLAG(death_test_style) = "threadsafe";
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) return 2;
    set_color_depth(32);
    return RUN_ALL_TESTS();
}
