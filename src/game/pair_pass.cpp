#include "game/pair_pass.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "collision/clgo.h"
#include "game/game.h"
#include "base/assertion.h"
#include "particle/particle.h"

namespace {

// Circles whose square reaches further than this from the centre stay out of the grid's
// cells and are looked at by every query: players (extent 11) and blasts (31). Projectiles
// and pickups (extents 2 to 5) fill the cells.
constexpr int kGridExtent = 8;
// The largest radius the world gives a circle: a rocket's blast.
constexpr float kLargestRadius = 30.0f;
// Smallest cells, in pixels as a power of two: a few times a projectile's size.
constexpr int kFirstShift = 4;

// Half the side of a square that holds the circle with a pixel to spare for the rounding
// of the overlap test. Two circles whose centres lie further apart on either axis than
// their extents together cannot overlap.
int extent_of(float radius) { return static_cast<int>(std::ceil(radius)) + 1; }

bool near(long long ax, long long ay, int ae, long long bx, long long by, int be) {
    const long long reach = static_cast<long long>(ae) + be;
    return std::llabs(ax - bx) <= reach && std::llabs(ay - by) <= reach;
}

bool same_circle(const clgo_circle& a, const clgo_circle& b) {
    return a.x == b.x && a.y == b.y && a.radius == b.radius;
}

}  // namespace

inline PairPass::Item PairPass::Place(std::size_t at) {
    const Particle* p = game_.particles[at];
    const clgo_circle& c = *p->bound;
#ifndef NDEBUG
    VORLIN_CHECK(c.radius >= 0.0f && c.radius <= kLargestRadius,
                 "a circle's radius lies between 0 and 30");
#endif
    placed_[at] = {p, c.x, c.y, c.radius};
    return {c.x, c.y, extent_of(c.radius), at};
}

PairPass::PairPass(Game& game) : game_(game) {}

void PairPass::ReactToLaterNeighbours(std::size_t at) {
    if (grid_) {
        CheckTheRule(at);
        ReactToCandidates(at);
        return;
    }
    // Testing a pair changes nothing; only reactions may add objects and so move or grow
    // the table, which is why its ends are read again after each.
    const std::vector<Particle*>& table = game_.particles;
    Particle* const a = table[at];
    Particle* const* entry = table.data() + at + 1;
    Particle* const* end = table.data() + table.size();
    for (; entry != end; ++entry) {
        Particle* b = *entry;
        if (!b || !a->Collides(b)) continue;
        const std::size_t j = static_cast<std::size_t>(entry - table.data());
        BothReact(a, b, j);
        entry = table.data() + j;
        end = table.data() + table.size();
    }
}

void PairPass::Added(std::size_t at) {
    if (!grid_) return;
    // The cells are sorted once per step: newcomers are looked at one by one.
    if (placed_.size() <= at) placed_.resize(game_.particles.size());
    loose_.push_back(Place(at));
}

bool PairPass::React(std::size_t at, std::size_t j) {
    Particle* a = game_.particles[at];
    Particle* b = game_.particles[j];
    if (!b || !a->Collides(b)) return false;
    BothReact(a, b, j);
    return true;
}

void PairPass::BothReact(Particle* a, Particle* b, std::size_t j) {
    game_.other = game_.particles.data() + j;
    a->OnCollision(b);
    b->OnCollision(a);
    game_.other = nullptr;
}

void PairPass::ReactToCandidates(std::size_t at) {
    const Particle* a = game_.particles[at];
    clgo_circle asked = *a->bound;
    std::size_t loose = loose_.size();
    Candidates(at, asked, &candidates_);
    for (std::size_t k = 0; k < candidates_.size();) {
        const std::size_t j = candidates_[k++];
        if (!React(at, j)) continue;
        if (Moved(j)) loose_.push_back(Place(j));
        if (!same_circle(*a->bound, asked) || loose_.size() != loose) {
            // The pair moved or someone was added: ask again for the entries after j.
            asked = *a->bound;
            loose = loose_.size();
            Candidates(at, asked, &candidates_);
            k = static_cast<std::size_t>(
                std::upper_bound(candidates_.begin(), candidates_.end(), j) -
                candidates_.begin());
        }
        CheckTheRule(at);
    }
}

void PairPass::Candidates(std::size_t at, const clgo_circle& circle,
                          std::vector<std::size_t>* out) const {
    out->clear();
    const int extent = extent_of(circle.radius);
    const long long x = circle.x, y = circle.y;
    if (!items_.empty()) {
        const long long reach = static_cast<long long>(extent) + max_extent_;
        const long long cx0 = CellX(x - reach), cx1 = CellX(x + reach);
        const long long cy0 = CellY(y - reach), cy1 = CellY(y + reach);
        for (long long cy = cy0; cy <= cy1; ++cy) {
            for (long long cx = cx0; cx <= cx1; ++cx) {
                const std::size_t cell = static_cast<std::size_t>(cy * cells_x_ + cx);
                const Item* first = items_.data() + starts_[cell];
                const Item* last = items_.data() + starts_[cell + 1];
                // Entries up to `at` have had their turn.
                first = std::upper_bound(first, last, at, [](std::size_t i, const Item& it) {
                    return i < it.index;
                });
                for (const Item* it = first; it != last; ++it)
                    if (near(x, y, extent, it->x, it->y, it->extent)) out->push_back(it->index);
            }
        }
    }
    for (const Item& it : loose_)
        if (it.index > at && near(x, y, extent, it.x, it.y, it.extent)) out->push_back(it.index);
    // A partner indexed again is listed twice; its first place no longer holds.
    std::sort(out->begin(), out->end());
    out->erase(std::unique(out->begin(), out->end()), out->end());
}

void PairPass::Build() {
    const std::vector<Particle*>& table = game_.particles;
    // Entries are read only where an object was placed, in this walk: no need to clear.
    placed_.resize(table.size());
    loose_.clear();
    unsorted_.clear();
    max_extent_ = 0;
    std::vector<Item>& grid = unsorted_;
    long long min_x = 0, max_x = 0, min_y = 0, max_y = 0;
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (!table[i]) continue;
        const Item item = Place(i);
        if (item.extent > kGridExtent) {
            loose_.push_back(item);
            continue;
        }
        if (grid.empty()) {
            min_x = max_x = item.x;
            min_y = max_y = item.y;
        }
        min_x = std::min(min_x, item.x);
        max_x = std::max(max_x, item.x);
        min_y = std::min(min_y, item.y);
        max_y = std::max(max_y, item.y);
        max_extent_ = std::max(max_extent_, item.extent);
        grid.push_back(item);
    }
    SizeCells(min_x, min_y, max_x, max_y, grid.size());
    SortIntoCells();
}

void PairPass::SizeCells(long long min_x, long long min_y, long long max_x, long long max_y,
                         std::size_t items) {
    // Cells grow until there are not many more of them than objects; points outside the
    // grid, added later, fall into the border cells, which keeps every answer complete.
    origin_x_ = min_x;
    origin_y_ = min_y;
    const long long budget = std::max<long long>(64, 2 * static_cast<long long>(items));
    shift_ = kFirstShift;
    for (;;) {
        cells_x_ = ((max_x - min_x) >> shift_) + 1;
        cells_y_ = ((max_y - min_y) >> shift_) + 1;
        if (cells_x_ * cells_y_ <= budget || shift_ >= 40) break;
        ++shift_;
    }
}

void PairPass::SortIntoCells() {
    // Counting sort by cell; a stable one, so each cell lists its entries in table order.
    const std::vector<Item>& grid = unsorted_;
    const std::size_t cells = static_cast<std::size_t>(cells_x_ * cells_y_);
    starts_.assign(cells + 1, 0);
    cell_of_.resize(grid.size());
    for (std::size_t k = 0; k < grid.size(); ++k) {
        cell_of_[k] = static_cast<std::size_t>(CellY(grid[k].y) * cells_x_ + CellX(grid[k].x));
        ++starts_[cell_of_[k] + 1];
    }
    for (std::size_t c = 0; c < cells; ++c) starts_[c + 1] += starts_[c];
    items_.resize(grid.size());
    fill_.assign(starts_.begin(), starts_.end() - 1);
    for (std::size_t k = 0; k < grid.size(); ++k) items_[fill_[cell_of_[k]]++] = grid[k];
}


bool PairPass::Moved(std::size_t at) const {
    const Placed& e = placed_[at];
    const clgo_circle& c = *e.p->bound;
    return c.x != e.x || c.y != e.y || c.radius != e.radius;
}

void PairPass::CheckTheRule(std::size_t at) const {
#ifndef NDEBUG
    const std::vector<Particle*>& table = game_.particles;
    for (std::size_t i = at + 1; i < table.size(); ++i) {
        if (!table[i]) continue;
        VORLIN_CHECK(i < placed_.size() && placed_[i].p == table[i] && !Moved(i),
                     "an object's circle changes only in its own update and reactions");
    }
#else
    (void)at;
#endif
}

long long PairPass::CellX(long long x) const {
    return std::clamp((x - origin_x_) >> shift_, 0LL, cells_x_ - 1);
}

long long PairPass::CellY(long long y) const {
    return std::clamp((y - origin_y_) >> shift_, 0LL, cells_y_ - 1);
}
