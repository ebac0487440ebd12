#ifndef VORLIN_BOT_TERRAIN_GRID_H
#define VORLIN_BOT_TERRAIN_GRID_H

#include <cstdint>
#include <vector>

#include "bot/mask_view.h"

class Level;

// The terrain as a computer player plans over it: the mask cut into square cells, each
// air, dirt (solid, can be dug) or rock (holds undiggable pixels). Built once from the
// level, then kept up to date a few rows of cells per step, so that craters and piles
// of dirt show within a second without reading the whole mask at once.
//
// A node is where a player's centre may be: the cell of the centre. It is open when the
// 3 x 2 cells around and above the centre hold no terrain (the disc fits), and
// supported when terrain lies just below it (the player can stand there).
class TerrainGrid {
public:
    static constexpr int kCell = 8;  // pixels per side

    enum Kind : std::uint8_t { Air = 0, Dirt = 1, Rock = 2 };

    // Reads the whole level.
    void Build(const Level& level);
    // Reads `rows` more rows of cells, going round the level; returns how many cells
    // changed kind.
    int Refresh(int rows);
    // Reads again the cells that cover a rectangle of level pixels.
    int RefreshArea(int x0, int y0, int x1, int y1);

    int cols() const { return cols_; }
    int rows() const { return rows_; }
    bool built() const { return cols_ > 0; }
    // Cells changed since construction; a planner compares it to see that the terrain moved.
    unsigned long changes() const { return changes_; }

    // Outside the grid: air above and beside, rock below the bottom.
    Kind At(int cx, int cy) const;
    bool Open(int cx, int cy) const;
    bool Supported(int cx, int cy) const;
    // Nothing but air and dirt in the cells the disc would take at this node.
    bool Diggable(int cx, int cy) const;

    static int CellOf(float pixel) { return static_cast<int>(pixel) / kCell; }
    static float CentreOf(int cell) { return cell * kCell + kCell / 2.0f; }

    const MaskView& mask() const { return mask_; }
    // The level pixel holds rock (a solid pixel that no dig takes away).
    bool Undiggable(int x, int y) const { return undiggable_.Solid(x, y); }

private:
    MaskView mask_;
    MaskView undiggable_;
    int cols_ = 0;
    int rows_ = 0;
    int next_row_ = 0;
    unsigned long changes_ = 0;
    std::vector<Kind> kinds_;

    Kind Read(int cx, int cy) const;
    int ReadRow(int cy);
};

#endif
