#include <allegro.h>

#include <cstring>
#include <ctime>
#include <iomanip>
#include <iterator>
#include <sstream>
#include <typeinfo>
#include <vector>

#include "collision/clgo.h"
#include "game/console_commands.h"
#include "game/game.h"
#include "game/pair_index.h"
#include "base/random.h"
#include "game/step_input.h"
#include "input/input_handler.h"
#include "input/player_input.h"
#include "inventory/weapon.h"
#include "base/assertion.h"
#include "particle/particle.h"

namespace {

// Tries of Game::SpawnWeapon to find a place whose circle touches no terrain; a level
// without such a place skips the drop instead of hanging.
constexpr int SPAWN_TRIES = 1000;

float elapsed_ms(std::clock_t since) {
    return static_cast<float>((std::clock() - since) * 1000.0 / CLOCKS_PER_SEC);
}

bool key_down(int scancode) { return scancode > 0 && scancode < KEY_MAX && key[scancode]; }

// AddParticle either takes a free entry (fewer free slots) or grows the table (more
// entries): an unchanged shape means nothing was added.
struct TableShape {
    std::size_t entries, free;
    bool operator!=(const TableShape& o) const { return entries != o.entries || free != o.free; }
};

TableShape shape_of(const Game& game) { return {game.particles.size(), game.free_slots.size()}; }

bool same_circle(const clgo_circle& a, const clgo_circle& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The object at `cur` against every non-null entry from `from` to the end, which is read
// afresh each time: both react, the earlier one in the table first.
void plain_pair_pass(Game& game, std::size_t from) {
    for (game.other = game.particles.data() + from;
         game.other != game.particles.data() + game.particles.size(); ++game.other) {
        if (!*game.other || !(*game.cur)->Collides(*game.other)) continue;
        Particle* a = *game.cur;
        Particle* b = *game.other;
        a->OnCollision(b);
        b->OnCollision(a);
    }
    game.other = nullptr;
}

// The same pairs in the same order, visiting only the index's candidates. False when a
// reaction changed what the index relies on (moved one of the two or added an object);
// the rest of this pass then goes entry by entry, and so does the rest of the step.
bool indexed_pair_pass(Game& game, PairIndex& index, std::vector<std::size_t>& candidates,
                       const TableShape& shape) {
    Particle* a = *game.cur;
    const std::size_t at = static_cast<std::size_t>(game.cur - game.particles.data());
    if (!index.Candidates(at, a->bound, &candidates)) {
        plain_pair_pass(game, at + 1);
        return true;
    }
    const clgo_circle before = *a->bound;
    for (std::size_t j : candidates) {
        game.other = game.particles.data() + j;
        Particle* b = *game.other;
        if (!b) continue;
        if (!index.Unchanged(j, b)) {
            // Moved before its turn: everything from here on is tested.
            plain_pair_pass(game, j);
            return false;
        }
        if (!a->Collides(b)) continue;
        a->OnCollision(b);
        b->OnCollision(a);
        if (shape_of(game) != shape || !same_circle(*a->bound, before) ||
            !index.Unchanged(j, b)) {
            plain_pair_pass(game, j + 1);
            return false;
        }
    }
    game.other = nullptr;
    return true;
}

}  // namespace

bool Game::Logic(double dt) { return Step(GatherInput(), dt); }

StepInput Game::GatherInput() {
    StepInput input;
    input.players.reserve(players.size());
    for (Player& player : players) {
        auto handler_of = inputs.find(player.number);
        VORLIN_ASSERT(handler_of != inputs.end());
        InputHandler* handler = handler_of->second;
        PlayerActions actions;
        // The console has the keyboard while it is open.
        if (!(console_active && typeid(*handler) == typeid(PlayerInput))) {
            WeaponSlot next_weapon = player.weapons.end();
            actions.bits = handler->Handle(player, *this, next_weapon);
            if ((actions.bits & ACT_WEAPON) && next_weapon != player.weapons.end())
                actions.weapon =
                    static_cast<int>(std::distance(player.weapons.begin(), next_weapon));
        }
        input.players.push_back(actions);
    }
    return input;
}

bool Game::Step(const StepInput& input, double dt) {
    const bool timing = show_timing;
    std::clock_t started = 0;
    if (timing) {
        stats.str("");
        stats.clear();
        stats << "dt: " << std::setw(5) << dt << " slowdown 1 / " << std::setw(1)
              << missed_ticks + 1 << " ";
        missed_ticks = 0;
        started = std::clock();
    }

    terrain_changed = false;
    sounds.Clear();

    auto actions = input.players.begin();
    for (Player& player : players) {
        if (actions == input.players.end()) break;
        const int bits = actions->bits;
        // A position the list does not have (a damaged record) selects no weapon.
        WeaponSlot next_weapon = player.weapons.end();
        if (actions->weapon >= 0 &&
            static_cast<std::size_t>(actions->weapon) < player.weapons.size())
            next_weapon = std::next(player.weapons.begin(), actions->weapon);
        ++actions;
        if (bits & ACT_LEFT)
            player.MoveLeft();
        else if (bits & ACT_RIGHT)
            player.MoveRight();
        if (bits & ACT_UP)
            player.AimUp();
        else if (bits & ACT_DOWN)
            player.AimDown();
        if ((bits & ACT_DIG) && player.Dig()) terrain_changed = true;
        if (bits & ACT_JUMP) player.Jump();
        if (bits & ACT_FIRE) player.Fire();
        if (bits & ACT_WEAPON) player.SelectWeapon(next_weapon);
    }

    // The end is read afresh on every turn: objects added during the walk are visited
    // in this same step. `cur` and `other` are members because AddParticle may move the
    // table's storage while we walk it.
    // The table's size bounds the live objects: a small table is not even counted.
    std::size_t live = 0;
    if (particles.size() >= pair_index_from)
        for (Particle* p : particles) live += p != nullptr;
    bool indexed = live >= pair_index_from && live > 1;
    PairIndex index;
    if (indexed) index.Build(particles);
    std::vector<std::size_t> candidates;
    TableShape shape = shape_of(*this);

    for (cur = particles.data(); cur != particles.data() + particles.size(); ++cur) {
        if (!*cur) continue;
        if ((*cur)->Update(dt)) terrain_changed = true;

        const std::size_t at = static_cast<std::size_t>(cur - particles.data());
        if (indexed) {
            // Objects added by the update, and by reactions in a pass that tested every
            // later entry (a circle too large to look up), are indexed before the next
            // object asks.
            if (shape != shape_of(*this)) index.AddNew(particles, at + 1);
            shape = shape_of(*this);
            indexed = indexed_pair_pass(*this, index, candidates, shape);
            if (indexed && shape != shape_of(*this)) index.AddNew(particles, at + 1);
        } else {
            plain_pair_pass(*this, at + 1);
        }

        Particle* p = *cur;
        if (p->dead) {
            // Players belong to `players`; the table never deletes them.
            if (!dynamic_cast<Player*>(p)) delete p;
            *cur = nullptr;
            free_slots.push_back(cur);
        } else if (p->detached) {
            *cur = nullptr;
            free_slots.push_back(cur);
        }
        shape = shape_of(*this);
    }
    cur = nullptr;

    if (rand01() < dt * 0.1) SpawnWeapon();

    if (console_key >= 0 && key_down(console_key)) {
        console_active = !console_active;
        console_key = -console_key;
        // Keys typed while it was hidden, the toggle's own character among them, never
        // reach the command line.
        if (console_active) clear_keybuf();
    }
    if (console_key < 0 && !key_down(-console_key)) console_key = -console_key;

    for (const std::string& line : input.commands) {
        std::istringstream args(line);
        processor->Process(args, console);
    }
    if (console_active) console.ProcessInput();
    console.Scroll();

    // Only the regions this step dug, filled or painted; every change to the terrain in a
    // step goes through the level's own operations.
    if (terrain_changed) level.UpdateChanged();

    if (timing) stats << "Logic: " << std::setw(2) << elapsed_ms(started) << "ms ";

    ++steps_taken;
    redraw = true;
    return !key[KEY_ESC];
}

void Game::AddParticle(Particle* p) {
    if (!free_slots.empty()) {
        *free_slots.back() = p;
        free_slots.pop_back();
        return;
    }

    const std::size_t n = particles.size();
    Particle** const old_base = particles.data();
    const std::ptrdiff_t cur_at = cur ? cur - old_base : -1;
    const std::ptrdiff_t other_at = other ? other - old_base : -1;

    particles.resize(n + 16, nullptr);

    Particle** const base = particles.data();
    if (cur_at >= 0) cur = base + cur_at;
    if (other_at >= 0) other = base + other_at;
    // Free slots hold addresses into the table; it only grows when none are left, so
    // none can dangle.
    for (std::size_t i = n; i < n + 15; ++i) free_slots.push_back(base + i);
    base[n + 15] = p;
}

void Game::SpawnWeapon() {
    Inventory::Weapon* w = random_weapon(this, &level);
    for (int tries = 0; tries < SPAWN_TRIES; ++tries) {
        const double ry = rand01();
        const double rx = rand01();
        w->SetPosition(static_cast<float>(rx * level.width), static_cast<float>(ry * level.height));
        if (!w->TouchesTerrain(true)) {
            AddParticle(w);
            return;
        }
    }
    delete w;
}
