#ifndef VORLIN_BENCH_BENCH_WORLD_H
#define VORLIN_BENCH_BENCH_WORLD_H

// What the benchmark scenarios share: the default level, a loaded two-player game with
// scripted fighters, and a world full of projectiles. Every scenario seeds the random
// generator itself, so each one replays the same game on every run.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class Game;

namespace bench {

// Folder holding the default level's bitmaps (from levelgen) and "map.lvl".
void set_level_dir(const std::string& dir);
const std::string& level_dir();
// "map.lvl" in the level folder, built from the bitmaps on first use.
const std::string& level_file();

// A two-player game on the default level, loaded at the current colour depth with the
// given seed. Both players stand still (no input) until a script is given.
std::unique_ptr<Game> load_game(unsigned seed);

// Both players fire every step, walk towards each other and back, aim up and down, and
// switch to the next weapon once a second, so that all five take turns. Each is handed
// every weapon first.
void start_fight(Game& game);
// Keeps the fight going: every `kRefillSteps` steps each player picks up one more of
// every weapon kind (ammunition merges into what he holds, as a pickup does in play).
void feed_fight(Game& game, std::size_t step);
constexpr std::size_t kRefillSteps = 300;

// Live (non-null) entries of the table.
std::size_t live_objects(const Game& game);

// Tops the table up to `count` live objects with splinters, shotgun pellets and dirt
// clods (in that rotation) launched from random points of the sky band in random
// directions.
void fill_with_projectiles(Game& game, std::size_t count);

// Processor time of this thread in milliseconds. The machine is shared: wall time would
// count whatever else ran meanwhile, and a worst step would mostly measure the scheduler.
double cpu_ms();
// The value below which the given share of the values lie (nearest rank).
double percentile(std::vector<double> values, double share);

// The step of the game at the default speed.
constexpr double kStepDt = 0.01666666753590107;

}  // namespace bench

#endif
