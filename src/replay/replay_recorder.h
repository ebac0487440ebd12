#ifndef VORLIN_REPLAY_REPLAY_RECORDER_H
#define VORLIN_REPLAY_REPLAY_RECORDER_H

#include <string>

#include "game/step_input.h"
#include "replay/replay_writer.h"

class Game;

// Records a game into a replay: the header before the game is loaded, then the record
// of every step as Game::Step receives it and the world's digest whenever one is due.
class ReplayRecorder {
public:
    bool Open(const std::string& path, const ReplayHeader& header, std::string* why) {
        return writer_.Open(path, header, why);
    }
    // After the game is loaded and after every step: stores the digest when one is due.
    void Checkpoint(const Game& game);
    // The same with the world's digest taken already (by whoever ran the step, when a
    // digest was due after it).
    void Checkpoint(std::uint64_t digest) {
        if (writer_.DigestDue()) writer_.AddDigest(digest);
    }
    // Before Game::Step takes it.
    void Record(const StepInput& input) { writer_.AddStep(input); }
    // The end record; true when the whole replay reached the file.
    bool Finish(const Game& game);

    const std::string& error() const { return writer_.error(); }
    std::uint64_t steps() const { return writer_.steps(); }

private:
    ReplayWriter writer_;
};

#endif
