#ifndef VORLIN_NET_NET_GAME_H
#define VORLIN_NET_NET_GAME_H

#include <cstdint>
#include <functional>

class Game;

namespace net {

class Link;

// Drives one machine's Game in lockstep over a Link that finished its handshake. The
// game must have been loaded after seeding the world's generator with the agreed seed,
// with both players; the local player's input handler is asked through Game::GatherInput
// (the other player's handler, if any, is asked too and ignored).
class NetGame {
public:
    using DigestFn = std::function<std::uint64_t(const Game&)>;
    enum class Outcome { Waiting, Stepped, Ended };

    NetGame(Game& game, Link& link, DigestFn digest);

    // What one due tick becomes: the local record when one is due, then the step when
    // both records are known (Stepped), or nothing yet (Waiting: the tick stays due).
    // Ended when the link ended, or the step ended the game (then the other side is told).
    Outcome Tick(std::int64_t now_ms);

private:
    Game& game_;
    Link& link_;
    DigestFn digest_;
};

}  // namespace net

#endif
