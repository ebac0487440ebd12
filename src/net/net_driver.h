#ifndef VORLIN_NET_NET_DRIVER_H
#define VORLIN_NET_NET_DRIVER_H

#include <cstdint>
#include <memory>
#include <string>

#include "game/step_driver.h"
#include "net/net_game.h"
#include "net/net_link.h"
#include "net/net_peer.h"
#include "replay/replay_recorder.h"

namespace net {

// What the command line asks of a network game.
struct NetStart {
    bool hosting = false;
    std::string host;  // joining: the host's name or address
    std::uint16_t port = kDefaultPort;
    std::string record;  // --record FILE: this side's game is recorded there
    MatchRules rules;    // hosting: the match both sides play; a joiner takes the host's
    // Hosting: lockstep (0) or rollback (kMaxPrediction), and the input delay in steps;
    // -1 for [network] of "vorlin.ini". A joiner plays the host's.
    int rollback = -1;
    int delay = -1;
    std::string level_name;  // hosting: the level of the levels folder played, if not data/
    // Without --record, where a match is recorded (a game that turns out endless keeps
    // only its scratch replay); empty for nowhere.
    std::string match_record;
};

// vorlin --host / --join: the game's loop, played in lockstep with the other machine.
// Before the level is loaded comes the handshake, while the window shows the console
// saying what is awaited (Escape gives up); then the host's seed is set, so that both
// levels load alike, and this side's recording begins. The local player (1 on the host,
// 2 on the joiner) plays with player 1's keys; a tick whose step still lacks the other
// side's record is a missed tick. Every game is recorded: into the --record file, or
// into a scratch file that is kept only when the two worlds part.
class NetDriver final : public StepDriver {
public:
    NetDriver() = default;
    ~NetDriver() override;
    NetDriver(const NetDriver&) = delete;
    NetDriver& operator=(const NetDriver&) = delete;

    // Opens this machine's end: listening, or connecting to the host. False with the
    // reason; nothing is written then.
    bool Open(const NetStart& start, const std::string& level, std::string* why);

    bool Prepare(Game& game) override;
    std::string LevelFile(const std::string&) const override { return level_; }
    void Begin(Game& game) override;
    bool Tick(Game& game) override;
    bool Settled() const override { return !play_ || play_->Settled(); }
    void End(Game& game) override;

    // Why the game ended when the other side, the network or a desync ended it; empty
    // when this side's player gave up or quit.
    const std::string& message() const { return message_; }

private:
    bool OfferLevel(const NetStart& start, const std::string& level, LinkOptions* options,
                    std::string* why);
    bool Await(Game& game);
    void StartRecording(Game& game);
    void KeepReplayOfDesync(std::uint32_t step);

    std::unique_ptr<Link> link_;
    std::unique_ptr<NetGame> play_;
    ReplayRecorder recorder_;
    bool recording_ = false;
    std::string level_;
    std::string replay_;   // the file being written
    std::string match_record_;
    std::string received_name_;  // a level received from the host, as kept here
    bool scratch_ = false;  // replay_ is ours to remove
    std::string message_;
};

}  // namespace net

#endif
