#ifndef VORLIN_TESTS_REPLAY_SUPPORT_H
#define VORLIN_TESTS_REPLAY_SUPPORT_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "replay/headless_play.h"

namespace testsupport {

// A 640 x 400 level of rolling hills over a cave, with an undiggable floor, written as a
// level file at the current colour depth: the ground of the recorded test games.
void write_replay_level(const std::string& path);

// A player's action bits at a step (0-based), by player number.
using ActionScript = std::function<int(int player, std::size_t step)>;

// Records a two-player game on `level` into `replay`: random seed `seed`, default speed,
// each player's bits from `script`, console lines from `commands`. Returns the final
// world's digest (the one the end record holds).
std::uint64_t record_scripted_game(const std::string& level, const std::string& replay,
                                   unsigned seed, std::uint64_t steps,
                                   const ActionScript& script,
                                   const CommandScript& commands = nullptr);

}  // namespace testsupport

#endif
