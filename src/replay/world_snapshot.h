#ifndef VORLIN_REPLAY_WORLD_SNAPSHOT_H
#define VORLIN_REPLAY_WORLD_SNAPSHOT_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "game/match_rules.h"
#include "level/terrain_journal.h"

class Game;
class Hasher;
class Particle;
class Player;

// The parts of the world, in the order the world's digest takes them. What each part
// holds is named once, in the table of world_snapshot.cpp: its digest, its save and its
// restore, so that the digest, the snapshot and the synctest cannot drift apart.
enum class WorldPart { Players, Table, Random, Terrain, Match, Count };
constexpr std::size_t kWorldParts = static_cast<std::size_t>(WorldPart::Count);

// "players", "table", "random", "terrain", "match".
const char* world_part_name(WorldPart part);
// Adds one part to a digest; the world's digest is every part in order into one hasher.
void digest_world_part(Hasher& h, const Game& game, WorldPart part);
// Each part's digest on its own, to tell which part two worlds differ in.
std::array<std::uint64_t, kWorldParts> world_part_digests(const Game& game);

// One saved world. The terrain is not in it: only the journal's position, which the
// saver takes the terrain back to.
struct WorldSnapshot {
    std::vector<std::unique_ptr<Player>> players;  // copies, in list order
    int selected = 0;                              // the selected player's number
    std::vector<std::unique_ptr<Particle>> table;  // copies; null for free or player entries
    std::vector<int> table_players;                // a player entry's number, else 0
    std::vector<std::size_t> free_slots;           // entry indices, in reuse order
    unsigned random = 0;
    std::size_t terrain = 0;  // the terrain journal's position
    MatchRules rules;
    MatchOutcome outcome;
    unsigned long steps = 0;  // the game's steps_taken
};

// Saves and restores one game's world. While it lives the level keeps a journal of what
// its digs, fills and paints overwrite, so that a restore undoes them newest first.
class WorldSaver {
public:
    explicit WorldSaver(Game& game);
    ~WorldSaver();
    WorldSaver(const WorldSaver&) = delete;
    WorldSaver& operator=(const WorldSaver&) = delete;

    void Save(WorldSnapshot* into) const;
    // The world as saved in `from`. The terrain can go back only to a snapshot saved
    // since the oldest one still kept (Forget), and snapshots saved after `from` can no
    // longer be restored.
    void Restore(const WorldSnapshot& from) const;
    // Nothing older than `oldest` will be restored: the journal drops what lies before.
    void Forget(const WorldSnapshot& oldest);
    std::size_t JournalBytes() const { return journal_.Bytes(); }

private:
    Game& game_;
    TerrainJournal journal_;
};

#endif
