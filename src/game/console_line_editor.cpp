#include "game/console_line_editor.h"

#include <allegro.h>

#include <iterator>

#include "game/console_stream.h"

namespace {

// One encoded character and its terminator, for drawing and measuring. The longest
// encoding the library writes is six bytes (UTF-8) and a terminator takes at most two
// (UTF-16), so this always holds one character.
char scratch[16];

const char* Encode(int ch) {
    const int n = usetc(scratch, ch);
    usetc(scratch + n, 0);
    return scratch;
}

int CharWidth(const gbuf* owner, int ch) { return text_length(owner->font, Encode(ch)); }

BITMAP* CreateLike(const BITMAP* target, int w, int h) {
    if (w <= 0 || h <= 0) return nullptr;
    return create_bitmap_ex(bitmap_color_depth(const_cast<BITMAP*>(target)), w, h);
}

void BlinkTick() { --LineEditor::blink_count; }
END_OF_FUNCTION(BlinkTick)

}  // namespace

// ---------------------------------------------------------------------------------------

Glyph::Glyph(gbuf* owner_, int x_, int y_, int ch_)
    : owner(owner_), x(x_), y(y_), under(nullptr), ch(ch_) {
    under = CreateLike(owner->target, CharWidth(owner, ch), text_height(owner->font));
    SaveAndDraw();
}

Glyph::Glyph(const Glyph& other)
    : owner(other.owner), x(other.x), y(other.y), under(nullptr), ch(other.ch) {
    if (other.under) {
        under = create_bitmap_ex(bitmap_color_depth(other.under), other.under->w,
                                 other.under->h);
        if (under) blit(other.under, under, 0, 0, 0, 0, under->w, under->h);
    }
}

Glyph::~Glyph() {
    if (under) destroy_bitmap(under);
}

int Glyph::Width() const { return under ? under->w : 0; }

void Glyph::Restore() const {
    if (under) blit(under, owner->target, 0, 0, x, y, under->w, under->h);
}

void Glyph::Move(int dx) {
    x += dx;
    SaveAndDraw();
}

void Glyph::SaveAndDraw() {
    if (!under) return;
    blit(owner->target, under, x, y, 0, 0, under->w, under->h);
    textout_ex(owner->target, owner->font, Encode(ch), x, y, owner->color, _textmode);
}

// ---------------------------------------------------------------------------------------

EditCursor::EditCursor(gbuf* owner_, int x_, int y_, const Glyph* at_)
    : owner(owner_), x(x_), y(y_), under(nullptr), at(at_), w(0), h(0) {
    Resize();
    Move(0);
}

EditCursor::~EditCursor() {
    if (under) destroy_bitmap(under);
}

void EditCursor::Resize() {
    int nw = owner->insert ? owner->cursor_w_insert : owner->cursor_w_over;
    int nh = owner->insert ? owner->cursor_h_insert : owner->cursor_h_over;
    if (nw < 0) nw = at ? at->Width() : text_length(owner->font, " ");
    if (nh < 0) nh = text_height(owner->font);
    if (under && nw == w && nh == h) return;
    if (under) destroy_bitmap(under);
    w = nw;
    h = nh;
    under = CreateLike(owner->target, w, h);
}

void EditCursor::Restore() const {
    if (under) blit(under, owner->target, 0, 0, x, y, w, h);
}

void EditCursor::Move(int dx) {
    x += dx;
    if (under) blit(owner->target, under, x, y, 0, 0, w, h);
    if (LineEditor::cursor_shown) Draw();
}

void EditCursor::Draw() const {
    if (owner->draw_cursor && w > 0 && h > 0)
        owner->draw_cursor(owner->target, x, y, w, h, owner->color, owner->insert);
}

// ---------------------------------------------------------------------------------------

bool LineEditor::cursor_shown = true;
std::atomic<int> LineEditor::blink_count{0};

LineEditor::LineEditor(gbuf* owner_, int size)
    : owner(owner_),
      line_y(owner_->y),
      pos(glyphs.end()),
      len(0),
      width(0),
      limit(size - ucwidth('\n')),
      timer_installed(false) {
    cursor_shown = true;
    cursor.reset(new EditCursor(owner, owner->x, line_y, nullptr));
    if (owner->blink > 0) {
        LOCK_VARIABLE(blink_count);
        LOCK_FUNCTION(BlinkTick);
        timer_installed = install_int_ex(BlinkTick, owner->blink) == 0;
    }
    blink_count = 0;
}

LineEditor::~LineEditor() { StopTimer(); }

void LineEditor::StopTimer() {
    if (timer_installed) remove_int(BlinkTick);
    timer_installed = false;
}

void LineEditor::Notify(int reason) {
    if (owner->notify) owner->notify(reason);
}

int LineEditor::Run(char* out) {
    for (;;) {
        Blink();
        if (keypressed()) {
            int scancode = 0;
            const int c = ureadkey(&scancode);
            if (Key(c, scancode, key_shifts)) return Finish(out);
        }
    }
}

void LineEditor::Blink() {
    if (owner->blink <= 0 || !cursor) return;
    if (blink_count < 0) {
        if (cursor_shown) {
            cursor->Restore();
            cursor_shown = false;
        }
        if (blink_count < -1) blink_count = 0;
    } else if (!cursor_shown) {
        cursor_shown = true;
        cursor->Draw();
    }
}

bool LineEditor::Key(int c, int scancode, int shifts) {
    if (!cursor) return false;
    const bool ctrl = (shifts & KB_CTRL_FLAG) != 0;
    bool refused = false;
    switch (scancode) {
        case KEY_ENTER:
        case KEY_ENTER_PAD:
            if (len > 0) return true;  // an empty line is not finished
            break;
        case KEY_INSERT:
            ToggleInsert();
            break;
        case KEY_BACKSPACE:
            Backspace();
            break;
        case KEY_DEL:
            Delete();
            break;
        case KEY_LEFT:
            Left(ctrl);
            break;
        case KEY_RIGHT:
            Right(ctrl);
            break;
        case KEY_HOME:
            Home();
            break;
        case KEY_END:
            End();
            break;
        case KEY_UP:
        case KEY_DOWN:
            Notify(1);  // no history
            break;
        default:
            refused = !Type(c);
            break;
    }
    // A key shows the cursor for up to two blink periods; a refused character is no key.
    if (!refused) blink_count = 1;
    return false;
}

void LineEditor::ToggleInsert() {
    owner->insert = !owner->insert;
    cursor->Restore();
    cursor->Resize();
    cursor->Move(0);
}

void LineEditor::Backspace() {
    if (pos == glyphs.begin()) {
        Notify(1);
        return;
    }
    const int w = std::prev(pos)->Width();
    Erase(std::prev(pos));
    cursor->Move(-w);
}

void LineEditor::Delete() {
    if (pos == glyphs.end()) {
        Notify(1);
        return;
    }
    pos = Erase(pos);
    StandOn(pos);
    cursor->Move(0);
}

void LineEditor::Left(bool word) {
    if (pos == glyphs.begin())
        Notify(1);
    else if (word)
        WordLeft();
    else
        MoveCursorTo(std::prev(pos), -std::prev(pos)->Width());
}

void LineEditor::Right(bool word) {
    if (pos == glyphs.end())
        Notify(1);
    else if (word)
        WordRight();
    else
        MoveCursorTo(std::next(pos), pos->Width());
}

void LineEditor::Home() {
    if (pos == glyphs.begin())
        Notify(1);
    else
        MoveCursorTo(glyphs.begin(), -WidthOf(glyphs.begin(), pos));
}

void LineEditor::End() {
    if (pos == glyphs.end())
        Notify(1);
    else
        MoveCursorTo(glyphs.end(), WidthOf(pos, glyphs.end()));
}

int LineEditor::WidthOf(GlyphList::iterator first, GlyphList::iterator last) {
    int w = 0;
    for (auto it = first; it != last; ++it) w += it->Width();
    return w;
}

void LineEditor::StandOn(GlyphList::iterator g) {
    cursor->at = g == glyphs.end() ? nullptr : &*g;
    cursor->Resize();
}

void LineEditor::MoveCursorTo(GlyphList::iterator to, int dx) {
    cursor->Restore();
    StandOn(to);
    cursor->Move(dx);
    pos = to;
}

bool LineEditor::IsWordChar(int c) {
    if (c <= 47) return false;
    if (c >= 58 && c <= 64) return false;
    if (c >= 91 && c <= 94) return false;
    if (c == 96) return false;
    if (c >= 124 && c <= 180) return false;
    if (c >= 182 && c <= 191) return false;
    return c != 215 && c != 247;
}

void LineEditor::WordLeft() {
    auto to = pos;
    int dx = 0;
    bool passed_word = false;
    while (to != glyphs.begin()) {
        const auto prev = std::prev(to);
        const bool word = IsWordChar(prev->ch);
        if (passed_word && !word) break;
        passed_word = passed_word || word;
        dx -= prev->Width();
        to = prev;
    }
    MoveCursorTo(to, dx);
}

void LineEditor::WordRight() {
    auto to = pos;
    int dx = 0;
    bool passed_gap = false;
    while (to != glyphs.end()) {
        const bool word = IsWordChar(to->ch);
        if (passed_gap && word) break;
        passed_gap = passed_gap || !word;
        dx += to->Width();
        ++to;
    }
    MoveCursorTo(to, dx);
}

void LineEditor::ShiftFrom(GlyphList::iterator from, int dx) {
    // Moving right goes from the last glyph backwards, moving left in text order, so that
    // no glyph is drawn over one not yet moved.
    if (dx > 0) {
        for (auto it = glyphs.end(); it != from;) {
            --it;
            it->Restore();
            it->Move(dx);
        }
    } else {
        for (auto it = from; it != glyphs.end(); ++it) {
            it->Restore();
            it->Move(dx);
        }
    }
}

LineEditor::GlyphList::iterator LineEditor::Erase(GlyphList::iterator g) {
    const int w = g->Width();
    cursor->Restore();
    g->Restore();
    len -= ucwidth(g->ch);
    width -= w;
    const auto next = glyphs.erase(g);
    ShiftFrom(next, -w);
    return next;
}

bool LineEditor::Type(int c) {
    if (c == 0 || (owner->accept && !owner->accept(c))) {
        Notify(0);
        return false;
    }
    if (owner->insert || pos == glyphs.end())
        Insert(c);
    else
        Overwrite(c);
    return true;
}

void LineEditor::Insert(int c) {
    if (len + ucwidth(c) > limit) {
        Notify(2);
        return;
    }
    const int w = CharWidth(owner, c);
    cursor->Restore();
    ShiftFrom(pos, w);
    glyphs.emplace(pos, owner, cursor->x, line_y, c);
    cursor->Move(w);
    len += ucwidth(c);
    width += w;
}

void LineEditor::Overwrite(int c) {
    const auto old = pos;
    if (len - ucwidth(old->ch) + ucwidth(c) > limit) {
        Notify(2);
        return;
    }
    const int old_w = old->Width();
    const int d = CharWidth(owner, c) - old_w;
    cursor->Restore();
    old->Restore();
    const auto next = std::next(old);
    StandOn(next);
    len += ucwidth(c) - ucwidth(old->ch);
    glyphs.erase(old);
    pos = next;
    if (d != 0) ShiftFrom(next, d);
    const auto created = glyphs.emplace(next, owner, cursor->x, line_y, c);
    cursor->Move(created->Width());
    width += created->Width() - old_w;
}

int LineEditor::Finish(char* out) {
    StopTimer();
    if (!cursor) return 0;
    cursor->Restore();
    owner->x += width;
    int n = 0;
    for (const Glyph& g : glyphs) n += usetc(out + n, g.ch);
    n += usetc(out + n, '\n');
    glyphs.clear();
    pos = glyphs.end();
    cursor.reset();
    return n;
}

std::string LineEditor::Text() const {
    std::string text;
    for (const Glyph& g : glyphs) text += Encode(g.ch);
    return text;
}

int LineEditor::Position() const {
    return static_cast<int>(std::distance(glyphs.begin(), GlyphList::const_iterator(pos)));
}
