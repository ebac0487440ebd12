#include <allegro.h>
#include <gtest/gtest.h>

#include <string>

#include "game/console_stream.h"

#include "support/test_support.h"

namespace {

const int BLUE = makecol32(0, 0, 255);

using testsupport::Bitmap;
using testsupport::bitmap_difference;
using testsupport::draw_text;

}  // namespace

TEST(gstream, ConstructorResetsAndTargetsTheBitmap) {
    Bitmap bmp(64, 16);
    gstream s(bmp);
    EXPECT_EQ(s.target, bmp.get());
    EXPECT_EQ(s.font, font);
    EXPECT_EQ(s.x, 0);
    EXPECT_EQ(s.y, 0);
    EXPECT_EQ(s.color, -1);
    EXPECT_EQ(s.gbuf::left, 0);
    EXPECT_EQ(s.tabsize, 8);
    EXPECT_EQ(s.lineheight, 9);
    EXPECT_FALSE(s.wrap);
    EXPECT_TRUE(s.insert);
    EXPECT_EQ(s.cursor_w_insert, 1);
    EXPECT_EQ(s.cursor_h_insert, -1);
    EXPECT_EQ(s.cursor_w_over, -1);
    EXPECT_EQ(s.cursor_h_over, -1);
    EXPECT_EQ(s.blink, 0);
    EXPECT_EQ(s.bufsize, 200);
}

TEST(gstream, ResetKeepsWrapAndRestoresTheRest) {
    gstream s(nullptr);
    s.wrap = true;
    s.x = 5;
    s.y = 7;
    s.color = 3;
    s.gbuf::left = 9;
    s.tabsize = 2;
    s.insert = false;
    s.blink = 4;
    s.Reset();
    EXPECT_TRUE(s.wrap);
    EXPECT_EQ(s.x, 0);
    EXPECT_EQ(s.y, 0);
    EXPECT_EQ(s.color, -1);
    EXPECT_EQ(s.gbuf::left, 0);
    EXPECT_EQ(s.tabsize, 8);
    EXPECT_TRUE(s.insert);
    EXPECT_EQ(s.blink, 0);
}

TEST(gstream, OutputIsLaidOutOnlyWhenFlushed) {
    Bitmap bmp(80, 20, BLUE), expected(80, 20, BLUE);
    gstream s(bmp);
    s << "hello";
    EXPECT_EQ(bitmap_difference(bmp, expected), "") << "drawn before the flush";
    EXPECT_EQ(s.x, 0);
    s << std::flush;
    draw_text(expected, "hello", 0, 0);
    EXPECT_EQ(bitmap_difference(bmp, expected), "");
    EXPECT_EQ(s.x, 40);
    EXPECT_EQ(s.y, 0);
}

TEST(gstream, NewlineCarriageReturnAndTab) {
    Bitmap bmp(320, 40, BLUE), expected(320, 40, BLUE);
    gstream s(bmp);
    s << "ab\ncd\rX\tY" << std::flush;
    draw_text(expected, "ab", 0, 0);
    draw_text(expected, "cd", 0, 9);
    draw_text(expected, "X", 0, 9);  // the carriage return goes back over "cd"
    draw_text(expected, "Y", 64, 9);  // nothing is drawn in the gap of the tab
    EXPECT_EQ(bitmap_difference(bmp, expected), "");
    EXPECT_EQ(s.x, 72);
    EXPECT_EQ(s.y, 9);
}

TEST(gstream, TabStopsAreMultiplesOfTabsizeSpacesFromTheBitmapEdge) {
    Bitmap bmp(400, 40);
    gstream s(bmp);
    s << '\t' << std::flush;
    EXPECT_EQ(s.x, 64);  // from 0: one whole tab
    s << '\t' << std::flush;
    EXPECT_EQ(s.x, 128);  // from a stop: the next one, not zero
    s << "\na\t" << std::flush;
    EXPECT_EQ(s.x, 64);  // from 8: up to the stop
    s.gbuf::left = 20;
    s << "\n\t" << std::flush;
    EXPECT_EQ(s.x, 64);  // counted from the edge, not from `left`
    s.tabsize = 4;
    s << '\t' << std::flush;
    EXPECT_EQ(s.x, 96);
    s << "\r" << std::flush;
    EXPECT_EQ(s.x, 20);
    EXPECT_EQ(s.y, 18);
}

TEST(gstream, LongOutputIsLaidOutTwoHundredBytesAtATime) {
    Bitmap bmp(2100, 10, BLUE), expected(2100, 10, BLUE);
    gstream s(bmp);
    s << std::string(250, 'a');
    EXPECT_EQ(s.x, 1600) << "the first full put area is laid out, the rest waits";
    draw_text(expected, std::string(200, 'a'), 0, 0);
    EXPECT_EQ(bitmap_difference(bmp, expected), "");
    s << std::flush;
    EXPECT_EQ(s.x, 2000);
    draw_text(expected, std::string(250, 'a'), 0, 0);
    EXPECT_EQ(bitmap_difference(bmp, expected), "");
}

TEST(gstream, SettersLayOutPendingTextWithTheFormerSettings) {
    Bitmap first(200, 60, BLUE), second(200, 60, BLUE);
    Bitmap expected_first(200, 60, BLUE), expected_second(200, 60, BLUE);
    gstream s(first);
    s << "ab";
    s.SetY(30);
    s << "cd";
    s.SetTarget(second);
    s << "ef" << std::flush;
    draw_text(expected_first, "ab", 0, 0);
    draw_text(expected_first, "cd", 16, 30);
    draw_text(expected_second, "ef", 32, 30);
    EXPECT_EQ(bitmap_difference(first, expected_first), "");
    EXPECT_EQ(bitmap_difference(second, expected_second), "");

    // Pending text written while wrapping was off is not wrapped afterwards.
    Bitmap narrow(40, 30, BLUE), expected_narrow(40, 30, BLUE);
    gstream t(narrow);
    t << "aaa bbb ccc";
    t.SetWrap(true);
    t << std::flush;
    draw_text(expected_narrow, "aaa bbb ccc", 0, 0);
    EXPECT_EQ(bitmap_difference(narrow, expected_narrow), "");
    EXPECT_TRUE(t.wrap);
}

TEST(gstream, WrapBreaksAtSpacesAndAWordMayEndExactlyAtTheEdge) {
    // 75 + 1 + 4 characters of 8 pixels end exactly at the right edge of 640.
    Bitmap bmp(640, 40), expected(640, 40);
    gstream s(bmp);
    s.SetWrap(true);
    const std::string a75(75, 'a');
    s << a75 << " bcde next word" << std::endl;
    draw_text(expected, a75 + " bcde", 0, 0);
    draw_text(expected, "next word", 0, 9);
    EXPECT_EQ(bitmap_difference(bmp, expected), "");
    EXPECT_EQ(s.x, 0);
    EXPECT_EQ(s.y, 18);

    // One character more and the word goes to the next line.
    Bitmap bmp2(640, 40), expected2(640, 40);
    gstream t(bmp2);
    t.SetWrap(true);
    t << a75 << " bcdef next" << std::endl;
    draw_text(expected2, a75, 0, 0);
    draw_text(expected2, "bcdef next", 0, 9);
    EXPECT_EQ(bitmap_difference(bmp2, expected2), "");
}

TEST(gstream, WrapsTheWelcomeLineAtWordBoundaries) {
    Bitmap bmp(640, 40), expected(640, 40);
    gstream s(bmp);
    s.SetWrap(true);
    s << "Welcome to Vorlin 1.0! This is the inital release for programming, may there be many "
         "more releases to come! Try from the Pistol, Shotgun, Rocket Launcher, and Flak Cannon "
         "to kill your enemy!"
      << std::endl;
    draw_text(expected, "Welcome to Vorlin 1.0! This is the inital release for programming, may there be",
         0, 0);
    draw_text(expected, "many more releases to come! Try from the Pistol, Shotgun, Rocket Launcher, and",
         0, 9);
    draw_text(expected, "Flak Cannon to kill your enemy!", 0, 18);
    EXPECT_EQ(bitmap_difference(bmp, expected), "");
    EXPECT_EQ(s.y, 27);
}

TEST(gstream, AWordLongerThanTheLineIsClippedOnALineOfItsOwn) {
    Bitmap bmp(640, 40), expected(640, 40);
    gstream s(bmp);
    s.SetWrap(true);
    const std::string x100(100, 'x');
    s << "short " << x100 << " after" << std::endl;
    draw_text(expected, "short", 0, 0);
    draw_text(expected, x100, 0, 9);
    draw_text(expected, "after", 0, 18);
    EXPECT_EQ(bitmap_difference(bmp, expected), "");
    EXPECT_EQ(s.y, 27);
}

TEST(gstream, TheLastWordOfARunStaysAndTheNextRunStartsOnANewLine) {
    Bitmap bmp(640, 40), expected(640, 40);
    gstream s(bmp);
    s.SetWrap(true);
    const std::string a78(78, 'a');
    s << a78 << " bbbbb" << std::flush;
    draw_text(expected, a78 + " bbbbb", 0, 0);
    EXPECT_EQ(bitmap_difference(bmp, expected), "");
    EXPECT_EQ(s.x, 672);
    EXPECT_EQ(s.y, 0);
    s << "c" << std::flush;
    draw_text(expected, "c", 0, 9);
    EXPECT_EQ(bitmap_difference(bmp, expected), "");
    EXPECT_EQ(s.y, 9);
}

TEST(gstream, BytesOfTheTextEncodingPassThroughUnchanged) {
    // "é" in UTF-8, the library's default text encoding, written as two chars.
    Bitmap bmp(1700, 10), expected(1700, 10);
    gstream s(bmp);
    s << "\xC3\xA9" << std::flush;
    draw_text(expected, "\xC3\xA9", 0, 0);
    EXPECT_EQ(bitmap_difference(bmp, expected), "");
    EXPECT_EQ(s.x, 8);

    // The two bytes straddle the end of the put area: the character is laid out whole.
    s.x = 0;
    clear_bitmap(bmp);
    s << std::string(199, 'a') << "\xC3\xA9" << std::flush;
    clear_bitmap(expected);
    draw_text(expected, std::string(199, 'a') + "\xC3\xA9", 0, 0);
    EXPECT_EQ(bitmap_difference(bmp, expected), "");
    EXPECT_EQ(s.x, 1600);
}

TEST(gstream, MalformedTextIsLaidOutWithoutReadingPastIt) {
    Bitmap bmp(100, 10);
    gstream s(bmp);
    // Lead bytes whose continuation never comes, alone and before a control character.
    EXPECT_EQ(s.Write("\xE9", 1), 1);
    EXPECT_EQ(s.Write("\xF4\x80", 2), 2);
    // Well-formed text after them is laid out as usual.
    EXPECT_EQ(s.Write("\nok\n", 4), 4);
    EXPECT_EQ(s.y, 18);
    EXPECT_EQ(s.x, 0);
    EXPECT_EQ(s.Write("", 0), 0);
    EXPECT_EQ(s.Write(nullptr, 5), 0);
    // A stream without a target only moves its text position.
    gstream none(nullptr);
    none << "abc\tx" << std::flush;
    EXPECT_EQ(none.x, 72);
}

TEST(gbuf, DrawBlockCursorFillsTheRectangleBlackForColourMinusOne) {
    Bitmap bmp(20, 20, BLUE), expected(20, 20, BLUE);
    gbuf::DrawBlockCursor(bmp, 2, 3, 4, 5, makecol32(255, 255, 0), true);
    rectfill(expected, 2, 3, 5, 7, makecol32(255, 255, 0));
    EXPECT_EQ(bitmap_difference(bmp, expected), "");
    gbuf::DrawBlockCursor(bmp, 10, 10, 3, 2, -1, false);
    rectfill(expected, 10, 10, 12, 11, makecol32(0, 0, 0));
    EXPECT_EQ(bitmap_difference(bmp, expected), "");
    gbuf::DrawBlockCursor(bmp, 0, 0, 0, 5, -1, true);  // empty: nothing
    EXPECT_EQ(bitmap_difference(bmp, expected), "");
}
