#ifndef VORLIN_REPLAY_REPLAY_WRITER_H
#define VORLIN_REPLAY_REPLAY_WRITER_H

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "game/step_input.h"
#include "replay/replay_format.h"

// Writes a replay as the game goes. Steps whose actions repeat the previous step's are
// counted and written as one run when something changes or a digest is due; everything
// written reaches the file at once, so a game that ends abruptly leaves a replay that
// plays up to its last digest at least. A failed write stops the recording; the game
// goes on and error() says why.
class ReplayWriter {
public:
    ReplayWriter() = default;
    ~ReplayWriter();
    ReplayWriter(const ReplayWriter&) = delete;
    ReplayWriter& operator=(const ReplayWriter&) = delete;

    // Creates (or empties) `path` and writes the header. False with the reason.
    bool Open(const std::string& path, const ReplayHeader& header, std::string* why);
    // The record of the next step, before the step is taken. Players beyond the header's
    // count are not kept; missing ones do nothing.
    void AddStep(const StepInput& input);
    // True when the world's digest after the steps so far belongs in the file.
    bool DigestDue() const;
    void AddDigest(std::uint64_t digest);
    // The end record with the final world's digest; closes the file. True when the whole
    // replay reached the file.
    bool Finish(std::uint64_t digest);

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    std::uint64_t steps() const { return steps_; }

private:
    void PutVarint(std::uint64_t v);
    void PutU64(std::uint64_t v);
    void PutChanges(const std::vector<PlayerActions>& actions);
    void PutRopePresses(const StepInput& input);
    void FlushRun();
    // Hands the encoded bytes to the file and flushes it.
    void Write();

    std::FILE* file_ = nullptr;
    std::string path_;
    std::string error_;
    int players_ = 0;
    bool rope_ = false;  // the game has the rope rule: its presses are written
    std::vector<unsigned char> out_;
    std::vector<PlayerActions> last_;  // the actions of the previous step
    std::uint64_t run_ = 0;            // steps counted but not written yet
    std::uint64_t steps_ = 0;
    bool digest_written_ = false;  // for the current value of steps_
};

#endif
