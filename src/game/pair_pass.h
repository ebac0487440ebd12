#ifndef VORLIN_GAME_PAIR_PASS_H
#define VORLIN_GAME_PAIR_PASS_H

#include <cstddef>
#include <vector>

class Game;
class Particle;
struct clgo_circle;

// The pair pass of one logic step. At its turn in the walk, the object at entry `at`
// reacts to every later object whose circle overlaps its own (Particle::Collides): both
// react, it first, and its partners in table order. The end of the table is read afresh,
// so objects added during the walk take part in the same step.
//
// In a crowded table the pass looks up which later entries could touch, in a grid of
// every object's circle built when the walk begins, instead of testing every later entry.
// The grid stays true by a rule of the world: an object's circle changes only in its own
// update and in the reactions it takes part in; no reaction moves a third object. An
// entry after `at` therefore still holds the circle it was indexed with, unless it was
// moved as the partner of a reaction (it is indexed again then) or is new (indexed when
// added). Debug builds check the rule after every update and reaction, and that every
// radius lies between 0 and the largest the world makes (30, a rocket's blast).
//
// The game keeps one pass for all its steps, so that the steady state allocates nothing.
class PairPass {
public:
    explicit PairPass(Game& game);
    PairPass(const PairPass&) = delete;
    PairPass& operator=(const PairPass&) = delete;

    // Before a walk. grid: look the candidates up; otherwise test every later entry.
    void Begin(bool grid) {
        grid_ = grid;
        if (grid_) Build();
    }
    // The object at `at`, which has just been updated, reacts to its later neighbours.
    void ReactToLaterNeighbours(std::size_t at);
    // An object has just been put into entry `at`: it is indexed during a walk.
    void Added(std::size_t at);
    // After the walk.
    void End() { grid_ = false; }

    // The entries after `at` whose indexed circles might overlap `circle`, ascending: a
    // superset of those that do. Only after Begin(true).
    void Candidates(std::size_t at, const clgo_circle& circle,
                    std::vector<std::size_t>* out) const;

private:
    // What an entry held when it was indexed.
    struct Placed {
        const Particle* p = nullptr;
        int x = 0, y = 0;
        float radius = 0.0f;
    };
    struct Item {
        long long x, y;  // centre
        int extent;      // half the side of a square around the circle
        std::size_t index;
    };

    Game& game_;
    bool grid_ = false;                // during a walk with the grid
    std::vector<Placed> placed_;       // by table index
    std::vector<Item> items_;          // grid items by cell, ascending index within a cell
    std::vector<std::size_t> starts_;  // first item of every cell, and the end
    std::vector<Item> loose_;          // large or late circles: looked at by every query
    std::vector<std::size_t> candidates_;
    std::vector<Item> unsorted_;       // the grid items in table order, while building
    std::vector<std::size_t> cell_of_, fill_;
    long long origin_x_ = 0, origin_y_ = 0;
    long long cells_x_ = 1, cells_y_ = 1;
    int shift_ = 0;       // cells are 1 << shift_ pixels square
    int max_extent_ = 0;  // over the grid items

    void Build();
    void SizeCells(long long min_x, long long min_y, long long max_x, long long max_y,
                   std::size_t items);
    void SortIntoCells();
    // Records what entry `at` (within placed_) holds now.
    Item Place(std::size_t at);
    bool Moved(std::size_t at) const;
    bool React(std::size_t at, std::size_t j);
    void BothReact(Particle* a, Particle* b, std::size_t j);
    void ReactToCandidates(std::size_t at);
    void CheckTheRule(std::size_t at) const;
    long long CellX(long long x) const;
    long long CellY(long long y) const;
};

#endif
