#include "game/pair_index.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "collision/clgo.h"
#include "particle/particle.h"

namespace {

// Circles whose square reaches further than this from the centre are kept out of the
// grid; most objects are much smaller (a player's extent is 11, a pellet's 2).
constexpr int kGridExtent = 8;
// Beyond this radius a circle is not looked up at all; below it the rounding of the
// overlap test in float stays well inside the extra pixel of every extent.
constexpr float kLargestRadius = 1.0e6f;
// Smallest cells, in pixels as a power of two: a few times a projectile's size.
constexpr int kFirstShift = 4;

// Half the side of a square that holds the circle with a pixel to spare, or -1 when the
// radius is too large or not a number. Two circles whose centres lie further apart on
// either axis than their extents together cannot overlap.
int extent_of(float radius) {
    const float r = std::fabs(radius);
    if (!(r <= kLargestRadius)) return -1;
    return static_cast<int>(std::ceil(r)) + 1;
}

bool near(long long ax, long long ay, int ae, long long bx, long long by, int be) {
    const long long reach = static_cast<long long>(ae) + be;
    return std::llabs(ax - bx) <= reach && std::llabs(ay - by) <= reach;
}

bool same_radius(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

PairIndex::Item PairIndex::ItemOf(std::size_t index, const Particle* p) {
    const clgo_circle* c = p->bound;
    if (!c) return {0, 0, -1, index};
    return {c->x, c->y, extent_of(c->radius), index};
}

long long PairIndex::CellX(long long x) const {
    return std::clamp((x - origin_x_) >> shift_, 0LL, cells_x_ - 1);
}

long long PairIndex::CellY(long long y) const {
    return std::clamp((y - origin_y_) >> shift_, 0LL, cells_y_ - 1);
}

void PairIndex::Build(const std::vector<Particle*>& table) {
    entries_.assign(table.size(), Entry());
    items_.clear();
    loose_.clear();
    max_extent_ = 0;

    std::vector<Item> grid;
    grid.reserve(table.size());
    long long min_x = 0, max_x = 0, min_y = 0, max_y = 0;
    for (std::size_t i = 0; i < table.size(); ++i) {
        const Particle* p = table[i];
        if (!p) continue;
        if (p->bound) entries_[i] = {p, p->bound->x, p->bound->y, p->bound->radius};
        else entries_[i].p = p;
        const Item item = ItemOf(i, p);
        if (item.extent < 0 || item.extent > kGridExtent) {
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

    // Cells grow until there are not many more of them than objects; points outside the
    // grid, added later, fall into the border cells, which keeps every answer complete.
    origin_x_ = min_x;
    origin_y_ = min_y;
    const long long budget = std::max<long long>(64, 2 * static_cast<long long>(grid.size()));
    shift_ = kFirstShift;
    for (;;) {
        cells_x_ = ((max_x - min_x) >> shift_) + 1;
        cells_y_ = ((max_y - min_y) >> shift_) + 1;
        if (cells_x_ * cells_y_ <= budget || shift_ >= 40) break;
        ++shift_;
    }

    // Counting sort by cell; a stable one, so each cell lists its entries in table order.
    const std::size_t cells = static_cast<std::size_t>(cells_x_ * cells_y_);
    starts_.assign(cells + 1, 0);
    std::vector<std::size_t> cell_of(grid.size());
    for (std::size_t k = 0; k < grid.size(); ++k) {
        cell_of[k] = static_cast<std::size_t>(CellY(grid[k].y) * cells_x_ + CellX(grid[k].x));
        ++starts_[cell_of[k] + 1];
    }
    for (std::size_t c = 0; c < cells; ++c) starts_[c + 1] += starts_[c];
    items_.resize(grid.size());
    std::vector<std::size_t> fill(starts_.begin(), starts_.end() - 1);
    for (std::size_t k = 0; k < grid.size(); ++k) items_[fill[cell_of[k]]++] = grid[k];
}

void PairIndex::AddNew(const std::vector<Particle*>& table, std::size_t from) {
    if (entries_.size() < table.size()) entries_.resize(table.size());
    for (std::size_t i = from; i < table.size(); ++i) {
        const Particle* p = table[i];
        if (!p || entries_[i].p == p) continue;
        if (p->bound) entries_[i] = {p, p->bound->x, p->bound->y, p->bound->radius};
        else entries_[i] = {p, 0, 0, 0.0f};
        // The grid's cells are sorted once per step: newcomers are looked at one by one.
        loose_.push_back(ItemOf(i, p));
    }
}

bool PairIndex::Candidates(std::size_t index, const clgo_circle* circle,
                           std::vector<std::size_t>* out) const {
    out->clear();
    if (!circle) return false;
    const int extent = extent_of(circle->radius);
    if (extent < 0) return false;
    const long long x = circle->x, y = circle->y;

    if (!items_.empty()) {
        const long long reach = static_cast<long long>(extent) + max_extent_;
        const long long cx0 = CellX(x - reach), cx1 = CellX(x + reach);
        const long long cy0 = CellY(y - reach), cy1 = CellY(y + reach);
        for (long long cy = cy0; cy <= cy1; ++cy) {
            for (long long cx = cx0; cx <= cx1; ++cx) {
                const std::size_t cell = static_cast<std::size_t>(cy * cells_x_ + cx);
                const Item* first = items_.data() + starts_[cell];
                const Item* last = items_.data() + starts_[cell + 1];
                // Entries up to `index` have had their turn.
                first = std::upper_bound(first, last, index, [](std::size_t i, const Item& it) {
                    return i < it.index;
                });
                for (const Item* it = first; it != last; ++it)
                    if (near(x, y, extent, it->x, it->y, it->extent)) out->push_back(it->index);
            }
        }
    }
    for (const Item& it : loose_) {
        if (it.index <= index) continue;
        if (it.extent < 0 || near(x, y, extent, it.x, it.y, it.extent)) out->push_back(it.index);
    }
    // Cells hold disjoint entries, but a newcomer may take an entry whose earlier object
    // was indexed in a cell: the caller skips the stale one, the order must hold anyway.
    std::sort(out->begin(), out->end());
    out->erase(std::unique(out->begin(), out->end()), out->end());
    return true;
}

bool PairIndex::Unchanged(std::size_t i, const Particle* p) const {
    if (i >= entries_.size()) return false;
    const Entry& e = entries_[i];
    if (e.p != p) return false;
    if (!p->bound) return true;
    return p->bound->x == e.x && p->bound->y == e.y && same_radius(p->bound->radius, e.radius);
}
