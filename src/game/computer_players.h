#ifndef VORLIN_GAME_COMPUTER_PLAYERS_H
#define VORLIN_GAME_COMPUTER_PLAYERS_H

#include <memory>
#include <string>

class InputHandler;

// Makes the input handlers that play a player in place of its keys: the computer
// opponents live above the game, so whoever starts a game hands it one of these
// (Game::computers). What they make decides bits only; every bit still reaches the world
// through the step record.
class ComputerPlayers {
public:
    virtual ~ComputerPlayers() = default;

    // The handler that plays player `number` from the start, and in *who what it is
    // ("the computer (normal)"); null leaves the player its keys.
    virtual std::unique_ptr<InputHandler> AtStart(int number, std::string* who) = 0;

    // A computer player for player `number` handed over during the game, of skill `skill`
    // ("" for the configured one), and in *who what it is; null, with the reason in *who,
    // for a skill it does not know.
    virtual std::unique_ptr<InputHandler> HandOver(int number, const std::string& skill,
                                                   std::string* who) = 0;
};

#endif
