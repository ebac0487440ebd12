#include "net/net_link.h"

#include <utility>

#include "net/handshake.h"

namespace net {

namespace {

// How long a goodbye may take to be acknowledged before the connection is dropped.
constexpr int kCloseWaitMs = 200;

const char* farewell(ByeReason reason) {
    switch (reason) {
    case ByeReason::Busy:
        return "the host already has an opponent";
    case ByeReason::Desync:
        return "the two games went apart";
    case ByeReason::Mismatch:
        return "the other player cannot play this game";
    case ByeReason::Left:
        break;
    }
    return "the other player left the game";
}

std::string seconds(std::int64_t ms) {
    std::string text = std::to_string(ms / 1000);
    if (ms % 1000) text += "." + std::to_string(ms % 1000 / 100);
    return text;
}

}  // namespace

Link::Link(std::unique_ptr<Peer> peer, const Hello& mine, const LinkOptions& options,
           std::string target)
    : peer_(std::move(peer)), mine_(mine), options_(options), target_(std::move(target)) {
    status_ = peer_->hosting()
                  ? "Waiting for the other player on UDP port " + std::to_string(peer_->port())
                  : "Connecting to " + target_;
}

void Link::Service(std::int64_t now_ms) {
    Peer::Event event;
    while (state_ != State::Ended && peer_->Poll(&event)) {
        if (event.kind == Peer::EventKind::Connected) {
            connected_ = true;
            Send(mine_);
            status_ = "Greeting the other player";
        } else if (event.kind == Peer::EventKind::Disconnected) {
            if (!connected_)
                End("no answer from " + target_, std::nullopt);
            else
                End("the connection to the other player was lost", std::nullopt);
        } else {
            std::optional<Message> m = decode(event.data.data(), event.data.size());
            if (!m) ++malformed_;
            else Take(*m, now_ms);
        }
    }
    if (!waiting_since_) waiting_since_ = now_ms;
    // A host waits for its opponent as long as its player likes; a joiner does not.
    if (state_ == State::Waiting && !peer_->hosting() &&
        now_ms - *waiting_since_ >= options_.silence_ms)
        return End("no answer from " + target_, std::nullopt);
    if (state_ != State::Playing) return;
    // Nothing is told to a side that has not been heard for so long.
    if (session_->Silent(now_ms))
        return End("the other player has been silent for " + seconds(options_.silence_ms) + " s",
                   std::nullopt);
    // Our digests go out before a goodbye on a desync, so the other side can name the step.
    for (const Message& m : session_->Outgoing(now_ms)) Send(m);
    if (session_->desync()) return EndOnDesync(*session_->desync());
    peer_->Flush();
}

void Link::Take(const Message& message, std::int64_t now_ms) {
    if (const Hello* hello = std::get_if<Hello>(&message)) {
        if (!session_) Greet(*hello, now_ms);
        else ++malformed_;
    } else if (const Bye* bye = std::get_if<Bye>(&message)) {
        // A digest sent before the goodbye may have shown the step the worlds parted at.
        if (session_ && session_->desync()) desync_ = session_->desync();
        if (desync_) End("the two games went apart by step " + std::to_string(*desync_), std::nullopt);
        else End(farewell(bye->reason), std::nullopt);
    } else if (!session_) {
        // Records sent before our hello arrived there repeat until acknowledged.
    } else if (const Steps* steps = std::get_if<Steps>(&message)) {
        session_->Receive(*steps, now_ms);
    } else if (const Digest* digest = std::get_if<Digest>(&message)) {
        session_->Receive(*digest, now_ms);
    }
}

void Link::Greet(const Hello& theirs, std::int64_t now_ms) {
    if (std::optional<std::string> why = mismatch(mine_, theirs, peer_->hosting()))
        return End(*why, ByeReason::Mismatch);
    agreed_ = peer_->hosting() ? mine_ : theirs;
    LockstepOptions options;
    options.local_player = peer_->hosting() ? 1 : 2;
    options.delay = agreed_.delay;
    options.digest_interval = options_.digest_interval;
    options.silence_ms = options_.silence_ms;
    options.keepalive_ms = options_.keepalive_ms;
    session_ = std::make_unique<Lockstep>(options, now_ms);
    state_ = State::Playing;
    status_ = "Playing";
}

void Link::Leave() {
    if (state_ == State::Ended) return;
    left_ = true;
    End("you left the game", ByeReason::Left);
}

void Link::EndOnDesync(std::uint32_t steps) {
    if (state_ == State::Ended) return;
    desync_ = steps;
    End("the two games went apart by step " + std::to_string(steps), ByeReason::Desync);
}

void Link::End(const std::string& status, std::optional<ByeReason> tell) {
    status_ = status;
    state_ = State::Ended;
    if (tell && peer_->connected()) {
        Send(Bye{*tell});
        peer_->Close(kCloseWaitMs);
    }
}

void Link::Send(const Message& message) {
    // Step records repeat until acknowledged; everything else must arrive, in order.
    peer_->Send(encode(message), !std::holds_alternative<Steps>(message));
}

}  // namespace net
