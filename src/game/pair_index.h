#ifndef VORLIN_GAME_PAIR_INDEX_H
#define VORLIN_GAME_PAIR_INDEX_H

#include <cstddef>
#include <vector>

class Particle;
struct clgo_circle;

// The broad phase of the logic step's pair pass: which later entries of the world table
// could touch a given circle, so that the pass tests only those instead of every later
// entry. It answers with a superset of the entries whose circles overlap, in table order;
// the exact test stays Particle::Collides.
//
// It is built once per step, before the walk, from every object's collision circle, and
// stays true because an object's circle only changes in its own turn (its update), in the
// input stage before the walk, or when it is new: an entry after `cur` therefore still
// holds the circle it was indexed with. Objects added during the walk are indexed with
// AddNew. The step checks what it can (the pair that just reacted, objects added) and
// falls back to testing every later entry when the rule was broken.
class PairIndex {
public:
    // Indexes every non-null entry of `table`.
    void Build(const std::vector<Particle*>& table);
    // Indexes the entries from `from` on that hold an object not indexed there yet.
    void AddNew(const std::vector<Particle*>& table, std::size_t from);
    // The entries after `index` whose circles might overlap `circle`, ascending. False
    // for a circle too large (or not a number) to look up: every later entry is a
    // candidate then.
    bool Candidates(std::size_t index, const clgo_circle* circle,
                    std::vector<std::size_t>* out) const;
    // Entry `i` holds `p` with the circle it was indexed with.
    bool Unchanged(std::size_t i, const Particle* p) const;

private:
    struct Item {
        long long x, y;  // centre
        int extent;      // half the side of a square around the circle; < 0: unbounded
        std::size_t index;
    };
    struct Entry {
        const Particle* p = nullptr;
        int x = 0, y = 0;
        float radius = 0.0f;
    };

    static Item ItemOf(std::size_t index, const Particle* p);
    long long CellX(long long x) const;
    long long CellY(long long y) const;

    std::vector<Entry> entries_;       // by table index: what was indexed there
    std::vector<Item> items_;          // grid items by cell, ascending index within a cell
    std::vector<std::size_t> starts_;  // first item of every cell, and the end
    std::vector<Item> loose_;          // large, odd or late circles: always looked at
    long long origin_x_ = 0, origin_y_ = 0;
    long long cells_x_ = 0, cells_y_ = 0;
    int shift_ = 0;       // cells are 1 << shift_ pixels square
    int max_extent_ = 0;  // over the grid items
};

#endif
