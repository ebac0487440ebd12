#include "replay/world_snapshot.h"

#include "base/assertion.h"
#include "base/hasher.h"
#include "base/random.h"
#include "game/game.h"
#include "particle/particle.h"
#include "player/player.h"
#include "replay/world_digest.h"

namespace {

using Digest = void (*)(Hasher&, const Game&);
using Save = void (*)(const Game&, WorldSnapshot&);
using Restore = void (*)(Game&, const WorldSnapshot&);

// --- players: every player with its weapons and figures, and the selected one.

void digest_players(Hasher& h, const Game& game) {
    h.Int(static_cast<long long>(game.players.size()));
    for (const Player& p : game.players) p.Digest(h);
    h.Int(game.selected ? game.selected->number : 0);
}

void save_players(const Game& game, WorldSnapshot& s) {
    std::size_t i = 0;
    for (const Player& p : game.players) {
        if (i == s.players.size())
            s.players.push_back(std::make_unique<Player>(p.game, p.level, p.number));
        s.players[i++]->AssignState(p);
    }
    s.players.resize(i);
    s.selected = game.selected ? game.selected->number : 0;
}

void restore_players(Game& game, const WorldSnapshot& s) {
    VORLIN_CHECK(s.players.size() == game.players.size(), "a snapshot of this game's players");
    std::size_t i = 0;
    game.selected = nullptr;
    for (Player& p : game.players) {
        p.AssignState(*s.players[i++]);
        if (p.number == s.selected) game.selected = &p;
    }
}

// --- table: every entry in order, free ones included, and the order of reuse.

void digest_table(Hasher& h, const Game& game) {
    h.Int(static_cast<long long>(game.particles.size()));
    for (const Particle* p : game.particles) {
        if (p)
            p->Digest(h);
        else
            h.Text("free");
    }
    Particle* const* base = game.particles.data();
    for (Particle** slot : game.free_slots) h.Int(slot - base);
}

void save_table(const Game& game, WorldSnapshot& s) {
    const std::size_t n = game.particles.size();
    s.table.clear();
    s.table.resize(n);
    s.table_players.assign(n, 0);
    for (std::size_t i = 0; i < n; ++i) {
        const Particle* p = game.particles[i];
        if (!p) continue;
        if (const auto* player = dynamic_cast<const Player*>(p)) {
            s.table_players[i] = player->number;
            continue;
        }
        s.table[i].reset(p->Clone());
        VORLIN_CHECK(s.table[i], "every object of the world table can be copied");
    }
    s.free_slots.clear();
    for (Particle** slot : game.free_slots)
        s.free_slots.push_back(static_cast<std::size_t>(slot - game.particles.data()));
}

Player* player_numbered(Game& game, int number) {
    for (Player& p : game.players)
        if (p.number == number) return &p;
    return nullptr;
}

void restore_table(Game& game, const WorldSnapshot& s) {
    for (Particle* p : game.particles)
        if (p && !dynamic_cast<Player*>(p)) delete p;
    game.particles.assign(s.table.size(), nullptr);
    for (std::size_t i = 0; i < s.table.size(); ++i) {
        if (s.table_players[i])
            game.particles[i] = player_numbered(game, s.table_players[i]);
        else if (s.table[i])
            game.particles[i] = s.table[i]->Clone();
    }
    game.free_slots.clear();
    for (std::size_t at : s.free_slots) game.free_slots.push_back(game.particles.data() + at);
}

// --- random: the generator's state.

void digest_random(Hasher& h, const Game&) { h.Word(random_state()); }
void save_random(const Game&, WorldSnapshot& s) { s.random = random_state(); }
void restore_random(Game&, const WorldSnapshot& s) { seed_random(s.random); }

// --- terrain: the mask's solid pixels; saved as the journal's position.

void digest_level(Hasher& h, const Game& game) { digest_terrain(h, game.level); }

void save_terrain(const Game& game, WorldSnapshot& s) {
    s.terrain = game.level.journal ? game.level.journal->Position() : 0;
}

void restore_terrain(Game& game, const WorldSnapshot& s) { game.level.UndoTo(s.terrain); }

// --- match: the rules, how it stands (the players' figures and ropes are the players'
// part, but digested here, as a match's), and the step counter, which the digest leaves out since
// worlds are compared at the same step.

void digest_match(Hasher& h, const Game& game) {
    if (game.rules.plain()) return;  // an endless game's digests stay as they always were
    game.rules.Digest(h);
    game.outcome.Digest(h);
    for (const Player& p : game.players) {
        p.stats.Digest(h);
        h.Bool(p.out);
        if (game.rules.rope()) p.rope.Digest(h);
    }
}

void save_match(const Game& game, WorldSnapshot& s) {
    s.rules = game.rules;
    s.outcome = game.outcome;
    s.steps = game.steps_taken;
}

void restore_match(Game& game, const WorldSnapshot& s) {
    game.rules = s.rules;
    game.outcome = s.outcome;
    game.steps_taken = s.steps;
}

struct PartRow {
    WorldPart part;
    const char* name;
    Digest digest;
    Save save;
    Restore restore;
};

const PartRow kParts[kWorldParts] = {
    {WorldPart::Players, "players", digest_players, save_players, restore_players},
    {WorldPart::Table, "table", digest_table, save_table, restore_table},
    {WorldPart::Random, "random", digest_random, save_random, restore_random},
    {WorldPart::Terrain, "terrain", digest_level, save_terrain, restore_terrain},
    {WorldPart::Match, "match", digest_match, save_match, restore_match},
};

const PartRow& row(WorldPart part) { return kParts[static_cast<std::size_t>(part)]; }

}  // namespace

const char* world_part_name(WorldPart part) { return row(part).name; }

void digest_world_part(Hasher& h, const Game& game, WorldPart part) { row(part).digest(h, game); }

std::array<std::uint64_t, kWorldParts> world_part_digests(const Game& game) {
    std::array<std::uint64_t, kWorldParts> out{};
    for (std::size_t i = 0; i < kWorldParts; ++i) {
        Hasher h;
        kParts[i].digest(h, game);
        out[i] = h.value();
    }
    return out;
}

WorldSaver::WorldSaver(Game& game) : game_(game) { game_.level.journal = &journal_; }

WorldSaver::~WorldSaver() { game_.level.journal = nullptr; }

void WorldSaver::Save(WorldSnapshot* into) const {
    for (const PartRow& r : kParts) r.save(game_, *into);
}

void WorldSaver::Restore(const WorldSnapshot& from) const {
    for (const PartRow& r : kParts) r.restore(game_, from);
}

void WorldSaver::Forget(const WorldSnapshot& oldest) { journal_.ForgetBefore(oldest.terrain); }
