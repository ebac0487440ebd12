#ifndef VORLIN_REPLAY_HEADLESS_PLAY_H
#define VORLIN_REPLAY_HEADLESS_PLAY_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class Game;
class ReplayRecorder;

// World-changing console lines to add to the record of a step (0-based), for games played
// from scripts.
using CommandScript = std::function<std::vector<std::string>(std::uint64_t step)>;

// Plays `steps` steps of a loaded game from its players' own input handlers, as fast as
// it goes, at the game's step_dt. With a recorder every step's record is recorded, with
// the digests that fall due; the recorder is not finished.
void play_headless(Game& game, std::uint64_t steps, ReplayRecorder* recorder,
                   const CommandScript& commands = nullptr);

#endif
