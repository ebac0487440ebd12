#include "net/lockstep.h"

#include <algorithm>

namespace net {

namespace {

// Digests older than this many intervals behind the current step are no longer compared:
// the other side's copy would have had to wait that long in flight.
constexpr std::uint32_t kKeptDigests = 8;

std::uint32_t end_of(std::uint32_t base, std::size_t size) {
    return base + static_cast<std::uint32_t>(size);
}

}  // namespace

Lockstep::Lockstep(const LockstepOptions& options, std::int64_t now_ms)
    : options_(options),
      local_(static_cast<std::size_t>(options.delay)),
      remote_(static_cast<std::size_t>(options.delay)),
      acknowledged_(static_cast<std::uint32_t>(options.delay)),
      sent_end_(static_cast<std::uint32_t>(options.delay)),
      last_sent_(now_ms - options.keepalive_ms),
      last_heard_(now_ms) {
    if (options_.digest_interval == 0) options_.digest_interval = 1;
}

std::uint32_t Lockstep::LocalEnd() const { return end_of(local_base_, local_.size()); }
std::uint32_t Lockstep::RemoteEnd() const { return end_of(remote_base_, remote_.size()); }

bool Lockstep::LocalDue() const {
    const std::uint32_t end = LocalEnd();
    return end <= step_ + static_cast<std::uint32_t>(options_.delay) &&
           end - acknowledged_ < kMaxRecordsPerPacket;
}

void Lockstep::AddLocal(const StepRecord& record) { local_.push_back(travelling(record)); }

bool Lockstep::Ready() const {
    return step_ < LocalEnd() &&
           step_ < RemoteEnd() + static_cast<std::uint32_t>(options_.prediction);
}

const StepRecord& Lockstep::Remote(std::uint32_t step) const {
    return step < RemoteEnd() ? remote_[step - remote_base_] : guess_;
}

StepInput Lockstep::Input() const {
    const StepRecord& mine = local_[step_ - local_base_];
    const StepRecord& theirs = Remote(step_);
    const StepRecord& first = options_.local_player == 1 ? mine : theirs;
    const StepRecord& second = options_.local_player == 1 ? theirs : mine;
    StepInput input;
    input.players = {first.actions, second.actions};
    input.commands = first.commands;
    input.commands.insert(input.commands.end(), second.commands.begin(), second.commands.end());
    return input;
}

void Lockstep::Advance() {
    if (predicting()) ran_.push_back(Remote(step_));
    ++step_;
    Forget();
}

std::uint32_t Lockstep::confirmed() const {
    const std::uint32_t known = std::min(step_, RemoteEnd());
    return mispredicted_ ? std::min(known, *mispredicted_) : known;
}

void Lockstep::Rewind(std::uint32_t step) {
    if (step < ran_base_ || step > step_) return;
    ran_.resize(step - ran_base_);
    step_ = step;
    mispredicted_.reset();
}

int Lockstep::Lead() const {
    const int mine = static_cast<int>(static_cast<std::int64_t>(LocalEnd()) - RemoteEnd());
    return (mine - their_lead_) / 2;
}

void Lockstep::CheckGuess(std::uint32_t step, const StepRecord& record) {
    if (step >= step_ || step < ran_base_) return;
    if (record == ran_[step - ran_base_]) return;
    if (!mispredicted_ || step < *mispredicted_) mispredicted_ = step;
}

void Lockstep::Forget() {
    const std::uint32_t done = confirmed();
    while (!local_.empty() && local_base_ < std::min(done, acknowledged_)) {
        local_.pop_front();
        ++local_base_;
    }
    while (!remote_.empty() && remote_base_ < done) {
        remote_.pop_front();
        ++remote_base_;
    }
    while (!ran_.empty() && ran_base_ < done) {
        ran_.pop_front();
        ++ran_base_;
    }
    const std::uint32_t span = options_.digest_interval * kKeptDigests;
    const std::uint32_t oldest = step_ > span ? step_ - span : 0;
    for (auto* digests : {&local_digests_, &remote_digests_})
        digests->erase(digests->begin(), digests->lower_bound(oldest));
}

bool Lockstep::DigestDue() const {
    // A rollback session's steps are digested as they are confirmed, by the caller.
    return !predicting() && step_ > 0 && step_ % options_.digest_interval == 0 &&
           !local_digests_.count(step_);
}

void Lockstep::AddLocalDigest(std::uint32_t steps, std::uint64_t value) {
    local_digests_[steps] = value;
    digests_to_send_.push_back(Digest{steps, value});
    Compare(steps);
}

void Lockstep::Compare(std::uint32_t steps) {
    auto mine = local_digests_.find(steps);
    auto theirs = remote_digests_.find(steps);
    if (mine == local_digests_.end() || theirs == remote_digests_.end()) return;
    if (mine->second != theirs->second && (!desync_ || steps < *desync_)) desync_ = steps;
    local_digests_.erase(mine);
    remote_digests_.erase(theirs);
}

bool Lockstep::Reject() {
    ++rejected_;
    return false;
}

bool Lockstep::Receive(const Steps& steps, std::int64_t now_ms) {
    const std::uint32_t local_end = end_of(local_base_, local_.size());
    const std::uint32_t remote_end = end_of(remote_base_, remote_.size());
    const std::uint32_t last = end_of(steps.first, steps.records.size());
    // The other side runs a step only with our record of it (or at most `prediction` steps
    // beyond our records), and gives records at most `delay` steps beyond the step it is
    // about to run.
    const bool ahead = last > local_end + static_cast<std::uint32_t>(options_.delay) +
                                  static_cast<std::uint32_t>(options_.prediction) + 1;
    const bool behind = last + kMaxRecordsPerPacket < step_;
    const bool gap = !steps.records.empty() && steps.first > remote_end;
    if (steps.received > local_end || ahead || behind || gap) return Reject();

    for (std::uint32_t s = std::max(steps.first, remote_end); s < last; ++s) {
        const StepRecord& record = steps.records[s - steps.first];
        if (predicting()) CheckGuess(s, record);
        remote_.push_back(record);
        guess_.actions = record.actions;
    }
    acknowledged_ = std::max(acknowledged_, steps.received);
    their_lead_ = static_cast<int>(static_cast<std::int64_t>(last) - steps.received);
    last_heard_ = now_ms;
    Forget();
    return true;
}

bool Lockstep::Receive(const Digest& digest, std::int64_t now_ms) {
    const std::uint32_t local_end = end_of(local_base_, local_.size());
    const std::uint32_t span = options_.digest_interval * kKeptDigests;
    if (digest.steps == 0 || digest.steps % options_.digest_interval != 0 ||
        digest.steps > local_end || digest.steps + span < step_)
        return Reject();
    remote_digests_[digest.steps] = digest.value;
    last_heard_ = now_ms;
    Compare(digest.steps);
    return true;
}

Steps Lockstep::Unacknowledged() const {
    Steps steps;
    steps.received = end_of(remote_base_, remote_.size());
    steps.first = acknowledged_;
    std::size_t bytes = kStepsHeaderBytes;
    for (std::uint32_t s = acknowledged_; s < end_of(local_base_, local_.size()); ++s) {
        const StepRecord& record = local_[s - local_base_];
        bytes += encoded_size(record);
        if (steps.records.size() == kMaxRecordsPerPacket || bytes > kMaxPacketBytes) break;
        steps.records.push_back(record);
    }
    return steps;
}

std::vector<Message> Lockstep::Outgoing(std::int64_t now_ms) {
    std::vector<Message> out;
    const std::uint32_t local_end = end_of(local_base_, local_.size());
    // Acknowledgements ride on the next record; alone they go only with the keepalive.
    if (local_end > sent_end_ || now_ms - last_sent_ >= options_.keepalive_ms) {
        out.emplace_back(std::in_place_type<Steps>, Unacknowledged());
        sent_end_ = local_end;
        last_sent_ = now_ms;
    }
    for (const Digest& d : digests_to_send_) out.emplace_back(std::in_place_type<Digest>, d);
    digests_to_send_.clear();
    return out;
}

bool Lockstep::Silent(std::int64_t now_ms) const {
    return now_ms - last_heard_ >= options_.silence_ms;
}

}  // namespace net
