#ifndef VORLIN_LEVEL_LEVEL_THUMBNAIL_H
#define VORLIN_LEVEL_LEVEL_THUMBNAIL_H

#include "base/owned_bitmap.h"

class Level;

// The size a level's thumbnail fits into, in pixels.
constexpr int kThumbnailWidth = 160;
constexpr int kThumbnailHeight = 100;

// A small picture of the level as the game shows it (its composed picture), scaled down
// to fit into max_w x max_h with the level's aspect kept, each pixel the mean of the
// level pixels it covers; in the picture's colour depth. Null when the level has no
// picture or the bitmap cannot be made.
OwnedBitmap make_level_thumbnail(const Level& level, int max_w = kThumbnailWidth,
                                 int max_h = kThumbnailHeight);

#endif
