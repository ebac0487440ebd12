#include "net/net_game.h"

#include <utility>

#include "game/game.h"
#include "net/net_link.h"

namespace net {

NetGame::NetGame(Game& game, Link& link, DigestFn digest)
    : game_(game), link_(link), digest_(std::move(digest)) {}

NetGame::Outcome NetGame::Tick(std::int64_t now_ms) {
    link_.Service(now_ms);
    if (link_.state() == Link::State::Ended) return Outcome::Ended;
    if (link_.state() != Link::State::Playing) return Outcome::Waiting;

    Lockstep& session = link_.session();
    if (session.LocalDue()) {
        StepInput all = game_.GatherInput();
        StepRecord mine;
        const std::size_t index = static_cast<std::size_t>(session.local_player() - 1);
        if (index < all.players.size()) mine.actions = all.players[index];
        mine.commands = std::move(all.commands);
        session.AddLocal(mine);
    }
    if (!session.Ready()) {
        link_.Service(now_ms);
        return Outcome::Waiting;
    }

    const bool go_on = game_.Step(session.Input(), game_.step_dt);
    session.Advance();
    if (session.DigestDue()) session.AddLocalDigest(digest_(game_));
    if (!go_on || game_.quit) {
        link_.Leave();
        return Outcome::Ended;
    }
    link_.Service(now_ms);
    return link_.state() == Link::State::Ended ? Outcome::Ended : Outcome::Stepped;
}

}  // namespace net
