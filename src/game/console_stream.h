#ifndef VORLIN_GAME_CONSOLE_STREAM_H
#define VORLIN_GAME_CONSOLE_STREAM_H

#include <cstdio>
#include <istream>
#include <streambuf>

struct BITMAP;
struct FONT;

// A stream buffer that lays text out on a bitmap: text position, line breaks, tabs and
// optional word wrapping. Output is collected in a 200-byte put area and laid out on
// overflow or flush. Its input side is a blocking on-screen line editor (EditLine).
// One buffer serves both directions: starting output discards unread input, starting
// input first lays out pending output.
class gbuf : public std::basic_streambuf<char> {
public:
    using AcceptFn = bool (*)(int character);
    using DrawCursorFn = void (*)(BITMAP* target, int x, int y, int w, int h, int color,
                                  bool insert);
    using NotifyFn = void (*)(int reason);  // 0 refused, 1 nothing to do, 2 line full

    BITMAP* target;  // not owned
    FONT* font;
    int x;           // text position, pixels from the left of target
    int y;           // top of the current line
    int color;       // handed to textout_ex; -1 after Reset
    int left;        // x after a line break
    int tabsize;     // in widths of a space
    int lineheight;  // text_height(font) + 1
    int cursor_w_insert, cursor_h_insert, cursor_w_over, cursor_h_over;
    int blink;       // cursor blink period in timer units; <= 0: no blinking
    bool wrap;
    bool insert;
    // Not owned; null: none. Every byte laid out goes here too, as it is laid out, and
    // the file is flushed at once, so that a line reaches it when it reaches the screen.
    std::FILE* copy;
    AcceptFn accept;
    DrawCursorFn draw_cursor;
    NotifyFn notify;
    char* buf;       // owned; put area of output, get area of input
    int bufsize;

    gbuf();
    ~gbuf() override;
    gbuf(const gbuf&) = delete;
    gbuf& operator=(const gbuf&) = delete;

    void Reset();
    // Lays out n bytes at the text position; returns n.
    int Write(const char* s, int n);
    // Edits one line at (x, y) of target; returns the bytes stored in buf: the text and
    // a newline. Blocks until Enter on a non-empty line.
    int EditLine(char* buf, int size);

    // Layout settings changed from outside the layout: pending text is drawn first with
    // the settings in force when it was written.
    void SetTarget(BITMAP* target);
    void SetFont(FONT* font);
    void SetY(int y);
    void SetWrap(bool wrap);

    // The block cursor painter the editor uses by default.
    static void DrawBlockCursor(BITMAP* target, int x, int y, int w, int h, int color,
                                bool insert);

protected:
    int_type overflow(int_type c) override;
    int_type underflow() override;
    int sync() override;

private:
    void Print(const char* s, int n);
};

// An iostream over its own gbuf; gbuf is a virtual base so that a class derived from
// gstream shares the same buffer.
class gstream : public virtual gbuf, public std::iostream {
public:
    explicit gstream(BITMAP* target);
};

#endif
