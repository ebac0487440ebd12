#include "game/console_stream.h"

#include <allegro.h>

#include <string>

#include "game/console_line_editor.h"

namespace {

constexpr int kBufSize = 200;

// Zero bytes appended to every piece handed to the library's text routines: a malformed
// multi-byte sequence at the end of a piece makes the decoder step over one terminator,
// and it must still find another one inside our string.
constexpr int kPad = 8;

bool AcceptAll(int) { return true; }
void NotifyNothing(int) {}

// Bytes of the character starting at s, never past end and never 0.
int CharBytes(const char* s, const char* end) {
    int w = uwidth(s);
    if (w < 1) w = 1;
    if (w > end - s) w = static_cast<int>(end - s);
    return w;
}

// A NUL-padded copy of s[a, b) that the text routines can read safely.
std::string Piece(const char* s, int a, int b) {
    std::string piece(s + a, s + b);
    piece.append(kPad, '\0');
    return piece;
}

}  // namespace

gbuf::gbuf()
    : target(nullptr),
      font(::font),
      x(0),
      y(0),
      color(-1),
      left(0),
      tabsize(8),
      lineheight(::font ? text_height(::font) + 1 : 1),
      cursor_w_insert(1),
      cursor_h_insert(-1),
      cursor_w_over(-1),
      cursor_h_over(-1),
      blink(0),
      wrap(false),
      insert(true),
      copy(nullptr),
      accept(AcceptAll),
      draw_cursor(DrawBlockCursor),
      notify(NotifyNothing),
      buf(new char[kBufSize]),
      bufsize(kBufSize) {}

gbuf::~gbuf() { delete[] buf; }

void gbuf::Reset() {
    x = 0;
    y = 0;
    font = ::font;
    lineheight = text_height(font) + 1;
    color = -1;
    left = 0;
    tabsize = 8;
    cursor_w_insert = 1;
    cursor_h_insert = -1;
    cursor_w_over = -1;
    cursor_h_over = -1;
    blink = 0;
    insert = true;
    accept = AcceptAll;
    draw_cursor = DrawBlockCursor;
    notify = NotifyNothing;
}

void gbuf::SetTarget(BITMAP* t) {
    sync();
    target = t;
}

void gbuf::SetFont(FONT* f) {
    sync();
    font = f;
}

void gbuf::SetY(int new_y) {
    sync();
    y = new_y;
}

void gbuf::SetWrap(bool w) {
    sync();
    wrap = w;
}

// The stream's chars are the bytes of the text in the library's current encoding, so
// they are stored as they come; what reaches Write is always whole characters.
gbuf::int_type gbuf::overflow(int_type c) {
    setg(nullptr, nullptr, nullptr);
    if (!pbase()) setp(buf, buf + bufsize);

    const bool eof = traits_type::eq_int_type(c, traits_type::eof());
    if (!eof && pptr() < epptr()) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
        return c;
    }

    // Lay out the whole characters; the bytes of a character whose encoding has not
    // fully arrived stay at the start of the buffer.
    char* const begin = pbase();
    char* const end = pptr();
    char* whole = begin;
    while (whole < end) {
        const int w = uwidth(whole) > 0 ? uwidth(whole) : 1;
        if (w > end - whole) break;
        whole += w;
    }
    Write(begin, static_cast<int>(whole - begin));
    const std::string tail(whole, end);
    setp(buf, buf + bufsize);
    for (char ch : tail) {
        *pptr() = ch;
        pbump(1);
    }
    if (eof) return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
}

gbuf::int_type gbuf::underflow() {
    if (gptr() && gptr() < egptr()) return traits_type::to_int_type(*gptr());
    if (pptr() > pbase()) overflow(traits_type::eof());
    setp(nullptr, nullptr);

    const int n = EditLine(buf, bufsize);
    if (n <= 0) {
        setg(nullptr, nullptr, nullptr);
        return traits_type::eof();
    }
    setg(buf, buf, buf + n);
    return traits_type::to_int_type(buf[0]);
}

int gbuf::sync() {
    if (pptr() > pbase()) overflow(traits_type::eof());
    return 0;
}

int gbuf::Write(const char* s, int n) {
    if (!s || n <= 0) return 0;
    if (copy) {
        std::fwrite(s, 1, static_cast<std::size_t>(n), copy);
        std::fflush(copy);
    }
    const char* const end = s + n;
    const char* run = s;
    const char* p = s;
    while (p < end) {
        const int bytes = CharBytes(p, end);
        const int c = bytes == uwidth(p) ? ugetc(p) : -1;
        if (c == '\n' || c == '\r' || c == '\t') {
            Print(run, static_cast<int>(p - run));
            if (c == '\n') {
                x = left;
                y += lineheight;
            } else if (c == '\r') {
                x = left;
            } else {
                const int tab = text_length(font, " ") * tabsize;
                if (tab > 0) x += tab - ((x % tab) + tab) % tab;
            }
            run = p + bytes;
        }
        p += bytes;
    }
    Print(run, static_cast<int>(end - run));
    return n;
}

void gbuf::Print(const char* s, int n) {
    if (n <= 0) return;
    auto width = [&](int a, int b) { return text_length(font, Piece(s, a, b).c_str()); };
    auto draw = [&](int a, int b) {
        const std::string piece = Piece(s, a, b);
        if (target) textout_ex(target, font, piece.c_str(), x, y, color, _textmode);
        x += text_length(font, piece.c_str());
    };

    if (!wrap || !target) {
        draw(0, n);
        return;
    }

    const int edge = target->w;
    if (x >= edge) {
        x = left;
        y += lineheight;
    }
    const int sw = text_length(font, " ");
    int start = 0;
    int brk = 0;
    // The text from start to p, without its trailing space, may reach the edge but not
    // pass it; otherwise the line is broken at the last space (or, for a single word,
    // after the word, which is then clipped).
    auto fit = [&](int p) {
        if (width(start, p) + x - sw <= edge) return;
        if (brk == start) {
            draw(start, p);
            start = p;
        } else {
            draw(start, brk);
            start = brk;
        }
        x = left;
        y += lineheight;
    };

    const char* const end = s + n;
    int p = 0;
    while (p < n) {
        const int bytes = CharBytes(s + p, end);
        const bool space = bytes == uwidth(s + p) && ugetc(s + p) == ' ';
        p += bytes;
        if (space) {
            fit(p);
            brk = p;
        }
    }
    if (brk != start) fit(brk);
    draw(start, n);
}

int gbuf::EditLine(char* out, int size) {
    if (!target || !out || size < ucwidth('\n') + 1) return 0;
    LineEditor editor(this, size);
    return editor.Run(out);
}

void gbuf::DrawBlockCursor(BITMAP* target, int x, int y, int w, int h, int color, bool) {
    if (!target || w <= 0 || h <= 0) return;
    if (color == -1) color = makecol_depth(bitmap_color_depth(target), 0, 0, 0);
    rectfill(target, x, y, x + w - 1, y + h - 1, color);
}

gstream::gstream(BITMAP* t) : gbuf(), std::iostream(static_cast<gbuf*>(this)) {
    Reset();
    SetTarget(t);
}
