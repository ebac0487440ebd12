#include "net/net_game.h"

#include <algorithm>
#include <string>

#include "game/game.h"
#include "net/net_link.h"
#include "replay/replay_recorder.h"
#include "replay/world_digest.h"

namespace net {

NetGame::NetGame(Game& game, Link& link, ReplayRecorder* recorder)
    : game_(game), link_(link), recorder_(recorder),
      router_(game, CommandRouter::Mode::Hold) {}

NetGame::Outcome NetGame::Tick(std::int64_t now_ms) {
    link_.Service(now_ms);
    if (link_.state() == Link::State::Ended) return Outcome::Ended;
    if (link_.state() != Link::State::Playing) return Outcome::Waiting;

    if (link_.session().LocalDue()) GiveLocalRecord();
    if (!link_.session().Ready()) {
        link_.Service(now_ms);
        return Outcome::Waiting;
    }
    if (!RunStep()) {
        link_.Leave();
        return Outcome::Ended;
    }
    link_.Service(now_ms);
    return link_.state() == Link::State::Ended ? Outcome::Ended : Outcome::Stepped;
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

}  // namespace net
