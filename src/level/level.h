#ifndef VORLIN_LEVEL_LEVEL_H
#define VORLIN_LEVEL_LEVEL_H

#include <cstddef>
#include <string>
#include <vector>

struct BITMAP;
struct PACKFILE;
struct clgo_bitmask;
struct clgo_circle;
class TerrainJournal;

// The destructible terrain. All bitmaps have one size (checked when built or loaded);
// coordinates are pixels, (0, 0) top-left, y downwards.
//
// Who may change what: during play `mask` and `foreground` change only through Dig,
// AddDirt and Paint, each of which records the square it touched, so that UpdateChanged
// recomposes exactly what changed and nothing else. `render` changes only in Update and
// UpdateChanged. `bound` is the mask as built or loaded and never follows later changes.
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
    // When set (not owned), every dig, fill and paint first keeps what it overwrites.
    TerrainJournal* journal = nullptr;

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

    // None of the three recomposes the picture; each records the square around its disc
    // for UpdateChanged and counts as a change (Revision) when that square meets the level.
    // A negative radius gives an empty disc (the library would draw it unclipped).
    void AddDirt(int x, int y, int r);
    void Dig(int x, int y, int r);
    // Paints a disc of the foreground picture in `colour`: the dirt a clod piles up shows
    // in the clod's colour.
    void Paint(int x, int y, int r, int colour);

    // Puts back what the journal kept after `position`, newest first; each square put back
    // is recorded for UpdateChanged. Nothing without a journal.
    void UndoTo(std::size_t position);

    // Recomposes the whole of `render` and forgets the recorded regions.
    void Update();
    // Recomposes only the regions recorded since the last recomposition; with nothing
    // recorded nothing is done. This gives the picture Update gives because the mask and
    // the foreground change only through the operations that record.
    void UpdateChanged();
    void Draw(BITMAP* target, int sx, int sy, int dx, int dy, int w, int h) const;

    // Grows by one with every recorded change: equal readings mean an unchanged terrain.
    unsigned long Revision() const { return revision_; }
    // Recompositions of the whole picture so far (Update, and UpdateChanged when its
    // regions merged into the whole level): what a benchmark keeps at zero during play.
    unsigned long WholeRecompositions() const { return whole_recompositions_; }

private:
    // Half-open rectangle of level pixels.
    struct Region {
        int x0, y0, x1, y1;
    };
    // Regions to recompose, clipped to the mask; a handful per step, merged when they meet.
    std::vector<Region> changed_;
    unsigned long revision_ = 0;
    unsigned long whole_recompositions_ = 0;

    // IsSolid with the solid colour given.
    bool SolidAt(int x, int y, int solid) const;
    // Records the rectangle (corners included, level pixels) around a change.
    void MarkChanged(int x0, int y0, int x1, int y1);
    // Records the square around a disc of radius r.
    void MarkDisc(int x, int y, int r);
    // Hands the same square of `bmp` to the journal before it is drawn over.
    void KeepDisc(BITMAP* bmp, int x, int y, int r);
    // Recomposes the part of `render` inside [x0, x1) x [y0, y1), clipped to the bitmaps.
    void Compose(int x0, int y0, int x1, int y1);

    // Frees every bitmap and the bitmask and empties the level.
    void Release();
};

// Terrain colours of the current colour depth.
int solid_colour();
int air_colour();

#endif
