#ifndef VORLIN_GAME_STEP_INPUT_H
#define VORLIN_GAME_STEP_INPUT_H

#include <string>
#include <vector>

// What one player does in one logic step, as the step applies it.
struct PlayerActions {
    int bits = 0;     // ACT_* bits but ACT_ROPE; 0 also for a player whose keys the console holds
    int weapon = -1;  // with ACT_WEAPON: position in the player's weapon list to switch to
    bool rope = false;  // the rope key was pressed; never in a game without the rope rule
};

// Everything that enters the world in one logic step, gathered before the world moves.
// Every source of input (the keyboard, a gamepad, the computer opponent, a replay file,
// the other machine of a network game) ends up here; the step reads nothing else.
struct StepInput {
    std::vector<PlayerActions> players;  // in player order, player 1 first
    std::vector<std::string> commands;   // world-changing console lines, in the order given
};

#endif
