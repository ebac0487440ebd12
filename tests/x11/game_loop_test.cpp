#include <allegro.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "game/game.h"
#include "base/random.h"
#include "level/level.h"
#include "input/controls.h"
#include "support/test_support.h"

namespace {

// The real main loop with the real 60 Hz timer: steps come at the timer's rate, never
// faster (no catching up), and held Escape ends the game.
TEST(GameLoop, RunsAtTheTimerRateUntilEscape) {
    ASSERT_EQ(0, set_gfx_mode(GFX_AUTODETECT_WINDOWED, 640, 480, 0, 0)) << allegro_error;
    testsupport::TempDir dir;
    const std::string file = dir.file("map.lvl");
    testsupport::save_level_file(file,
                                 *testsupport::make_level(800, 600, [](int, int y) { return y >= 400; }));
    testsupport::ScopedConfig config;
    write_default_controls();
    seed_random(1);

    Game game;
    std::atomic<bool> stop{false};
    const auto started = std::chrono::steady_clock::now();
    std::thread escape([&] {
        std::this_thread::sleep_for(std::chrono::seconds(3));
        key[KEY_ESC] = 1;
        stop = true;
    });
    game.Go(file, 2);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    escape.join();
    key[KEY_ESC] = 0;

    EXPECT_TRUE(stop);
    EXPECT_EQ(2u, game.players.size());
    const double rate = game.steps_taken / seconds;
    // Generous bounds: a shared machine may be slow, but the loop never runs ahead.
    EXPECT_GT(rate, 20.0) << game.steps_taken << " steps in " << seconds << " s";
    EXPECT_LT(rate, 63.0) << game.steps_taken << " steps in " << seconds << " s";
    set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
}

}  // namespace
