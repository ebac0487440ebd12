#ifndef VORLIN_REPLAY_WORLD_DIGEST_H
#define VORLIN_REPLAY_WORLD_DIGEST_H

#include <cstdint>
#include <string>

class Game;
class Hasher;
class Level;

// A digest of everything the coming steps of a game depend on: the players with their
// weapons, every entry of the world table in table order (free entries included, with
// the order in which they will be reused), the selected player, the random generator's
// state, the terrain and, in a match, its rules, its outcome and the players' figures. Two games with equal digests go on alike from the same inputs;
// the drawing, the console and the timing are left out. The same on every colour depth.
std::uint64_t world_digest(const Game& game);

// Which pixels of the terrain mask are solid, row by row; the colour depth and the
// colours of empty pixels do not count.
void digest_terrain(Hasher& h, const Level& level);

// A digest as the replay tools print it: 16 lowercase hexadecimal digits.
std::string digest_text(std::uint64_t digest);

#endif
