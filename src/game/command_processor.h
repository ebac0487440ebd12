#ifndef VORLIN_GAME_COMMAND_PROCESSOR_H
#define VORLIN_GAME_COMMAND_PROCESSOR_H

#include <string>

#include "game/game.h"

// The console's commands: quit, select, player (info, health) and stats (timing).
class Game::CommandProcessor : public Game::Console::CommandProcessor {
public:
    Game* game;  // not owned

    explicit CommandProcessor(Game* game);
    void Process(std::istream& args, std::ostream& out) override;

    // True for a line that changes the world ("select", "player health"): such a line
    // must reach every copy of a game at the same step, so it travels in the step record
    // (StepInput::commands) instead of acting when typed. The others only show or switch
    // something on this screen, or end the program.
    static bool ChangesWorld(const std::string& line);
};

#endif
