#ifndef VORLIN_GAME_VIEW_CAMERA_H
#define VORLIN_GAME_VIEW_CAMERA_H

// The level coordinate shown at a view's first column (or row): the followed position at
// the view's centre, kept within the level. A level smaller than the view gives a
// negative origin.
inline int view_origin(float followed, int view_size, int level_size) {
    int origin = static_cast<int>(followed) - view_size / 2;
    if (origin < 0) origin = 0;
    if (origin + view_size > level_size) origin = level_size - view_size;
    return origin;
}

#endif
