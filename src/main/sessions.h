#ifndef VORLIN_MAIN_SESSIONS_H
#define VORLIN_MAIN_SESSIONS_H

#include <string>
#include <vector>

#include "game/match_rules.h"
#include "level/level_choice.h"

class ComputerPlayers;
class FrameSink;
class StepDriver;
namespace net {
struct NetStart;
}

// How one game of the windowed program is set up beyond its driver.
struct Setup {
    LevelChoice level;  // the default level unless another was chosen
    MatchRules rules;
    std::vector<std::string> notices;  // console lines before the welcome
    std::string replay_note;           // where the match's replay is written
    bool rematch_offered = false;
    bool watch_offered = false;        // the results screen offers watching the replay
    FrameSink* frame = nullptr;        // not owned; null: the picture is the screen
    bool echo_console = false;         // the console's lines also on standard error
};

// What the results screen asked for.
enum class AfterGame { End, Rematch, Watch };

// A start that fails, or a network game that the other side ended, after the library is
// up: the message (standard error and a message box), then a normal exit. Returns 0.
int failed_start(const std::string& message);

// The level `what` names (choose_level) into setup->level, its level file built when
// missing and its thumbnail made; the console says when it plays from a temporary copy.
// False with the reason.
bool play_level(const std::string& what, Setup* setup, std::string* why);

// One game; a match's results go to standard output, one line a player.
AfterGame play(StepDriver* driver, int players, ComputerPlayers* computers, const Setup& setup);

// Games at this computer, recorded into `record` when it is not empty and every match into
// replays/, until no rematch is asked for. False with the reason when `record` cannot be
// written. When the results screen asked to watch the match, *watch names its replay.
bool play_here(const std::string& record, Setup setup, ComputerPlayers* computers,
               std::string* watch, std::string* why);

// The recorded game of `path` watched; false with the reason when it cannot be played.
bool watch_replay(const std::string& path, Setup setup, ComputerPlayers* computers,
                  std::string* why);

// A network game: false with the reason when this machine's end cannot be opened; else
// *message says why the other side, the network or a desync ended it (empty when this
// side's player ended it).
bool play_network(net::NetStart network, Setup setup, std::string* why, std::string* message);

#endif
