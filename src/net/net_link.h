#ifndef VORLIN_NET_NET_LINK_H
#define VORLIN_NET_NET_LINK_H

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "net/lockstep.h"
#include "net/net_packet.h"
#include "net/net_peer.h"

namespace net {

struct LinkOptions {
    // The other side is gone after this long unheard; a joiner gives up after this long
    // without the host's hello.
    std::int64_t silence_ms = 10000;
    std::uint32_t digest_interval = 60;  // steps between two compared world digests
    std::int64_t keepalive_ms = 50;
    // A host's level of its levels folder, which the hello names: the joiner that lacks
    // it gets it. Joining: whether this machine has the level the host's hello names
    // (none: it has), and what to do with one received (none: refused); false with the
    // reason refuses it. Hosting: the level file's bytes.
    std::function<bool(const Hello& host)> has_level;
    std::function<bool(const Hello& host, const std::vector<std::uint8_t>& file,
                       std::string* why)>
        take_level;
    std::shared_ptr<const std::vector<std::uint8_t>> offered_level;
    std::uint32_t max_level_bytes = kMaxLevelTransfer;  // a larger level is refused
};

// The whole conversation with the other machine: connection, handshake, the lockstep
// session and the goodbye. The main loop calls Service once per pass; it never waits.
//
// Every packet is decoded before use; one that does not decode, or that the session
// finds impossible, is dropped and counted, never trusted.
class Link {
public:
    enum class State { Waiting, Playing, Ended };

    // `mine` is this machine's hello; on the host its seed and delay are the game's.
    // `target` names the host for messages on the joining side ("host:port").
    Link(std::unique_ptr<Peer> peer, const Hello& mine, const LinkOptions& options,
         std::string target = "");

    // Takes in what arrived, moves the handshake on, notices a silent or departed
    // opponent or a desync, and sends what the session has to send.
    void Service(std::int64_t now_ms);
    // Ends this side's game and tells the other one (the player quit or gave up).
    void Leave();
    // Ends on a desync the caller found, telling the other side.
    void EndOnDesync(std::uint32_t steps);

    State state() const { return state_; }
    // One line for the player: what is being waited for, or why the game ended.
    const std::string& status() const { return status_; }
    // While Playing and after: the session and the host's hello (seed, delay).
    Lockstep& session() { return *session_; }
    const Hello& agreed() const { return agreed_; }
    // The game ended by Leave: this side's player gave up or quit.
    bool left() const { return left_; }
    // Set when the game ended because the two worlds differ: the steps run by then.
    std::optional<std::uint32_t> desync() const { return desync_; }

    // Packets that did not decode or were refused by the session; machines turned away.
    std::uint64_t malformed() const { return malformed_; }
    std::uint64_t rejected() const { return session_ ? session_->rejected() : 0; }
    std::uint64_t refused() const { return peer_->refused(); }
    const Peer& peer() const { return *peer_; }
    Peer& peer() { return *peer_; }

private:
    void Take(const Message& message, std::int64_t now_ms);
    void Greet(const Hello& theirs, std::int64_t now_ms);
    void StartSession(std::int64_t now_ms);
    void TakeCheck(const LevelCheck& check, std::int64_t now_ms);
    void TakePart(const LevelPart& part, std::int64_t now_ms);
    void SendLevel();
    void End(const std::string& status, std::optional<ByeReason> tell);
    void Send(const Message& message);

    std::unique_ptr<Peer> peer_;
    Hello mine_;
    Hello agreed_;
    LinkOptions options_;
    std::string target_;
    State state_ = State::Waiting;
    bool connected_ = false;
    std::string status_;
    std::unique_ptr<Lockstep> session_;
    std::optional<std::uint32_t> desync_;
    bool left_ = false;
    bool greeted_ = false;
    // Joining: the host's level as it arrives, while it does.
    bool receiving_ = false;
    std::vector<std::uint8_t> received_;
    std::uint32_t size_of_level_ = 0;
    int shown_percent_ = -1;
    std::optional<std::int64_t> waiting_since_;  // the first Service
    std::uint64_t malformed_ = 0;
};

}  // namespace net

#endif
