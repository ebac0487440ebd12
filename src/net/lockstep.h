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
    // Rollback: steps a side may run beyond the other side's records, on a guess of them;
    // 0 is lockstep.
    int prediction = 0;
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
//
// With prediction (rollback), step S may run before the other side's record of S is known,
// with a guess of it: the other player goes on doing what its last known record did,
// without commands. When the record arrives and differs from the guess, Mispredicted names
// the first step run on a wrong guess; the game takes its world back to before that step,
// Rewinds the session there and runs the steps again. A step is confirmed once it ran with
// both real records; only confirmed steps are digested, compared and recorded.
class Lockstep {
public:
    Lockstep(const LockstepOptions& options, std::int64_t now_ms);

    // The next step to run (= the steps run so far).
    std::uint32_t step() const { return step_; }
    int local_player() const { return options_.local_player; }
    int delay() const { return options_.delay; }
    bool predicting() const { return options_.prediction > 0; }

    // The local record for step() + delay is still to be given.
    bool LocalDue() const;
    // Gives that record, as it travels (see `travelling`).
    void AddLocal(const StepRecord& record);
    // Both records of step() are known; with prediction, the local one is and the other
    // side's is known or may be guessed.
    bool Ready() const;
    // Step step()'s record of the whole world: both players in player order, player 1's
    // commands before player 2's. Only when Ready().
    StepInput Input() const;
    // Step step() ran with Input().
    void Advance();

    // With prediction: the steps below this ran with both real records.
    std::uint32_t confirmed() const;
    // The first step that ran on a guess the other side's record proved wrong.
    std::optional<std::uint32_t> Mispredicted() const { return mispredicted_; }
    // The world is back before step `step` (>= confirmed()): it is the next to run.
    void Rewind(std::uint32_t step);
    // How many steps this side runs ahead of the other, as both sides' last reports show:
    // half the difference of what each holds of its own records beyond the other's, so
    // that the time the packets travel cancels out.
    int Lead() const;

    // The world after step() steps is to be digested (every digest_interval steps).
    bool DigestDue() const;
    void AddLocalDigest(std::uint64_t value) { AddLocalDigest(step_, value); }
    // With prediction: the world after `steps` confirmed steps, a multiple of the interval.
    void AddLocalDigest(std::uint32_t steps, std::uint64_t value);
    std::uint32_t digest_interval() const { return options_.digest_interval; }
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
    std::uint32_t LocalEnd() const;
    std::uint32_t RemoteEnd() const;
    // The other side's record of `step` as this side runs it: known, or guessed.
    const StepRecord& Remote(std::uint32_t step) const;
    void CheckGuess(std::uint32_t step, const StepRecord& record);

    LockstepOptions options_;
    std::uint32_t step_ = 0;
    // Local records of steps local_base_ .. local_base_ + size; kept until run and
    // acknowledged.
    std::deque<StepRecord> local_;
    std::uint32_t local_base_ = 0;
    // The other side's records of steps remote_base_ .. remote_base_ + size; kept until run
    // (with prediction: until confirmed).
    std::deque<StepRecord> remote_;
    std::uint32_t remote_base_ = 0;
    // With prediction: the other side's record as each step ran with it, known or guessed,
    // for the steps ran_base_ .. step_; kept until confirmed.
    std::deque<StepRecord> ran_;
    std::uint32_t ran_base_ = 0;
    StepRecord guess_;  // the last known record's actions, without its commands
    std::optional<std::uint32_t> mispredicted_;
    int their_lead_ = 0;  // their records beyond ours, as their last Steps packet showed
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
