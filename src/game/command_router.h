#ifndef VORLIN_GAME_COMMAND_ROUTER_H
#define VORLIN_GAME_COMMAND_ROUTER_H

#include <string>
#include <vector>

#include "game/game.h"

// Stands between the console and the game's command processor when the world must only
// change through the step records (a game being recorded or watched, later a network
// game). A line that changes the world (CommandProcessor::ChangesWorld) is held for the
// next step's record, or refused with a message while a replay is watched; every other
// line goes to the processor at once, as without a router.
class CommandRouter final : public Game::Console::CommandProcessor {
public:
    enum class Mode {
        Hold,    // kept for the next step record
        Refuse,  // answered with a message, never applied
    };

    CommandRouter(Game::Console::CommandProcessor* processor, Mode mode);
    CommandRouter(const CommandRouter&) = delete;
    CommandRouter& operator=(const CommandRouter&) = delete;

    void Process(std::istream& args, std::ostream& out) override;

    // The held lines in the order typed; they are handed over once.
    std::vector<std::string> TakeHeld();

private:
    Game::Console::CommandProcessor* processor_;  // not owned
    Mode mode_;
    std::vector<std::string> held_;
};

// Longest line a router holds for the record; a longer one is refused with a message.
constexpr std::size_t kMaxHeldCommand = 1000;

// Puts a router between a game's console and its processor for one scope.
class ScopedCommandRouter {
public:
    ScopedCommandRouter(Game& game, CommandRouter::Mode mode);
    ~ScopedCommandRouter();
    ScopedCommandRouter(const ScopedCommandRouter&) = delete;
    ScopedCommandRouter& operator=(const ScopedCommandRouter&) = delete;

    CommandRouter& router() { return router_; }

private:
    Game& game_;
    Game::Console::CommandProcessor* replaced_;
    CommandRouter router_;
};

#endif
