#include <allegro.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/game.h"
#include "support/game_support.h"

// Keys come from the library's key buffer, one per call, however many are waiting.
TEST(ConsoleX11, ProcessInputTakesOneBufferedKeyPerCall) {
    clear_keybuf();
    testsupport::RecordingProcessor processor;
    Game::Console console(nullptr, &processor, 640, 120);

    console.ProcessInput();  // nothing buffered
    EXPECT_TRUE(console.line.empty());

    simulate_keypress((KEY_A << 8) | 'a');
    simulate_keypress((KEY_B << 8) | 'b');
    simulate_keypress((KEY_LEFT << 8));
    simulate_keypress((KEY_DEL << 8) | 127);
    simulate_keypress((KEY_ENTER << 8) | 13);

    console.ProcessInput();
    EXPECT_EQ(console.line, "a");
    EXPECT_TRUE(keypressed());
    console.ProcessInput();
    EXPECT_EQ(console.line, "ab");
    console.ProcessInput();
    EXPECT_EQ(console.cursor, 1u);
    console.ProcessInput();
    EXPECT_EQ(console.line, "a");
    EXPECT_TRUE(processor.lines.empty());
    console.ProcessInput();
    EXPECT_EQ(processor.lines, std::vector<std::string>{"a"});
    EXPECT_TRUE(console.line.empty());
    EXPECT_EQ(console.cursor, 0u);
    EXPECT_FALSE(keypressed());
}
