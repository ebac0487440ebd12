#ifndef VORLIN_NET_LOCKSTEP_H
#define VORLIN_NET_LOCKSTEP_H

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <vector>

#include "game/step_input.h"
#include "net/net_packet.h"

namespace net {

struct LockstepOptions {
    int local_player = 1;  // 1 on the host, 2 on the joiner
    int delay = 3;         // steps between giving a local record and running it
    std::uint32_t digest_interval = 60;  // steps between two compared world digests
    std::int64_t silence_ms = 10000;     // the other side is gone after this long unheard
    std::int64_t keepalive_ms = 50;      // longest pause between two packets sent
};

// One side of a game played in lockstep, without sockets or clocks: times come in as
// milliseconds from any fixed origin.
//
// Step S runs when both players' records for S are known. Each side gives its record for
// S + delay while it is about to run S; the first `delay` records of both sides are empty.
// Every Steps packet repeats the local records the other side has not acknowledged, so a
// lost packet costs no waiting as long as a later one arrives in time.
//
// Memory stays bounded whatever arrives: records and digests are kept only within a
// window around the current step, and a side that stops acknowledging stops the local
// records (and so the game) rather than piling them up.
class Lockstep {
public:
    Lockstep(const LockstepOptions& options, std::int64_t now_ms);

    // The next step to run (= the steps run so far).
    std::uint32_t step() const { return step_; }
    int local_player() const { return options_.local_player; }
    int delay() const { return options_.delay; }

    // The local record for step() + delay is still to be given.
    bool LocalDue() const;
    // Gives that record, as it travels (see `travelling`).
    void AddLocal(const StepRecord& record);
    // Both records of step() are known.
    bool Ready() const;
    // Step step()'s record of the whole world: both players in player order, player 1's
    // commands before player 2's. Only when Ready().
    StepInput Input() const;
    // Step step() ran.
    void Advance();

    // The world after step() steps is to be digested (every digest_interval steps).
    bool DigestDue() const;
    void AddLocalDigest(std::uint64_t value);
    // The steps run when the two worlds' digests first differed.
    std::optional<std::uint32_t> desync() const { return desync_; }

    // Takes what the other side sent. False (and counted) when it cannot be true of a
    // side playing this game: step numbers outside the window, a gap, an acknowledgement
    // of records never sent.
    bool Receive(const Steps& steps, std::int64_t now_ms);
    bool Receive(const Digest& digest, std::int64_t now_ms);

    // What to send now, in order: a Steps packet when there is a new local record or the
    // line has been quiet for keepalive_ms (acknowledgements ride along); the digests not
    // sent yet.
    std::vector<Message> Outgoing(std::int64_t now_ms);

    // Nothing accepted from the other side for silence_ms.
    bool Silent(std::int64_t now_ms) const;
    std::uint64_t rejected() const { return rejected_; }

private:
    bool Reject();
    void Forget();
    void Compare(std::uint32_t steps);
    Steps Unacknowledged() const;

    LockstepOptions options_;
    std::uint32_t step_ = 0;
    // Local records of steps local_base_ .. local_base_ + size; kept until run and
    // acknowledged.
    std::deque<StepRecord> local_;
    std::uint32_t local_base_ = 0;
    // The other side's records of steps remote_base_ .. remote_base_ + size; kept until run.
    std::deque<StepRecord> remote_;
    std::uint32_t remote_base_ = 0;
    std::uint32_t acknowledged_ = 0;  // the other side holds our records below this
    std::uint32_t sent_end_ = 0;      // our records below this have been sent at least once
    std::int64_t last_sent_ = 0;
    std::int64_t last_heard_ = 0;
    std::map<std::uint32_t, std::uint64_t> local_digests_, remote_digests_;
    std::vector<Digest> digests_to_send_;
    std::optional<std::uint32_t> desync_;
    std::uint64_t rejected_ = 0;
};

}  // namespace net

#endif
