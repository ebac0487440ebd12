// The edit run on the real keyboard: keys come from the library's key buffer with the
// shift state of the moment. What each key does is tested on the editor itself
// (unit/line_editor_test.cpp); here only what needs the keyboard and the timer.
#include <allegro.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/console_stream.h"
#include "support/game_support.h"
#include "support/test_support.h"

namespace {

using testsupport::Bitmap;
using testsupport::bitmap_difference;
using testsupport::key_code;

void Push(int scancode, int c = 0) { simulate_keypress(key_code(scancode, c)); }
void Push(const std::string& text) {
    for (char ch : text) Push(KEY_A, static_cast<unsigned char>(ch));
}

std::vector<int> notices;
void Record(int reason) { notices.push_back(reason); }

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

TEST_F(LineEditorX11, EditLineTakesBufferedKeysWithTheirShiftsUntilEnterOnANonEmptyLine) {
    Push(KEY_ENTER, 13);  // on the empty line: ignored
    key_shifts = KB_CTRL_FLAG;
    Push("one tw");
    Push(KEY_LEFT);  // with Control: a word back, before "tw"
    Push("Y");
    Push("z");  // an eighth character: no room left in 8 bytes beside the newline
    Push(KEY_ENTER, 13);
    char out[8];
    ASSERT_EQ(stream.EditLine(out, 8), 8);
    EXPECT_EQ(std::string(out, 8), "one Ytw\n");
    EXPECT_EQ(notices, std::vector<int>{2});
    EXPECT_EQ(stream.x, 56);
    EXPECT_FALSE(keypressed());
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
