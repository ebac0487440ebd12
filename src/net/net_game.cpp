#include "net/net_game.h"

#include <algorithm>
#include <sstream>
#include <string>

#include "game/game.h"
#include "net/net_link.h"
#include "replay/replay_format.h"
#include "replay/replay_recorder.h"
#include "replay/world_digest.h"

namespace net {

namespace {

// A side that runs ahead leaves out at most one tick in this many: a frame shown twice
// now and then, never a visible stop.
constexpr int kTicksBetweenSlowing = 10;
// Steps ahead of the other side that are let be: the estimate wavers by one.
constexpr int kLeadLetBe = 1;

}  // namespace

NetGame::NetGame(Game& game, Link& link, ReplayRecorder* recorder)
    : game_(game), link_(link), recorder_(recorder),
      router_(game, CommandRouter::Mode::Hold) {
    if (!link_.session().predicting()) return;
    saver_ = std::make_unique<WorldSaver>(game_);
    // Every step not yet confirmed, the one being run and the oldest one kept.
    ring_.resize(static_cast<std::size_t>(kMaxPrediction) + 2);
}

NetGame::~NetGame() = default;

NetGame::Outcome NetGame::Tick(std::int64_t now_ms, bool may_step) {
    // Only a step makes a sound: a tick that waits must not repeat the last one's.
    game_.sounds.Clear();
    link_.Service(now_ms);
    if (link_.state() == Link::State::Ended) return Outcome::Ended;
    if (link_.state() != Link::State::Playing) return Outcome::Waiting;
    const Outcome outcome =
        saver_ ? TickWithRollback(now_ms, may_step) : TickInLockstep(now_ms, may_step);
    if (outcome == Outcome::Ended) {
        link_.Leave();
        return outcome;
    }
    link_.Service(now_ms);
    return link_.state() == Link::State::Ended ? Outcome::Ended : outcome;
}

NetGame::Outcome NetGame::TickInLockstep(std::int64_t now_ms, bool may_step) {
    if (!may_step) return Outcome::Waiting;
    if (link_.session().LocalDue()) GiveLocalRecord();
    if (!link_.session().Ready()) {
        link_.Service(now_ms);
        return Outcome::Waiting;
    }
    return RunStep() ? Outcome::Stepped : Outcome::Ended;
}

void NetGame::GiveLocalRecord() {
    Lockstep& session = link_.session();
    const StepInput all = game_.GatherInput();
    StepRecord mine;
    const std::size_t index = static_cast<std::size_t>(session.local_player() - 1);
    if (index < all.players.size()) mine.actions = all.players[index];
    for (std::string& line : router_.router().TakeHeld()) {
        if (line.size() <= kMaxCommandLength) typed_.push_back(std::move(line));
        else game_.console << "Too long a command for a network game" << std::endl;
    }
    // A record carries a few lines; the rest follow in the next ones, in the order typed.
    const std::size_t n = std::min(typed_.size(), kMaxCommandsPerRecord);
    mine.commands.assign(typed_.begin(), typed_.begin() + static_cast<std::ptrdiff_t>(n));
    typed_.erase(typed_.begin(), typed_.begin() + static_cast<std::ptrdiff_t>(n));
    session.AddLocal(mine);
}

// False when the game must end here.
bool NetGame::RunStep() {
    Lockstep& session = link_.session();
    const StepInput input = session.Input();
    if (recorder_) recorder_->Record(input);
    const bool go_on = game_.Step(input, game_.step_dt);
    session.Advance();
    if (recorder_) recorder_->Checkpoint(game_);
    if (session.DigestDue()) session.AddLocalDigest(world_digest(game_));
    return go_on && !game_.quit;
}

NetGame::Outcome NetGame::TickWithRollback(std::int64_t now_ms, bool may_step) {
    PlayAgainFromWrongGuess();
    Lockstep& session = link_.session();
    if (may_step && session.LocalDue()) GiveLocalRecord();
    Outcome outcome = Outcome::Waiting;
    if (may_step && !session.Ready()) ++count_.waited;
    else if (may_step && !SlowDownForTheOtherSide())
        outcome = RunGuessedStep() ? Outcome::Stepped : Outcome::Ended;
    // A record that came while this tick ran may already confirm the step.
    link_.Service(now_ms);
    PlayAgainFromWrongGuess();
    HandOnConfirmed();
    return outcome;
}

// The other side's record proved a guess wrong: the world goes back to before the first
// step that ran on it, and every step since runs again with what is known now.
void NetGame::PlayAgainFromWrongGuess() {
    Lockstep& session = link_.session();
    const std::optional<std::uint32_t> wrong = session.Mispredicted();
    if (!wrong) return;
    const std::uint32_t until = session.step();
    saver_->Restore(At(*wrong).before);
    session.Rewind(*wrong);
    while (session.step() < until) {
        const std::uint32_t number = session.step();
        Played& step = At(number);
        // Saved again: the terrain journal's positions are those of the world played again.
        saver_->Save(&step.before);
        step.input = session.Input();
        std::ostringstream replies;
        game_.WorldStep(step.input, game_.step_dt, replies);
        step.replies = replies.str();
        Play(step, number);
        session.Advance();
    }
    // What the rollback put back shows in the frame even when no step follows.
    game_.level.UpdateChanged();
    const std::uint32_t depth = until - *wrong;
    ++count_.rollbacks;
    count_.steps_again += depth;
    count_.deepest = std::max(count_.deepest, depth);
}

// The next step, on a guess of the other side's record when it is not known yet: the
// whole step of the game, its console and Escape included. False when the game must end.
bool NetGame::RunGuessedStep() {
    Lockstep& session = link_.session();
    const std::uint32_t number = session.step();
    Played& step = At(number);
    saver_->Save(&step.before);
    step.input = session.Input();
    std::ostringstream replies;
    const bool go_on = game_.Step(step.input, game_.step_dt, replies);
    step.replies = replies.str();
    Play(step, number);
    session.Advance();
    return go_on && !game_.quit;
}

// Keeps what the step that just ran made of the world, for when it is confirmed.
void NetGame::Play(Played& step, std::uint32_t number) {
    step.sounds = game_.sounds;
    game_.sounds.Clear();
    step.digest = DigestDueAfter(number) ? world_digest(game_) : 0;
}

bool NetGame::DigestDueAfter(std::uint32_t number) const {
    const std::uint64_t steps = std::uint64_t{number} + 1;
    return steps % kDigestInterval == 0 ||
           steps % link_.session().digest_interval() == 0;
}

void NetGame::HandOnConfirmed() {
    Lockstep& session = link_.session();
    const std::uint32_t confirmed = session.confirmed();
    for (; handed_on_ < confirmed; ++handed_on_) {
        const Played& step = At(handed_on_);
        const std::uint32_t steps = handed_on_ + 1;
        if (recorder_) {
            recorder_->Record(step.input);
            recorder_->Checkpoint(step.digest);
        }
        if (steps % session.digest_interval() == 0) session.AddLocalDigest(steps, step.digest);
        if (!step.replies.empty()) game_.console << step.replies << std::flush;
        game_.sounds.Add(step.sounds);
    }
    // Nothing before the oldest step not confirmed will be taken back.
    if (confirmed < session.step()) saver_->Forget(At(confirmed).before);
}

// A side that runs ahead of the other makes the other guess ever further; it leaves out
// a tick now and then until the two are within a step.
bool NetGame::SlowDownForTheOtherSide() {
    if (++ticks_since_slowed_ < kTicksBetweenSlowing) return false;
    if (link_.session().Lead() <= kLeadLetBe) return false;
    ticks_since_slowed_ = 0;
    ++count_.slowed;
    return true;
}

bool NetGame::Settled() const {
    return !saver_ || link_.session().confirmed() == link_.session().step();
}

void NetGame::Settle() {
    if (!saver_) return;
    // Records may have come since the last tick: what they confirm belongs to the replay.
    PlayAgainFromWrongGuess();
    HandOnConfirmed();
    if (Settled()) return;
    Lockstep& session = link_.session();
    const std::uint32_t confirmed = session.confirmed();
    saver_->Restore(At(confirmed).before);
    session.Rewind(confirmed);
    game_.level.UpdateChanged();
}

}  // namespace net
