#ifndef VORLIN_TESTS_TWO_MACHINES_H
#define VORLIN_TESTS_TWO_MACHINES_H

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "net/net_game.h"
#include "net/net_link.h"
#include "replay/replay_recorder.h"
#include "support/lossy_relay.h"

class Game;
class InputHandler;

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
        std::unique_ptr<ReplayRecorder> recorder;  // when the game is recorded
        std::unique_ptr<net::NetGame> play;
        unsigned random = 0;
        // Paced runs: timer ticks that passed without a step, as the game counts them
        // (those that came while one was due, and those spent waiting for a record).
        std::uint64_t missed_ticks = 0;
        std::int64_t ticks_taken = 0;
    };
    struct Relay {
        int delay_ms = 50;
        double drop = 0.05;
        std::uint32_t seed = 7;
    };
    // The input handler of the machine's own player, by player number; the game owns it.
    using Handler = std::function<InputHandler*(int player)>;

    explicit TwoMachines(std::string level_file);
    ~TwoMachines();

    // Opens the host's end on a free port and the joiner's; false with the reason.
    bool Connect(const net::Hello& host, const net::Hello& joiner, const net::LinkOptions& options,
                 const std::optional<Relay>& relay, std::string* error);
    // Services both ends until neither waits for the other's hello, then loads both games
    // with the agreed seed and step length, each recorded into its replay file when one
    // is named; each machine's own player gets `local`, the other player does nothing.
    // False (with both statuses) when the handshake did not end in play.
    bool StartGames(const Handler& local, std::string* error, const std::string* replays = nullptr);

    // Services both machines until `done` (or `give_up_ms` passed), stepping each game up
    // to `limit` steps. Paced: at most one step per 1/60 s of each machine's own timer,
    // a tick without its record lost, as the game's loop does; otherwise as fast as the
    // records come.
    void Run(const std::function<bool()>& done, unsigned long limit, bool paced = false,
             std::int64_t give_up_ms = 60000);

    bool Both(net::Link::State state) const;
    // The level file the joiner loads instead of the host's (one it received, say).
    std::string joiner_level;
    Machine& operator[](int i) { return sides_[i]; }
    LossyRelay* relay() { return relay_.get(); }
    // The world digest of machine i's game, with its own random state.
    std::uint64_t WorldDigest(int i);

private:
    bool Turn(Machine& m, unsigned long limit, bool paced, std::int64_t start);
    bool Load(Machine& m, const Handler& local, const std::string* replay, std::string* error);

    std::string level_file_;
    Machine sides_[2];
    std::unique_ptr<LossyRelay> relay_;
};

}  // namespace testsupport

#endif
