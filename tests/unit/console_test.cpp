#include <allegro.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "game/game.h"

#include "support/game_support.h"
#include "support/test_support.h"

namespace {

const int BLUE = makecol32(0, 0, 255);
const int WHITE = makecol32(255, 255, 255);

using testsupport::Bitmap;
using testsupport::bitmap_difference;
using testsupport::RecordingProcessor;
using testsupport::draw_text;
using testsupport::key_code;
using testsupport::type_into;

}  // namespace

TEST(Console, GeometryFollowsTheFontAndTheGivenHeight) {
    Game::Console console(nullptr, nullptr, 640, 120);
    EXPECT_EQ(console.lineheight, 9);
    EXPECT_EQ(console.vh, 108);
    ASSERT_NE(console.buffer, nullptr);
    EXPECT_EQ(console.buffer->w, 640);
    EXPECT_EQ(console.buffer->h, 236);
    EXPECT_EQ(console.target, console.buffer);
    EXPECT_EQ(console.y, 99);
    EXPECT_EQ(console.x, 0);
    EXPECT_FALSE(console.wrap);
    EXPECT_TRUE(console.line.empty());
    EXPECT_EQ(console.cursor, 0u);
    Bitmap black(640, 236);
    EXPECT_EQ(bitmap_difference(console.buffer, black), "");
}

TEST(Console, TheFirstLineShowsAtOnceAndTheNextScrollsItUp) {
    Game::Console console(nullptr, nullptr, 640, 120);
    Bitmap expected(640, 236);

    console << "a" << std::endl;
    draw_text(expected, "a", 0, 99);
    EXPECT_EQ(bitmap_difference(console.buffer, expected), "");
    EXPECT_EQ(console.y, 108);

    console << "b" << std::endl;
    clear_bitmap(expected);
    draw_text(expected, "a", 0, 90);
    draw_text(expected, "b", 0, 99);
    EXPECT_EQ(bitmap_difference(console.buffer, expected), "");
    EXPECT_EQ(console.y, 108);
    EXPECT_EQ(console.x, 0);
}

TEST(Console, TextWithoutNewlineStaysOutOfViewUntilItsNewline) {
    Game::Console console(nullptr, nullptr, 640, 120);
    console << "a" << std::endl;
    console << "b" << std::flush;

    Bitmap expected(640, 236);
    draw_text(expected, "a", 0, 99);
    draw_text(expected, "b", 0, 108);
    EXPECT_EQ(bitmap_difference(console.buffer, expected), "");

    // Drawn, the console shows only the finished line.
    Bitmap screen(640, 200, BLUE), shown(640, 200, BLUE);
    console.Draw(screen, 0, 0);
    rectfill(shown, 0, 0, 639, 107, 0);
    draw_text(shown, "a", 0, 99);
    EXPECT_EQ(bitmap_difference(screen, shown, 0, 108), "");

    console << std::endl;
    clear_bitmap(expected);
    draw_text(expected, "a", 0, 90);
    draw_text(expected, "b", 0, 99);
    EXPECT_EQ(bitmap_difference(console.buffer, expected), "");
}

TEST(Console, ALineBeingWrittenMovesAlongWhenFinishedLinesScroll) {
    Game::Console console(nullptr, nullptr, 640, 120);
    console << "a" << std::endl;
    console << "x\nabc" << std::flush;  // "abc" has no newline yet
    console << "def" << std::endl;

    Bitmap expected(640, 236);
    draw_text(expected, "a", 0, 81);
    draw_text(expected, "x", 0, 90);
    draw_text(expected, "abcdef", 0, 99);
    EXPECT_EQ(bitmap_difference(console.buffer, expected), "");
}

TEST(Console, ABurstLongerThanTheBufferLosesItsOverflowWithoutStaleRows) {
    Game::Console console(nullptr, nullptr, 640, 120);
    console << "first" << std::endl;
    std::string burst;
    for (int k = 0; k < 20; ++k) burst += "L" + std::to_string(100 + k) + "\n";
    console << burst << std::flush;
    EXPECT_EQ(console.y, 108);

    // Line k was written at row 108 + 9k and moved up by 180 rows; only rows up to 235
    // existed, so line 14 onwards is (partly) lost and nothing older may show instead.
    Bitmap expected(640, 236);
    for (int k = 8; k <= 13; ++k) draw_text(expected, "L" + std::to_string(100 + k), 0, 9 * k - 72);
    EXPECT_EQ(bitmap_difference(console.buffer, expected, 0, 54), "");
    EXPECT_EQ(bitmap_difference(console.buffer, expected, 56, 236), "");
}

TEST(Console, DrawShowsTheScrollBackTheSeparatorTheCommandLineAndTheCursor) {
    Game::Console console(nullptr, nullptr, 640, 120);
    console << "hello" << std::endl;
    console.line = "abc";
    console.cursor = 1;

    // The cursor stands after the first `cursor` characters, one pixel lower than the text.
    for (int ox : {0, 30}) {
        for (std::size_t at : {1u, 3u}) {
            console.cursor = at;
            const int oy = ox / 2;
            Bitmap screen(700, 150, BLUE), expected(700, 150, BLUE);
            console.Draw(screen, ox, oy);

            rectfill(expected, ox, oy, ox + 639, oy + 117, 0);
            draw_text(expected, "hello", ox, oy + 99);
            hline(expected, ox, oy + 108, ox + 639, WHITE);
            textout_ex(expected, font, "abc", ox + 1, oy + 109, WHITE, -1);
            textout_ex(expected, font, "_", ox + 1 + 8 * static_cast<int>(at), oy + 110, WHITE, -1);
            EXPECT_EQ(bitmap_difference(screen, expected), "") << "at offset " << ox << ", cursor " << at;
        }
    }
}

TEST(Console, KeysEditTheCommandLine) {
    Game::Console console(nullptr, nullptr, 640, 120);
    type_into(console, "abc");
    EXPECT_EQ(console.line, "abc");
    EXPECT_EQ(console.cursor, 3u);

    console.ProcessKey(key_code(KEY_LEFT));
    console.ProcessKey(key_code(KEY_LEFT));
    type_into(console, "X");
    EXPECT_EQ(console.line, "aXbc");
    EXPECT_EQ(console.cursor, 2u);

    console.ProcessKey(key_code(KEY_HOME));
    EXPECT_EQ(console.cursor, 0u);
    console.ProcessKey(key_code(KEY_BACKSPACE, 8));
    console.ProcessKey(key_code(KEY_LEFT));
    EXPECT_EQ(console.line, "aXbc");
    EXPECT_EQ(console.cursor, 0u);

    console.ProcessKey(key_code(KEY_END));
    EXPECT_EQ(console.cursor, 4u);
    console.ProcessKey(key_code(KEY_DEL, 127));  // the Delete key's character is not typed
    console.ProcessKey(key_code(KEY_RIGHT));
    EXPECT_EQ(console.line, "aXbc");
    EXPECT_EQ(console.cursor, 4u);

    console.ProcessKey(key_code(KEY_HOME));
    console.ProcessKey(key_code(KEY_RIGHT));
    console.ProcessKey(key_code(KEY_DEL, 127));
    EXPECT_EQ(console.line, "abc");
    EXPECT_EQ(console.cursor, 1u);
    console.ProcessKey(key_code(KEY_BACKSPACE, 8));
    EXPECT_EQ(console.line, "bc");
    EXPECT_EQ(console.cursor, 0u);

    // Control characters are not typed; other keys without effect change nothing.
    console.ProcessKey(key_code(KEY_TAB, 9));
    console.ProcessKey(key_code(KEY_ESC, 27));
    console.ProcessKey(key_code(KEY_F1));
    EXPECT_EQ(console.line, "bc");
    EXPECT_EQ(console.cursor, 0u);
}

TEST(Console, LatinOneCharactersAreTypedAsWholeCharacters) {
    Game::Console console(nullptr, nullptr, 640, 120);
    console.ProcessKey(key_code(KEY_E, 233));  // é
    EXPECT_EQ(console.line, "\xC3\xA9");
    EXPECT_EQ(console.cursor, 2u);
    console.ProcessKey(key_code(KEY_LEFT));
    EXPECT_EQ(console.cursor, 0u);
    console.ProcessKey(key_code(KEY_RIGHT));
    EXPECT_EQ(console.cursor, 2u);
    type_into(console, "x");
    console.ProcessKey(key_code(KEY_LEFT));
    console.ProcessKey(key_code(KEY_BACKSPACE, 8));
    EXPECT_EQ(console.line, "x");
    EXPECT_EQ(console.cursor, 0u);
}

TEST(Console, EnterHandsANonEmptyLineToTheProcessorAndClearsIt) {
    RecordingProcessor processor;
    Game::Console console(nullptr, &processor, 640, 120);

    console.ProcessKey(key_code(KEY_ENTER, 13));
    EXPECT_TRUE(processor.lines.empty());

    type_into(console, "quit now");
    console.ProcessKey(key_code(KEY_LEFT));
    console.ProcessKey(key_code(KEY_ENTER, 13));
    ASSERT_EQ(processor.lines.size(), 1u);
    EXPECT_EQ(processor.lines[0], "quit now");
    EXPECT_EQ(processor.out, static_cast<std::ostream*>(&console));
    EXPECT_TRUE(console.line.empty());
    EXPECT_EQ(console.cursor, 0u);

    // The reply went through the console and is the bottom visible line.
    Bitmap expected(640, 236);
    draw_text(expected, "reply quit now", 0, 99);
    EXPECT_EQ(bitmap_difference(console.buffer, expected), "");

    // Without a processor the line is simply dropped.
    Game::Console alone(nullptr, nullptr, 640, 120);
    type_into(alone, "stats");
    alone.ProcessKey(key_code(KEY_ENTER, 13));
    EXPECT_TRUE(alone.line.empty());
}

TEST(ConsoleDeathTest, AFailedBufferIsReportedWithTheExpressionAndTheFunction) {
    // Under AddressSanitizer the impossible allocation must fail quietly, as it does
    // elsewhere, instead of ending the run with the sanitizer's own report.
    const char* old = std::getenv("ASAN_OPTIONS");
    const std::string saved = old ? old : "";
    const std::string quiet = (saved.empty() ? "" : saved + ":") + "allocator_may_return_null=1";
    setenv("ASAN_OPTIONS", quiet.c_str(), 1);
    EXPECT_DEATH(Game::Console(nullptr, nullptr, -1, 120),
                 "Debug assertion failed!\nbuffer = create_bitmap\\(w, vh \\+ BufferSize\\)\n"
                 "src/game/console.cpp:[0-9]+ in Game::Console::Console\n");
    if (old)
        setenv("ASAN_OPTIONS", saved.c_str(), 1);
    else
        unsetenv("ASAN_OPTIONS");
}
