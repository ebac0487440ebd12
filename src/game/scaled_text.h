#ifndef VORLIN_GAME_SCALED_TEXT_H
#define VORLIN_GAME_SCALED_TEXT_H

#include <string>

struct BITMAP;

// Text in the game's font at `scale` times its size, each pixel a square of scale x scale;
// `align` -1 puts its left edge at x, 0 its middle, 1 its right edge.
void draw_scaled_text(BITMAP* target, const std::string& text, int x, int y, int scale,
                      int colour, int align);

#endif
