#ifndef VORLIN_GAME_CONSOLE_COMMANDS_H
#define VORLIN_GAME_CONSOLE_COMMANDS_H

#include <iosfwd>
#include <string>

#include "game/game.h"

// The console's commands: quit, select, player (info, health, bot, human) and stats
// (timing).
class Game::CommandProcessor : public Game::Console::CommandProcessor {
public:
    Game* game;  // not owned

    explicit CommandProcessor(Game* game);
    void Process(std::istream& args, std::ostream& out) override;

    // True for a line that changes the world ("select", "player health", "player bot",
    // "player human"): such a line must reach every copy of a game at the same step, so it
    // travels in the step record (StepInput::commands) instead of acting when typed. The
    // others only show or switch something on this screen, or end the program.
    static bool ChangesWorld(const std::string& line);

private:
    // The next word of the line; empty when there is none.
    static std::string NextWord(std::istream& args);
    void SelectPlayer(std::istream& args, std::ostream& out);
    // "player" and its sub-command `sub`: false when `sub` is none of its own.
    bool PlayerCommand(const std::string& sub, std::istream& args, std::ostream& out);
    // "player bot [SKILL]": the computer plays `player` from the next step on.
    void HandToComputer(const Player& player, const std::string& skill, std::ostream& out);
    void Stats(std::istream& args, std::ostream& out);
    // Kills and deaths of every player, one line each after the header.
    void ScoreTable(std::ostream& out) const;
    // "stats match": the rules, how the match stands and every player's figures.
    void MatchTable(std::ostream& out) const;
};

#endif
