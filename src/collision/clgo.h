#ifndef VORLIN_COLLISION_CLGO_H
#define VORLIN_COLLISION_CLGO_H

/* A small collision library: circles and one-byte-per-cell bitmasks built from an
 * Allegro bitmap through a per-pixel predicate. It knows nothing of the game. */

struct BITMAP;

#define CLGO_ERR_NOMEM 1
#define CLGO_ERR_REGION 2

/* Library-wide error code: set by failing calls, never reset by the library. */
extern int clgo_error;

typedef struct clgo_circle {
    int x, y;        /* centre, pixels */
    float radius;
    float radius_sq; /* radius * radius, kept in step with radius */
} clgo_circle;

typedef struct clgo_bitmask {
    int x, y; /* position of cell (0, 0) in the caller's coordinates */
    int w, h;
    int size; /* w * h */
    unsigned char* cells; /* row-major: cell (cx, cy) is cells[cy * w + cx] */
} clgo_bitmask;

/* The low byte of the result becomes the cell. `pixel` is the raw value of the pixel
 * at (x, y) for a bitmap of `depth` bits. */
typedef int (*clgo_predicate)(int x, int y, int depth, int pixel);

clgo_circle* clgo_create_circle(int x, int y, float radius);
void clgo_set_circle(clgo_circle* c, int x, int y, float radius);
void clgo_set_position(clgo_circle* c, int x, int y);
void clgo_destroy_circle(clgo_circle* c);
int clgo_circles_overlap(const clgo_circle* a, const clgo_circle* b);

clgo_bitmask* clgo_create_bitmask(int x, int y, int w, int h);
clgo_bitmask* clgo_create_custom_bitmask_region(int x, int y, int src_x, int src_y, int w, int h,
                                                BITMAP* bmp, clgo_predicate predicate);
clgo_bitmask* clgo_create_custom_bitmask(int x, int y, BITMAP* bmp, clgo_predicate predicate);
void clgo_destroy_bitmask(clgo_bitmask* mask);

#endif
