#include "net/net_link.h"

#include <algorithm>
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
        if (!greeted_) Greet(*hello, now_ms);
        else ++malformed_;
    } else if (const Bye* bye = std::get_if<Bye>(&message)) {
        // A digest sent before the goodbye may have shown the step the worlds parted at.
        if (session_ && session_->desync()) desync_ = session_->desync();
        if (desync_) End("the two games went apart by step " + std::to_string(*desync_), std::nullopt);
        else End(farewell(bye->reason), std::nullopt);
    } else if (const LevelCheck* check = std::get_if<LevelCheck>(&message)) {
        TakeCheck(*check, now_ms);
    } else if (const LevelPart* part = std::get_if<LevelPart>(&message)) {
        TakePart(*part, now_ms);
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
    greeted_ = true;
    agreed_ = peer_->hosting() ? mine_ : theirs;
    const std::string& level = agreed_.level_name;
    if (level.empty()) return StartSession(now_ms);
    if (peer_->hosting()) {
        status_ = "The other player looks for the level " + level;
        return;
    }
    if (!options_.has_level || options_.has_level(agreed_)) {
        Send(LevelCheck{true});
        return StartSession(now_ms);
    }
    Send(LevelCheck{false});
    receiving_ = true;
    status_ = "Receiving the level " + level + " from the other player";
}

// The host answers the joiner's check: the game begins, or the level is sent first.
void Link::TakeCheck(const LevelCheck& check, std::int64_t now_ms) {
    if (!peer_->hosting() || !greeted_ || session_ || agreed_.level_name.empty()) {
        ++malformed_;
        return;
    }
    if (check.have) return StartSession(now_ms);
    if (!options_.offered_level) return End("this machine cannot send its level", ByeReason::Mismatch);
    SendLevel();
    status_ = "Sending the level " + agreed_.level_name + " to the other player";
}

void Link::SendLevel() {
    const std::vector<std::uint8_t>& file = *options_.offered_level;
    for (std::size_t at = 0; at < file.size(); at += kLevelPartBytes) {
        LevelPart part;
        part.size = static_cast<std::uint32_t>(file.size());
        part.offset = static_cast<std::uint32_t>(at);
        const std::size_t n = std::min(kLevelPartBytes, file.size() - at);
        part.bytes.assign(file.begin() + static_cast<std::ptrdiff_t>(at),
                          file.begin() + static_cast<std::ptrdiff_t>(at + n));
        Send(part);
    }
    peer_->Flush();
}

// The parts come reliably and in order: each must continue the file where the last one
// ended, at the size the first one gave.
void Link::TakePart(const LevelPart& part, std::int64_t now_ms) {
    if (!receiving_) {
        ++malformed_;
        return;
    }
    if (part.size > options_.max_level_bytes)
        return End("the other player's level is too large (" + std::to_string(part.size) +
                       " bytes)",
                   ByeReason::Mismatch);
    const bool first = received_.empty();
    if (part.offset != received_.size() || (!first && part.size != size_of_level_))
        return End("the other player's level arrived damaged", ByeReason::Mismatch);
    size_of_level_ = part.size;
    received_.insert(received_.end(), part.bytes.begin(), part.bytes.end());
    waiting_since_ = now_ms;
    const int percent = static_cast<int>(received_.size() * 100 / size_of_level_) / 10 * 10;
    if (percent != shown_percent_) {
        shown_percent_ = percent;
        status_ = "Receiving the level " + agreed_.level_name + ": " + std::to_string(percent) + " %";
    }
    if (received_.size() < size_of_level_) return;
    receiving_ = false;
    if (bytes_digest(received_.data(), received_.size()) != agreed_.level_digest)
        return End("the other player's level is not the one it announced", ByeReason::Mismatch);
    std::string why;
    if (!options_.take_level || !options_.take_level(agreed_, received_, &why))
        return End("the other player's level was refused: " + why, ByeReason::Mismatch);
    received_.clear();
    received_.shrink_to_fit();
    Send(LevelCheck{true});
    StartSession(now_ms);
}

void Link::StartSession(std::int64_t now_ms) {
    LockstepOptions options;
    options.local_player = peer_->hosting() ? 1 : 2;
    options.delay = agreed_.delay;
    options.prediction = agreed_.rollback;
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
