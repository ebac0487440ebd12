#include "bot/path_planner.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <queue>

#include "bot/terrain_grid.h"

namespace {

// Cost of one cell of digging by direction; a cell of walking costs 1. A dig sideways or
// diagonally down never moves a player sideways by itself (the walk tests the column one
// pixel beyond the disc, 7 rows under the centre, which no dig clears): such a way needs
// craters or a fight on the spot, and is the last one taken.
constexpr float kDigDown = 4.0f;
constexpr float kDigDiagonalDown = 60.0f;
constexpr float kDigSideways = 200.0f;
constexpr float kDigUp = 30.0f;
constexpr int kJumpCells = 5;

float octile(int dx, int dy) {
    dx = std::abs(dx);
    dy = std::abs(dy);
    return static_cast<float>(std::max(dx, dy)) + 0.41f * static_cast<float>(std::min(dx, dy));
}

float dig_cost(int dx, int dy) {
    if (dy > 0) return dx == 0 ? kDigDown : kDigDiagonalDown;
    return dy == 0 ? kDigSideways : kDigUp;
}

// Whether a player at (cx, cy) digs its way into the next cell (dx, dy). Down always: it
// sinks into what it digs. Sideways only with ground under it, and up only straight and
// with terrain at a side of the disc, which it clings to between a dig and the jump into
// the dug space; hanging at a wall, a dig sideways or diagonally up frees the side it
// clings by, and it falls. `clings`: the caller has seen a wall at the disc's side here.
bool digs_towards(const TerrainGrid& g, int cx, int cy, int dx, int dy, bool clings) {
    using K = TerrainGrid::Kind;
    if (dy > 0) return true;
    if (dy == 0) return g.At(cx, cy + 1) != K::Air || g.At(cx, cy + 2) != K::Air;
    return dx == 0 && (clings || g.At(cx - 1, cy) != K::Air || g.At(cx + 1, cy) != K::Air);
}

// One candidate move out of a node.
struct Step {
    int cx, cy;
    Move move;
    float cost;
};

// The moves out of a node, written to `out`; returns how many.
// `clings`: a dig up is seen to hold here; `rise`: cells a jump from here is seen to rise
// through, whether they are open or not.
int moves_from(const TerrainGrid& g, int cx, int cy, bool clings, int rise, Step* out) {
    int n = 0;
    const bool open = g.Open(cx, cy);
    const bool standing = !open || g.Supported(cx, cy);
    if (!standing) {
        // In the air the only way is down, drifting as the walk allows.
        for (int dx = -1; dx <= 1; ++dx)
            if (g.Open(cx + dx, cy + 1)) out[n++] = {cx + dx, cy + 1, Move::Fall, 1.0f};
        if (n == 0 && g.Diggable(cx, cy + 1)) out[n++] = {cx, cy + 1, Move::Dig, kDigDown};
        return n;
    }
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy) {
            if (dx == 0 && dy == 0) continue;
            const int x = cx + dx, y = cy + dy;
            if (g.Open(x, y)) {
                // Straight up needs a jump; diagonally up is a slope the walk climbs.
                if (dx == 0 && dy < 0) continue;
                out[n++] = {x, y, Move::Walk, dy < 0 ? 1.5f : 1.0f};
            } else if (g.Diggable(x, y) && digs_towards(g, cx, cy, dx, dy, clings)) {
                out[n++] = {x, y, Move::Dig, dig_cost(dx, dy)};
            }
        }
    if (!open && rise == 0) return n;
    // Jumps: straight up through open cells, landing up to two cells aside.
    for (int k = 1; k <= kJumpCells; ++k) {
        if (!g.Open(cx, cy - k) && k > rise) break;
        for (int dx = -2; dx <= 2; ++dx)
            if (g.Open(cx + dx, cy - k) && (k > 1 || dx != 0))
                out[n++] = {cx + dx, cy - k, Move::Jump, 2.0f + k + std::abs(dx)};
    }
    return n;
}

}  // namespace

void PathPlanner::Reset(std::size_t nodes) {
    if (stamp_.size() != nodes) {
        stamp_.assign(nodes, 0);
        cost_.assign(nodes, 0.0f);
        parent_.assign(nodes, -1);
        how_.assign(nodes, Move::Start);
        closed_.assign(nodes, false);
        search_ = 0;
    }
    if (++search_ == 0) {
        std::fill(stamp_.begin(), stamp_.end(), 0);
        search_ = 1;
    }
}

void PathPlanner::Avoid(const TerrainGrid& grid, int cx, int cy, float cost) {
    if (cx < 0 || cy < 0 || cx >= grid.cols() || cy >= grid.rows()) return;
    const std::size_t nodes = static_cast<std::size_t>(grid.cols()) * grid.rows();
    if (avoided_.size() != nodes) avoided_.assign(nodes, 0.0f);
    avoided_[static_cast<std::size_t>(cy) * grid.cols() + cx] += cost;
}

std::vector<PathNode> PathPlanner::Plan(const TerrainGrid& grid, int fx, int fy, int tx, int ty) {
    return Plan(grid, fx, fy, tx, ty, max_expansions_);
}

std::vector<PathNode> PathPlanner::Plan(const TerrainGrid& grid, int fx, int fy, int tx, int ty,
                                        int budget, StartColumn from) {
    budget = std::min(budget, max_expansions_);
    std::vector<PathNode> path;
    last_expansions_ = 0;
    reached_ = false;
    const int cols = grid.cols(), rows = grid.rows();
    if (fx < 0 || fy < 0 || fx >= cols || fy >= rows) return path;
    // No node of the outermost columns or the bottom row is ever open: a goal there (a
    // player pressed against a side of the level) is sought in the nearest cell inside.
    tx = std::clamp(tx, 1, std::max(1, cols - 2));
    ty = std::clamp(ty, 0, std::max(0, rows - 2));
    Reset(static_cast<std::size_t>(cols) * rows);
    if (avoided_.size() != stamp_.size()) avoided_.clear();

    auto index = [cols](int x, int y) { return y * cols + x; };
    std::priority_queue<Entry> open;
    const int start = index(fx, fy);
    stamp_[start] = search_;
    cost_[start] = 0.0f;
    parent_[start] = -1;
    how_[start] = Move::Start;
    closed_[start] = false;
    open.push({octile(tx - fx, ty - fy), start});

    int best = start;
    float best_h = octile(tx - fx, ty - fy);
    Step steps[64];
    while (!open.empty() && last_expansions_ < budget) {
        const Entry e = open.top();
        open.pop();
        if (closed_[e.node]) continue;
        closed_[e.node] = true;
        ++last_expansions_;
        const int x = e.node % cols, y = e.node / cols;
        const float h = octile(tx - x, ty - y);
        if (h < best_h) best_h = h, best = e.node;
        if (x == tx && y == ty) {
            reached_ = true;
            break;
        }
        const bool clings = x == fx && y <= fy && fy - y < from.cling_cells;
        const int n = moves_from(grid, x, y, clings, e.node == start ? from.rise_cells : 0, steps);
        for (int i = 0; i < n; ++i) {
            const Step& s = steps[i];
            if (s.cx < 0 || s.cy < 0 || s.cx >= cols || s.cy >= rows) continue;
            const int j = index(s.cx, s.cy);
            const float c = cost_[e.node] + s.cost + (avoided_.empty() ? 0.0f : avoided_[j]);
            if (stamp_[j] == search_ && (closed_[j] || cost_[j] <= c)) continue;
            stamp_[j] = search_;
            closed_[j] = false;
            cost_[j] = c;
            parent_[j] = e.node;
            how_[j] = s.move;
            open.push({c + octile(tx - s.cx, ty - s.cy), j});
        }
    }
    for (int at = best; at >= 0; at = parent_[at]) path.push_back({at % cols, at / cols, how_[at]});
    std::reverse(path.begin(), path.end());
    return path;
}
