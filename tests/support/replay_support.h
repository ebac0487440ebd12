#ifndef VORLIN_TESTS_REPLAY_SUPPORT_H
#define VORLIN_TESTS_REPLAY_SUPPORT_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "game/match_rules.h"
#include "replay/headless_play.h"

class ComputerPlayers;
class Game;
struct ReplayHeader;
struct VerifyResult;
class InputHandler;

namespace testsupport {

// A 640 x 400 level of rolling hills over a cave, with an undiggable floor, written as a
// level file at the current colour depth: the ground of the recorded test games.
void write_replay_level(const std::string& path);

// The input handler of a player, by number; the game owns it.
using HandlerFactory = std::function<InputHandler*(int player)>;
// A player's action bits at a step (0-based), by player number.
using ActionScript = std::function<int(int player, std::size_t step)>;
// Players that follow `script` (ScriptedInput).
HandlerFactory scripted(const ActionScript& script);

// Records a two-player game on `level` into `replay`: random seed `seed`, default speed,
// the players' handlers from `players`, console lines from `commands`, the computer
// players of "player bot" from `computers`, played as a match of `rules` on a level of
// the levels folder named `level_name` (empty: the default level). Returns the
// final world's digest (the one the end record holds).
std::uint64_t record_game(const std::string& level, const std::string& replay, unsigned seed,
                          std::uint64_t steps, const HandlerFactory& players,
                          const CommandScript& commands = nullptr,
                          ComputerPlayers* computers = nullptr,
                          const MatchRules& rules = MatchRules(),
                          const std::string& level_name = "");

// Plays the replay file on `level` again into `game` (empty), comparing every digest it
// holds; its header into *header when asked. A file that does not open or start fails the
// test.
VerifyResult verify_recorded(const std::string& replay, const std::string& level, Game& game,
                             ReplayHeader* header = nullptr);

}  // namespace testsupport

#endif
