#include <allegro.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/console_stream.h"

#include "support/test_support.h"

namespace {

using testsupport::Bitmap;

using testsupport::bitmap_difference;


void Push(int scancode, int c = 0) { simulate_keypress((scancode << 8) | c); }
void Push(const std::string& text) {
    for (char ch : text) Push(KEY_A, static_cast<unsigned char>(ch));
}

std::vector<int> notices;
void Record(int reason) { notices.push_back(reason); }

// Keeps the key buffer fed while the editor reads from it (the buffer holds fewer keys
// than a full line): every character offered pushes the next one, then Enter.
int remaining = 0;
bool Refill(int) {
    if (remaining > 0) {
        --remaining;
        Push("x");
        if (remaining == 0) Push(KEY_ENTER, 13);
    }
    return true;
}

class LineEditorX11 : public ::testing::Test {
protected:
    Bitmap target{320, 40};
    gstream stream{target};

    void SetUp() override {
        clear_keybuf();
        key_shifts = 0;
        notices.clear();
        stream.notify = Record;
    }
    void TearDown() override {
        key_shifts = 0;
        clear_keybuf();
    }
};

}  // namespace

TEST_F(LineEditorX11, TypedKeysEditTheLineInInsertAndOverwriteMode) {
    Push("abc");
    Push(KEY_LEFT);
    Push(KEY_LEFT);
    Push("X");
    Push(KEY_ENTER, 13);
    std::string line;
    std::getline(stream, line);
    EXPECT_EQ(line, "aXbc");

    stream.insert = false;
    Push("abc");
    Push(KEY_LEFT);
    Push(KEY_LEFT);
    Push("X");
    Push(KEY_ENTER, 13);
    std::getline(stream, line);
    EXPECT_EQ(line, "aXc");
    EXPECT_FALSE(stream.insert) << "the mode persists";
}

TEST_F(LineEditorX11, ControlArrowsMoveByWords) {
    key_shifts = KB_CTRL_FLAG;
    Push("one two");
    Push(KEY_LEFT);  // before "two"
    Push("Y");
    Push(KEY_LEFT);  // before "Ytwo"
    Push(KEY_LEFT);  // the start
    Push("Z");
    Push(KEY_RIGHT);  // before "Ytwo"
    Push("W");
    Push(KEY_ENTER, 13);
    std::string line;
    std::getline(stream, line);
    EXPECT_EQ(line, "Zone WYtwo");
    EXPECT_TRUE(notices.empty());
}

TEST_F(LineEditorX11, TheTwoHundredByteBufferTakesAtMost199CharactersAndTheNewline) {
    stream.accept = Refill;
    for (int i = 0; i < 40; ++i) Push("x");
    remaining = 165;  // 205 characters in all
    char out[200];
    const int n = stream.EditLine(out, 200);
    ASSERT_EQ(n, 200);
    EXPECT_EQ(std::string(out, 200), std::string(199, 'x') + "\n");
    EXPECT_EQ(notices, std::vector<int>(6, 2));
}

TEST_F(LineEditorX11, EnterOnAnEmptyLineIsIgnoredAndTwoCharactersGiveThreeBytes) {
    stream.x = 8;
    stream.y = 4;
    Push(KEY_ENTER, 13);
    Push("ab");
    Push(KEY_ENTER, 13);
    char out[200];
    EXPECT_EQ(stream.EditLine(out, 200), 3);
    EXPECT_EQ(std::string(out, 3), "ab\n");
    EXPECT_EQ(stream.x, 24);
    EXPECT_EQ(stream.y, 4);
    Bitmap expected(320, 40);
    textout_ex(expected, font, "ab", 8, 4, -1, _textmode);
    EXPECT_EQ(bitmap_difference(target, expected), "");
}

TEST_F(LineEditorX11, ExtractionReadsTheTypedTextBeforeStartingANewEdit) {
    Push("ab cd");
    Push(KEY_ENTER, 13);
    Push("zz");
    Push(KEY_ENTER, 13);
    std::string a, b, c;
    stream >> a >> b;
    EXPECT_EQ(a, "ab");
    EXPECT_EQ(b, "cd");
    EXPECT_TRUE(keypressed()) << "the second line was read by a new edit too early";
    stream >> c;
    EXPECT_EQ(c, "zz");
}

TEST_F(LineEditorX11, OutputDiscardsUnreadInputAndInputLaysOutPendingOutput) {
    stream << "Name: ";
    Push("bob jim");
    Push(KEY_ENTER, 13);
    Push("ann");
    Push(KEY_ENTER, 13);
    std::string word;
    stream >> word;
    EXPECT_EQ(word, "bob");
    EXPECT_EQ(stream.x, 104);  // after "Name: bob jim"

    stream << "!" << std::flush;
    stream >> word;
    EXPECT_EQ(word, "ann") << "\"jim\" should have been discarded";

    Bitmap expected(320, 40);
    textout_ex(expected, font, "Name: bob jim!ann", 0, 0, -1, _textmode);
    EXPECT_EQ(bitmap_difference(target, expected), "");
}

TEST_F(LineEditorX11, APictureUnderTheLineIsRestoredAroundAndBehindTheText) {
    testsupport::paint_busy_picture(target);
    Bitmap picture(320, 40);
    blit(target, picture, 0, 0, 0, 0, 320, 40);
    stream.x = 30;
    stream.y = 13;
    stream.cursor_w_insert = 3;
    stream.color = makecol32(255, 255, 0);

    Push("hello");
    Push(KEY_HOME);
    Push("XYZ");
    Push(KEY_DEL);
    Push(KEY_RIGHT);
    Push(KEY_BACKSPACE);
    Push(KEY_END);
    Push(KEY_BACKSPACE);
    Push(KEY_INSERT);
    Push(KEY_LEFT);
    Push("Q");
    Push(KEY_INSERT);
    Push(KEY_ENTER, 13);
    char out[200];
    const int n = stream.EditLine(out, 200);
    ASSERT_EQ(std::string(out, n), "XYZlQ\n");

    Bitmap expected(320, 40);
    blit(picture, expected, 0, 0, 0, 0, 320, 40);
    textout_ex(expected, font, "XYZlQ", 30, 13, makecol32(255, 255, 0), _textmode);
    EXPECT_EQ(bitmap_difference(target, expected), "");
}

TEST_F(LineEditorX11, ABlinkingCursorLeavesNothingBehind) {
    stream.blink = BPS_TO_TIMER(1000);
    stream.color = makecol32(255, 255, 0);
    Push("ok");
    Push(KEY_ENTER, 13);
    std::string line;
    std::getline(stream, line);
    EXPECT_EQ(line, "ok");
    Bitmap expected(320, 40);
    textout_ex(expected, font, "ok", 0, 0, makecol32(255, 255, 0), _textmode);
    EXPECT_EQ(bitmap_difference(target, expected), "");
}
