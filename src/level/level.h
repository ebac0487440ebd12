#ifndef VORLIN_LEVEL_LEVEL_H
#define VORLIN_LEVEL_LEVEL_H

#include <string>
#include <vector>

struct BITMAP;
struct PACKFILE;
struct clgo_bitmask;
struct clgo_circle;

// The destructible terrain. All bitmaps have one size (checked when built or loaded);
// coordinates are pixels, (0, 0) top-left, y downwards.
//
// Who may change what: `mask` is changed by Dig and AddDirt, `foreground` by the dirt
// projectile that paints what it piles up (and records it with MarkChanged), `render`
// only by Update and UpdateChanged. `bound` is the mask as built or loaded and never
// follows later changes.
class Level {
public:
    clgo_bitmask* bound = nullptr;  // 1 where the mask was solid
    BITMAP* mask = nullptr;         // solid colour = terrain, anything else = empty
    BITMAP* undiggable = nullptr;   // solid colour = never dug away; may be null
    BITMAP* foreground = nullptr;   // picture of the terrain
    BITMAP* background = nullptr;   // picture behind it
    BITMAP* render = nullptr;       // the composed picture the views show
    int width = 0;                  // pixels, from `background`
    int height = 0;

    // An empty level: everything null.
    Level();
    // Builds a level from image files; an empty `undiggablef` means no undiggable map.
    Level(const std::string& maskf, const std::string& undiggablef, const std::string& foref,
          const std::string& backf);
    ~Level();
    Level(const Level&) = delete;
    Level& operator=(const Level&) = delete;

    // Reads the four chunks of a level file into an empty level.
    void Load(PACKFILE* pf);
    // Writes the four chunks; true when every write succeeded.
    bool Save(PACKFILE* pf) const;

    // The bitmask predicate: 1 for the solid colour of the current colour depth.
    static int CheckP(int x, int y, int depth, int pixel);

    bool IsSolid(int x, int y) const;
    void DropToSolid(int& x, int& y, unsigned maxSteps) const;
    void TraceToSolid(int& x, int& y, float angle, unsigned maxSteps) const;
    bool CircleHitsTerrain(const clgo_circle* circle, bool below) const;

    // Neither recomposes the picture: the caller flags the game's terrain_changed. Both
    // record the square around the disc for UpdateChanged.
    void AddDirt(int x, int y, int r);
    void Dig(int x, int y, int r);

    // Recomposes the whole of `render` and forgets the recorded regions.
    void Update();
    // Recomposes only the regions recorded since the last recomposition, which gives the
    // picture Update gives as long as every change to `mask` and `foreground` went
    // through Dig, AddDirt or MarkChanged. With nothing recorded it recomposes the whole
    // picture, so that a change nobody recorded still shows.
    void UpdateChanged();
    // Records a rectangle (corners included, level pixels) of `mask` or `foreground`
    // changed by someone other than Dig and AddDirt.
    void MarkChanged(int x0, int y0, int x1, int y1);
    void Draw(BITMAP* target, int sx, int sy, int dx, int dy, int w, int h) const;

private:
    // Half-open rectangle of level pixels.
    struct Region {
        int x0, y0, x1, y1;
    };
    // Regions to recompose, clipped to the mask; a handful per step, merged when they meet.
    std::vector<Region> changed_;

    // Recomposes the part of `render` inside [x0, x1) x [y0, y1), clipped to the bitmaps.
    void Compose(int x0, int y0, int x1, int y1);

    // Frees every bitmap and the bitmask and empties the level.
    void Release();
};

// Terrain colours of the current colour depth.
int solid_colour();
int air_colour();

#endif
