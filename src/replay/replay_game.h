#ifndef VORLIN_REPLAY_REPLAY_GAME_H
#define VORLIN_REPLAY_REPLAY_GAME_H

#include <string>

#include "replay/replay_format.h"

class Game;
class ReplayRecorder;

// The header of a game about to be loaded from `level`: this program's version, the
// level file's digest, the random generator's state now, the current colour depth and
// the match's rules.
bool replay_header_for(const std::string& level, int players, double step_dt,
                       const MatchRules& rules, ReplayHeader* header, std::string* why);
// The same for a level of the levels folder, which the header names.
bool replay_header_for(const std::string& level, const std::string& level_name, int players,
                       double step_dt, const MatchRules& rules, ReplayHeader* header,
                       std::string* why);

// Opens `replay` with the header of a game about to be loaded from `level` (the random
// state now, the game's rules), loads the level and the players into an empty game and stores the start's
// digest. The players' input handlers are then the caller's to choose. False with the
// reason.
bool start_recorded_game(Game& game, const std::string& level, int players, double step_dt,
                         const std::string& replay, ReplayRecorder* recorder, std::string* why);

// What must hold before a recorded game is loaded again: `level` is the recorded level
// file (by its digest); the random generator is then set to the recorded start. Game::Go
// or Game::Load with the recorded number of players follows. False with the reason.
bool prepare_replayed_start(const ReplayHeader& header, const std::string& level,
                            std::string* why);

// Loads `level` into an empty game so that it stands where the recorded game stood
// before its first step: the same level file (checked by its digest), the same random
// state, the same players, step length and match rules. False with the reason.
bool start_replayed_game(Game& game, const ReplayHeader& header, const std::string& level,
                         std::string* why);

#endif
