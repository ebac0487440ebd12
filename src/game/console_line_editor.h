#ifndef VORLIN_GAME_CONSOLE_LINE_EDITOR_H
#define VORLIN_GAME_CONSOLE_LINE_EDITOR_H

#include <atomic>
#include <list>
#include <memory>
#include <string>

struct BITMAP;
class gbuf;

// One typed character on the target. It keeps a copy of the pixels it covers, so it can
// be erased and moved over any background and the background comes back exactly.
class Glyph {
public:
    gbuf* owner;
    int x, y;        // top-left corner on the owner's target
    BITMAP* under;   // owned: the covered pixels; null for a character of no width
    int ch;          // character code

    // Saves the covered pixels and draws the character.
    Glyph(gbuf* owner, int x, int y, int ch);
    Glyph(const Glyph& other);
    Glyph& operator=(const Glyph&) = delete;
    // The drawn character stays on the target.
    ~Glyph();

    int Width() const;
    // Erases the character: the saved pixels go back.
    void Restore() const;
    // Shifts by dx, saving the pixels at the new place and drawing there. Restore first.
    void Move(int dx);

private:
    void SaveAndDraw();
};

// The editor's cursor. Its size follows the owner's settings for the current mode and,
// for an automatic width, the glyph it stands on.
class EditCursor {
public:
    gbuf* owner;
    int x, y;
    BITMAP* under;    // owned: the pixels the cursor covers; null for an empty cursor
    const Glyph* at;  // the glyph under the cursor; null at the end of the line
    int w, h;

    // Saves the background and draws the cursor when it is shown.
    EditCursor(gbuf* owner, int x, int y, const Glyph* at);
    ~EditCursor();
    EditCursor(const EditCursor&) = delete;
    EditCursor& operator=(const EditCursor&) = delete;

    // Recomputes the size; the saved pixels are stale afterwards until the next Move.
    void Resize();
    void Restore() const;
    void Move(int dx);
    void Draw() const;
};

// One edit of one line on a gbuf's target, at its text position. Key handling is a
// plain function of the key, so the blocking loop only polls the keyboard and the
// timer count and feeds them in.
class LineEditor {
public:
    using GlyphList = std::list<Glyph>;

    // Shared by every editor, which is why two edits must never run at once.
    static bool cursor_shown;
    static std::atomic<int> blink_count;  // counted down by the blink timer

    gbuf* owner;
    int line_y;
    GlyphList glyphs;             // in text order
    GlyphList::iterator pos;      // the glyph the cursor stands before, or end
    std::unique_ptr<EditCursor> cursor;
    int len;    // bytes of the text in the library's encoding
    int width;  // pixels
    int limit;  // most bytes of text: room is kept for the newline

    // Starts the edit at the owner's text position: the cursor is drawn at once and the
    // blink timer installed when blinking is on. size is the room of the result buffer.
    LineEditor(gbuf* owner, int size);
    // Removes the blink timer if still installed.
    ~LineEditor();
    LineEditor(const LineEditor&) = delete;
    LineEditor& operator=(const LineEditor&) = delete;

    // Blocks until Enter on a non-empty line; returns Finish's byte count.
    int Run(char* out);
    // One pass of the blinking (does nothing when blinking is off).
    void Blink();
    // One key (character, scancode, key_shifts); true when the line is finished.
    bool Key(int c, int scancode, int shifts);
    // Ends the edit: the text and a newline go to out (no terminator), the owner's x
    // moves past the text, which stays drawn. Returns the byte count.
    int Finish(char* out);

    // The typed text in the library's encoding.
    std::string Text() const;
    // Characters before the cursor.
    int Position() const;

    static bool IsWordChar(int c);

private:
    bool timer_installed;

    void Notify(int reason);
    void StopTimer();

    // One key each. The moves and deletions notify 1 when there is nothing to move over
    // or delete; with `word` (Ctrl held) Left and Right go by words.
    void ToggleInsert();
    void Backspace();
    void Delete();
    void Left(bool word);
    void Right(bool word);
    void Home();
    void End();
    bool Type(int c);  // false when the character was refused
    // Typing in either mode; both notify 2 when the line would pass its limit.
    void Insert(int c);
    void Overwrite(int c);

    static int WidthOf(GlyphList::iterator first, GlyphList::iterator last);
    // The cursor stands on glyph g (on nothing at the end) and takes its size for it.
    void StandOn(GlyphList::iterator g);
    void MoveCursorTo(GlyphList::iterator to, int dx);
    void WordLeft();
    void WordRight();
    // Restores every glyph from `from` to the end and moves it by dx.
    void ShiftFrom(GlyphList::iterator from, int dx);
    // Erases glyph g and closes the gap behind it; returns the glyph that followed it.
    GlyphList::iterator Erase(GlyphList::iterator g);
};

#endif
