#ifndef VORLIN_TESTS_TWO_MACHINES_H
#define VORLIN_TESTS_TWO_MACHINES_H

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "net/net_game.h"
#include "net/net_link.h"
#include "support/lossy_relay.h"

class Game;

namespace testsupport {

// Both machines of a network game in one process: two ENet ends on 127.0.0.1, each with
// its own Game, the joiner's line through a LossyRelay when asked. The world's random
// generator is one per process, so each game's state of it is put back before its turn
// and kept after.
class TwoMachines {
public:
    struct Machine {
        std::unique_ptr<net::Link> link;
        std::unique_ptr<Game> game;
        std::unique_ptr<net::NetGame> play;
        unsigned random = 0;
        // Paced runs: timer ticks that came while one was still due.
        std::uint64_t missed_ticks = 0;
        std::int64_t ticks_taken = 0;
    };
    struct Relay {
        int delay_ms = 50;
        double drop = 0.05;
        std::uint32_t seed = 7;
    };
    // The action bits of `player` in the `step`-th record of its machine.
    using Script = std::function<int(int player, std::size_t step)>;

    explicit TwoMachines(std::string level_file);
    ~TwoMachines();

    // Opens the host's end on a free port and the joiner's; false with the reason.
    bool Connect(const net::Hello& host, const net::Hello& joiner, const net::LinkOptions& options,
                 const std::optional<Relay>& relay, std::string* error);
    // Services both ends until neither waits for the other's hello, then loads both games
    // with the agreed seed and step length; each machine's own player follows `script`,
    // the other player's handler gives nothing. False (with both statuses) when the
    // handshake did not end in play.
    bool StartGames(const Script& script, std::string* error);

    // Services both machines until `done` (or a minute passed), stepping each game up to
    // `limit` steps. Paced: at most one step per 1/60 s of each machine's own timer, as
    // the game's loop does; otherwise as fast as the records come.
    void Run(const std::function<bool()>& done, unsigned long limit, bool paced = false);

    bool Both(net::Link::State state) const;
    Machine& operator[](int i) { return sides_[i]; }
    LossyRelay* relay() { return relay_.get(); }

    // Players, live objects and the terrain mask: what the tests compare.
    static std::uint64_t Digest(const Game& game);

private:
    bool Turn(Machine& m, unsigned long limit, bool paced, std::int64_t start);

    std::string level_file_;
    Machine sides_[2];
    std::unique_ptr<LossyRelay> relay_;
};

// Milliseconds of a steady clock.
std::int64_t now_ms();

}  // namespace testsupport

#endif
