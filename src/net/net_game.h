#ifndef VORLIN_NET_NET_GAME_H
#define VORLIN_NET_NET_GAME_H

#include <cstdint>
#include <string>
#include <vector>

#include "game/command_router.h"

class Game;
class ReplayRecorder;

namespace net {

class Link;

// Drives one machine's Game in lockstep over a Link that finished its handshake. The
// game must have been loaded after seeding the world's generator with the agreed seed,
// with both players. The local player's input handler is asked through Game::GatherInput
// (the other player's handler is asked too and ignored); world-changing console lines are
// held for the local record, so that both worlds apply them at the same step.
class NetGame {
public:
    enum class Outcome { Waiting, Stepped, Ended };

    // With a recorder, every step's record goes to it before the step and the world's
    // digest after, as a recorded game's do; the recorder is not finished here.
    NetGame(Game& game, Link& link, ReplayRecorder* recorder = nullptr);
    NetGame(const NetGame&) = delete;
    NetGame& operator=(const NetGame&) = delete;

    // What one due tick becomes: the local record when one is due, then the step when
    // both records are known (Stepped), or nothing yet (Waiting). Ended when the link
    // ended, or the step ended the game (then the other side is told).
    Outcome Tick(std::int64_t now_ms);

private:
    void GiveLocalRecord();
    bool RunStep();

    Game& game_;
    Link& link_;
    ReplayRecorder* recorder_;  // not owned; may be null
    ScopedCommandRouter router_;
    std::vector<std::string> typed_;  // world-changing lines not yet in a record
};

}  // namespace net

#endif
