#ifndef VORLIN_LEVEL_LEVEL_H
#define VORLIN_LEVEL_LEVEL_H

#include <string>

struct BITMAP;
struct PACKFILE;
struct clgo_bitmask;
struct clgo_circle;

// The destructible terrain. All bitmaps have one size (checked when built or loaded);
// coordinates are pixels, (0, 0) top-left, y downwards.
//
// Who may change what: `mask` is changed by Dig and AddDirt, `foreground` by the dirt
// projectile that paints what it piles up, `render` only by Update. `bound` is the mask
// as built or loaded and never follows later changes.
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

    // Neither recomposes the picture: the caller flags the game's terrain_changed.
    void AddDirt(int x, int y, int r);
    void Dig(int x, int y, int r);

    void Update();
    void Draw(BITMAP* target, int sx, int sy, int dx, int dy, int w, int h) const;

private:
    // Frees every bitmap and the bitmask and empties the level.
    void Release();
};

// Terrain colours of the current colour depth.
int solid_colour();
int air_colour();

#endif
