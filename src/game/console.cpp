#include <allegro.h>

#include <sstream>
#include <string>

#include "game/game.h"
#include "base/assertion.h"

namespace {

// Zero bytes after a text handed to the library: a broken multi-byte sequence at its end
// makes the decoder step over one terminator, and it must find another.
std::string Padded(const std::string& text, std::size_t n) {
    std::string padded = text.substr(0, n);
    padded.append(8, '\0');
    return padded;
}

// Bytes of the character at `at` in `line`, never past its end and never 0.
std::size_t CharBytes(const std::string& line, std::size_t at) {
    const int w = uwidth(line.c_str() + at);
    const std::size_t rest = line.size() - at;
    if (w < 1) return 1;
    return static_cast<std::size_t>(w) < rest ? static_cast<std::size_t>(w) : rest;
}

// Start of the character before `at`.
std::size_t PrevChar(const std::string& line, std::size_t at) {
    std::size_t p = 0, prev = 0;
    while (p < at) {
        prev = p;
        p += CharBytes(line, p);
    }
    return prev;
}

}  // namespace

Game::Console::Console(Game* game_, CommandProcessor* processor_, int w, int h)
    : gstream(nullptr),
      buffer(nullptr),
      game(game_),
      processor(processor_),
      line(),
      cursor(0),
      vh(h - lineheight - 3),
      syncing(false) {
    VORLIN_ASSERT(buffer = create_bitmap(w, vh + BufferSize));
    SetTarget(buffer);
    clear_to_color(buffer, makecol_depth(bitmap_color_depth(buffer), 0, 0, 0));
    SetY(vh - lineheight);
}

Game::Console::~Console() {
    // The stream must not lay anything out on a destroyed bitmap.
    target = nullptr;
    if (buffer) destroy_bitmap(buffer);
}

int Game::Console::sync() {
    if (syncing) return 0;
    syncing = true;
    const int result = gbuf::sync();
    Scroll();
    syncing = false;
    return result;
}

// The line being written (from row y) moves along with the finished ones, so text
// flushed before its newline stays on its line; everything it leaves behind is cleared.
void Game::Console::Scroll() {
    if (!buffer || y <= vh) return;
    const int black = makecol_depth(bitmap_color_depth(buffer), 0, 0, 0);
    const int shift = y - vh;
    const int moved = vh + lineheight;
    blit(buffer, buffer, 0, shift, 0, 0, buffer->w, moved);
    // Rows that lay below the bitmap were never kept: nothing of them may show.
    const int kept = buffer->h - shift;
    if (kept < moved) rectfill(buffer, 0, kept < 0 ? 0 : kept, buffer->w - 1, moved - 1, black);
    rectfill(buffer, 0, moved, buffer->w - 1, y + lineheight, black);
    SetY(vh);
}

void Game::Console::Draw(BITMAP* target_bmp, int x0, int y0) const {
    if (!target_bmp || !buffer) return;
    const int depth = bitmap_color_depth(target_bmp);
    const int black = makecol_depth(depth, 0, 0, 0);
    const int white = makecol_depth(depth, 255, 255, 255);
    const int w = buffer->w;

    blit(buffer, target_bmp, 0, 0, x0, y0, w, vh);
    rectfill(target_bmp, x0, y0 + vh, x0 + w - 1, y0 + vh + lineheight, black);
    hline(target_bmp, x0, y0 + vh, x0 + w - 1, white);
    const std::size_t at = cursor < line.size() ? cursor : line.size();
    textout_ex(target_bmp, font, Padded(line, line.size()).c_str(), x0 + 1, y0 + vh + 1, white,
               -1);
    const int cx = text_length(font, Padded(line, at).c_str()) + 1;
    textout_ex(target_bmp, font, "_", x0 + cx, y0 + vh + 2, white, -1);
}

void Game::Console::ProcessInput() {
    if (!keypressed()) return;
    ProcessKey(readkey());
}

void Game::Console::ProcessKey(int key) {
    const int c = key & 0xFF;
    const int scancode = key >> 8;
    if (cursor > line.size()) cursor = line.size();

    // 127 is the Delete key's own character, not something to type.
    if (c >= 32 && c != 127) {
        char encoded[16];
        const int n = usetc(encoded, c);
        line.insert(cursor, encoded, static_cast<std::size_t>(n));
        cursor += static_cast<std::size_t>(n);
    }

    switch (scancode) {
        case KEY_ENTER:
            if (line.empty()) break;
            if (processor) {
                std::istringstream args(line);
                processor->Process(args, *this);
            }
            line.clear();
            cursor = 0;
            break;
        case KEY_BACKSPACE:
            if (cursor > 0) {
                const std::size_t prev = PrevChar(line, cursor);
                line.erase(prev, cursor - prev);
                cursor = prev;
            }
            break;
        case KEY_LEFT:
            if (cursor > 0) cursor = PrevChar(line, cursor);
            break;
        case KEY_RIGHT:
            if (cursor < line.size()) cursor += CharBytes(line, cursor);
            break;
        case KEY_HOME:
            cursor = 0;
            break;
        case KEY_END:
            cursor = line.size();
            break;
        case KEY_DEL:
            if (cursor < line.size()) line.erase(cursor, CharBytes(line, cursor));
            break;
        default:
            break;
    }
}
