#ifndef VORLIN_GAME_COMMAND_PROCESSOR_H
#define VORLIN_GAME_COMMAND_PROCESSOR_H

#include "game/game.h"

// The console's commands: quit, select, player (info, health) and stats (timing).
class Game::CommandProcessor : public Game::Console::CommandProcessor {
public:
    Game* game;  // not owned

    explicit CommandProcessor(Game* game);
    void Process(std::istream& args, std::ostream& out) override;
};

#endif
