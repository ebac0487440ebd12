#ifndef VORLIN_BOT_PATH_PLANNER_H
#define VORLIN_BOT_PATH_PLANNER_H

#include <cstdint>
#include <vector>

class TerrainGrid;

// What the caller has seen of the start's column, pixel by pixel, beyond what its cells
// show: a climb's shaft worn wider than the disc, or a pocket the disc just fits in.
struct StartColumn {
    // Cells straight up from the start, counted from it, where a disc climbing by digging
    // hangs by a wall between a dig and the jump after it.
    int cling_cells = 0;
    // Cells a jump from the start rises through.
    int rise_cells = 0;
};

// How a player gets from one node of the grid to the next.
enum class Move : std::uint8_t { Start, Walk, Fall, Jump, Dig };

struct PathNode {
    int cx, cy;  // cell of the player's centre
    Move move;   // how this node is reached from the one before
};

// Finds a cheap way for a player's centre from one cell to another over the moves a
// player has: walking along supported ground up and down one cell, falling, jumping up
// to five cells (the jump lifts a player about 53 pixels), and digging through dirt
// straight down (cheap) or straight up beside terrain to cling to (dear); no dig moves a
// player sideways. Rock is never entered. A* with an octile estimate.
class PathPlanner {
public:
    // Nodes expanded before a search gives up and returns the way to the node closest
    // to the goal: more than a 1280x800 level holds.
    explicit PathPlanner(int max_expansions = 20000) : max_expansions_(max_expansions) {}

    // The path from `from` to `to` (both included) or, when the goal cannot be reached
    // within the budget, to the reached node nearest to it. A `to` in the outermost
    // columns or the bottom row, where no node is ever open, stands for the nearest cell
    // inside. Empty only when `from` lies outside the grid.
    std::vector<PathNode> Plan(const TerrainGrid& grid, int fx, int fy, int tx, int ty);
    // The same within at most `budget` expansions (never more than the planner's own),
    // taking also the digs up and the jump that `start` allows.
    std::vector<PathNode> Plan(const TerrainGrid& grid, int fx, int fy, int tx, int ty, int budget,
                               StartColumn start = {});

    // Makes every way through the cell dearer by `cost` in the plans to come, until
    // ForgetAvoided: where a way failed in the world, the next plan looks for another.
    void Avoid(const TerrainGrid& grid, int cx, int cy, float cost);
    void ForgetAvoided() { avoided_.clear(); }
    bool avoiding() const { return !avoided_.empty(); }

    int last_expansions() const { return last_expansions_; }
    bool reached() const { return reached_; }

private:
    struct Entry {
        float f;
        int node;
        bool operator<(const Entry& o) const { return f > o.f; }
    };

    int max_expansions_;
    int last_expansions_ = 0;
    bool reached_ = false;
    // Per node, valid for the search whose stamp it holds.
    std::vector<std::uint32_t> stamp_;
    std::vector<float> cost_;
    std::vector<int> parent_;
    std::vector<Move> how_;
    std::vector<bool> closed_;
    // Per node, the cost added to entering it; empty when none is avoided.
    std::vector<float> avoided_;
    std::uint32_t search_ = 0;

    void Reset(std::size_t nodes);
};

#endif
