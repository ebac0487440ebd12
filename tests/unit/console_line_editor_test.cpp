#include <allegro.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/console_stream.h"
#include "game/console_line_editor.h"

#include "support/test_support.h"

namespace {

const int YELLOW = makecol32(255, 255, 0);

using testsupport::Bitmap;
using testsupport::bitmap_difference;

std::vector<int> notices;
void Record(int reason) { notices.push_back(reason); }
bool NoDigits(int c) { return c < '0' || c > '9'; }

// A stream and an edit on it, keys fed straight to the editor.
class LineEditorTest : public ::testing::Test {
protected:
    Bitmap target{200, 30};
    gstream stream{target};

    void SetUp() override {
        notices.clear();
        stream.notify = Record;
    }

    static void Type(LineEditor& editor, const std::string& text) {
        for (char ch : text) editor.Key(static_cast<unsigned char>(ch), KEY_A, 0);
    }
    static bool Press(LineEditor& editor, int scancode, int shifts = 0) {
        return editor.Key(0, scancode, shifts);
    }
};

}  // namespace

TEST_F(LineEditorTest, TypingInsertsOrOverwritesAtTheCursorByTheStreamsMode) {
    for (bool insert : {true, false}) {
        SCOPED_TRACE(insert ? "insert" : "overwrite");
        stream.insert = insert;
        stream.x = 0;
        {
            LineEditor editor(&stream, stream.bufsize);
            Type(editor, "abc");
            Press(editor, KEY_LEFT);
            Press(editor, KEY_LEFT);
            Type(editor, "X");
            EXPECT_EQ(editor.Text(), insert ? "aXbc" : "aXc");
            EXPECT_EQ(editor.Position(), 2);
            EXPECT_EQ(editor.cursor->x, 16);
            EXPECT_EQ(editor.len, insert ? 4 : 3);
            EXPECT_EQ(editor.width, insert ? 32 : 24);
            // At the end of the line both append.
            Press(editor, KEY_END);
            Type(editor, "d");
            EXPECT_EQ(editor.Text(), insert ? "aXbcd" : "aXcd");
            char out[200];
            ASSERT_TRUE(Press(editor, KEY_ENTER));
            editor.Finish(out);
        }
        EXPECT_EQ(stream.insert, insert) << "the mode outlasts the edit";
    }
    EXPECT_TRUE(notices.empty());
}

TEST_F(LineEditorTest, InsertKeyTogglesTheModeAndTheCursorSize) {
    LineEditor editor(&stream, stream.bufsize);
    Type(editor, "ab");
    EXPECT_EQ(editor.cursor->w, 1);
    EXPECT_EQ(editor.cursor->h, 8);
    Press(editor, KEY_INSERT);
    EXPECT_FALSE(stream.insert);
    EXPECT_EQ(editor.cursor->w, 8);  // a space's width at the end of the line
    Press(editor, KEY_HOME);
    EXPECT_EQ(editor.cursor->w, 8);  // the width of the glyph under it
    Press(editor, KEY_INSERT);
    EXPECT_TRUE(stream.insert);
    EXPECT_EQ(editor.cursor->w, 1);
}

TEST_F(LineEditorTest, ControlArrowsMoveByWords) {
    LineEditor editor(&stream, stream.bufsize);
    Type(editor, "one two");
    Press(editor, KEY_LEFT, KB_CTRL_FLAG);
    EXPECT_EQ(editor.Position(), 4);
    EXPECT_EQ(editor.cursor->x, 32);
    Press(editor, KEY_LEFT, KB_CTRL_FLAG);
    EXPECT_EQ(editor.Position(), 0);
    EXPECT_EQ(editor.cursor->x, 0);
    Press(editor, KEY_RIGHT, KB_CTRL_FLAG);
    EXPECT_EQ(editor.Position(), 4);
    Press(editor, KEY_RIGHT, KB_CTRL_FLAG);
    EXPECT_EQ(editor.Position(), 7);
    EXPECT_EQ(editor.cursor->x, 56);
    EXPECT_TRUE(notices.empty());
    Press(editor, KEY_RIGHT, KB_CTRL_FLAG);
    EXPECT_EQ(notices, std::vector<int>{1});
}

TEST(LineEditor, WordCharactersAreLettersDigitsUnderscoreBraceAndLatinLetters) {
    for (int c : std::vector<int>{'0', '9', 'A', 'Z', '_', 'a', 'z', '{', 181, 192, 214, 216, 246, 248, 255})
        EXPECT_TRUE(LineEditor::IsWordChar(c)) << c;
    for (int c : std::vector<int>{' ', '/', ':', '@', '[', '^', '`', '|', '}', '~', 127, 180, 182, 191, 215, 247})
        EXPECT_FALSE(LineEditor::IsWordChar(c)) << c;
}

TEST_F(LineEditorTest, KeysThatCannotBeObeyedAreNotifiedAndChangeNothing) {
    stream.accept = NoDigits;
    LineEditor editor(&stream, stream.bufsize);
    Press(editor, KEY_BACKSPACE);
    Press(editor, KEY_LEFT);
    Press(editor, KEY_HOME);
    Press(editor, KEY_DEL);
    Press(editor, KEY_RIGHT);
    Press(editor, KEY_END);
    Press(editor, KEY_UP);
    Press(editor, KEY_DOWN);
    Press(editor, KEY_F1);  // no character
    Type(editor, "7");
    EXPECT_EQ(notices, (std::vector<int>{1, 1, 1, 1, 1, 1, 1, 1, 0, 0}));
    EXPECT_EQ(editor.Text(), "");

    Type(editor, "ab");
    notices.clear();
    Press(editor, KEY_DEL);
    Press(editor, KEY_HOME);
    Press(editor, KEY_BACKSPACE);
    EXPECT_EQ(notices, (std::vector<int>{1, 1}));
    EXPECT_EQ(editor.Text(), "ab");
}

TEST_F(LineEditorTest, BackspaceAndDeleteRemoveAroundTheCursor) {
    LineEditor editor(&stream, stream.bufsize);
    Type(editor, "abcde");
    Press(editor, KEY_LEFT);
    Press(editor, KEY_LEFT);
    Press(editor, KEY_BACKSPACE);
    EXPECT_EQ(editor.Text(), "abde");
    EXPECT_EQ(editor.Position(), 2);
    EXPECT_EQ(editor.cursor->x, 16);
    Press(editor, KEY_DEL);
    EXPECT_EQ(editor.Text(), "abe");
    EXPECT_EQ(editor.Position(), 2);
    EXPECT_EQ(editor.cursor->x, 16);
    EXPECT_EQ(editor.width, 24);
    EXPECT_EQ(editor.len, 3);
}

TEST_F(LineEditorTest, TheLineHoldsItsBufferLessTheNewline) {
    LineEditor editor(&stream, 200);
    EXPECT_EQ(editor.limit, 199);
    Type(editor, std::string(199, 'x'));
    EXPECT_TRUE(notices.empty());
    Type(editor, "y");
    EXPECT_EQ(notices, std::vector<int>{2});
    EXPECT_EQ(editor.len, 199);

    // Overwriting may keep the size but not grow it: a two-byte character does not fit.
    stream.insert = false;
    Press(editor, KEY_HOME);
    Type(editor, "z");
    editor.Key(233, KEY_E, 0);
    EXPECT_EQ(notices, (std::vector<int>{2, 2}));
    EXPECT_EQ(editor.Text(), "z" + std::string(198, 'x'));

    char out[200];
    ASSERT_TRUE(Press(editor, KEY_ENTER));
    EXPECT_EQ(editor.Finish(out), 200);
    EXPECT_EQ(std::string(out, 200), "z" + std::string(198, 'x') + "\n");
}

TEST_F(LineEditorTest, EnterFinishesOnlyANonEmptyLine) {
    testsupport::paint_busy_picture(target);
    Bitmap expected(200, 30);
    blit(target, expected, 0, 0, 0, 0, 200, 30);
    stream.x = 10;
    stream.y = 5;
    LineEditor editor(&stream, stream.bufsize);
    EXPECT_FALSE(Press(editor, KEY_ENTER));
    EXPECT_FALSE(Press(editor, KEY_ENTER_PAD));
    Type(editor, "ab");
    EXPECT_TRUE(Press(editor, KEY_ENTER_PAD));
    char out[200];
    EXPECT_EQ(editor.Finish(out), 3);
    EXPECT_EQ(std::string(out, 3), "ab\n");
    EXPECT_EQ(stream.x, 26);
    EXPECT_EQ(stream.y, 5);

    // The characters stay drawn; the cursor is gone and the picture under it back.
    textout_ex(expected, font, "ab", 10, 5, -1, _textmode);
    EXPECT_EQ(bitmap_difference(target, expected), "");
}

TEST_F(LineEditorTest, APictureUnderTheLineComesBackExactly) {
    testsupport::paint_busy_picture(target);
    Bitmap picture(200, 30);
    blit(target, picture, 0, 0, 0, 0, 200, 30);
    stream.x = 20;
    stream.y = 11;
    stream.color = YELLOW;
    stream.cursor_w_insert = 2;

    LineEditor editor(&stream, stream.bufsize);
    Type(editor, "hello");
    Press(editor, KEY_LEFT);
    Press(editor, KEY_LEFT);
    Type(editor, "XY");
    Press(editor, KEY_DEL);
    Press(editor, KEY_HOME);
    Press(editor, KEY_DEL);
    Press(editor, KEY_RIGHT);
    Press(editor, KEY_INSERT);
    Type(editor, "Q");
    Press(editor, KEY_INSERT);
    Press(editor, KEY_END);
    Press(editor, KEY_BACKSPACE);
    Press(editor, KEY_LEFT, KB_CTRL_FLAG);
    ASSERT_EQ(editor.Text(), "eQXY");
    ASSERT_EQ(editor.Position(), 0);

    // The text over the picture with the insert cursor before it.
    Bitmap expected(200, 30);
    blit(picture, expected, 0, 0, 0, 0, 200, 30);
    textout_ex(expected, font, "eQXY", 20, 11, YELLOW, _textmode);
    rectfill(expected, 20, 11, 21, 18, YELLOW);
    EXPECT_EQ(bitmap_difference(target, expected), "");

    // Erasing the cursor and every glyph gives the picture back.
    editor.cursor->Restore();
    for (const Glyph& g : editor.glyphs) g.Restore();
    EXPECT_EQ(bitmap_difference(target, picture), "");
}

TEST_F(LineEditorTest, BlinkingHidesAndShowsTheCursorByTheTimerCount) {
    stream.color = YELLOW;
    LineEditor editor(&stream, stream.bufsize);  // no blinking: no timer
    Bitmap shown(200, 30), hidden(200, 30);
    rectfill(shown, 0, 0, 0, 7, YELLOW);
    EXPECT_EQ(bitmap_difference(target, shown), "");

    LineEditor::blink_count = -1;
    editor.Blink();  // blinking off: nothing changes
    EXPECT_TRUE(LineEditor::cursor_shown);

    stream.blink = 10;
    editor.Blink();
    EXPECT_FALSE(LineEditor::cursor_shown);
    EXPECT_EQ(bitmap_difference(target, hidden), "");
    EXPECT_EQ(LineEditor::blink_count, -1);

    LineEditor::blink_count = -2;
    editor.Blink();
    EXPECT_EQ(LineEditor::blink_count, 0);
    EXPECT_FALSE(LineEditor::cursor_shown);
    editor.Blink();
    EXPECT_TRUE(LineEditor::cursor_shown);
    EXPECT_EQ(bitmap_difference(target, shown), "");

    // A key shows the cursor for a while; a refused one does not.
    LineEditor::blink_count = -1;
    editor.Blink();
    editor.Key(0, KEY_F1, 0);
    EXPECT_EQ(LineEditor::blink_count, -1);
    editor.Key(0, KEY_LEFT, 0);
    EXPECT_EQ(LineEditor::blink_count, 1);
    editor.Blink();
    EXPECT_TRUE(LineEditor::cursor_shown);
    stream.blink = 0;
}
