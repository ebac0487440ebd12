#ifndef VORLIN_GAME_SOUND_SINK_H
#define VORLIN_GAME_SOUND_SINK_H

class Game;

// Plays the sounds of each step after it; the windowed game sets one on its Game, every
// other user of a Game (tests, tools, the headless arena) runs without.
class SoundSink {
public:
    virtual ~SoundSink() = default;
    // Called once after every step, with the step's events in game.sounds.
    virtual void Play(const Game& game) = 0;
};

#endif
