#ifndef VORLIN_GAME_STEP_DRIVER_H
#define VORLIN_GAME_STEP_DRIVER_H

#include <string>

class Game;

// Takes over what the main loop does at each timer tick, for a game whose steps come
// from elsewhere or go somewhere too (a replay being recorded or watched, later a
// network game). Without one the loop runs Game::Logic.
class StepDriver {
public:
    virtual ~StepDriver() = default;
    // Once, before the level is loaded (loading draws from the world's random generator,
    // which a driver may have to set first). False when the game must not start; neither
    // Begin nor End follows then.
    virtual bool Prepare(Game&) { return true; }
    // The level file to load, once prepared: the one the game was asked for, unless the
    // driver learnt of another (the host's level, in a network game).
    virtual std::string LevelFile(const std::string& asked) const { return asked; }
    // Once, after the level and the players are loaded and step_dt is set, before the
    // first tick.
    virtual void Begin(Game& game) = 0;
    // One timer tick: usually one Game::Step. False when the game must end.
    virtual bool Tick(Game& game) = 0;
    // Whether the world shown is final. A network game that guesses the other side's keys
    // may take steps back, a match's end among them: its ticks go on until it is final.
    virtual bool Settled() const { return true; }
    // Once, after the loop, however it ended.
    virtual void End(Game& game) = 0;
};

#endif
