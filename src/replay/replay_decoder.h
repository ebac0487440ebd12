#ifndef VORLIN_REPLAY_REPLAY_DECODER_H
#define VORLIN_REPLAY_REPLAY_DECODER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "game/step_input.h"

// Walks the entries that follow a replay's header, one step or digest at a time, and
// checks each against the format's rules. It never reads past `size`.
class ReplayDecoder {
public:
    enum class Entry {
        Step,    // *step holds the record of the next step
        Digest,  // *digest: the world's digest after steps() steps
        End,     // *digest: the final world's; nothing follows
        Stop,    // no whole entry left: the recording stopped here
        Bad,     // the bytes break the format; *why says how
    };

    // file_offset: where `data` lies in the file, for the messages. rope: the game has
    // the rope rule, whose presses are entries of their own; elsewhere they are unknown.
    ReplayDecoder(const unsigned char* data, std::size_t size, int players,
                  std::size_t file_offset, bool rope = false);

    Entry Next(StepInput* step, std::uint64_t* digest, std::string* why);
    // The next step's record, passing over digests; false when no step is left (or the
    // bytes break the format: a checked file never does).
    bool NextStep(StepInput* step);

    // Steps handed out so far.
    std::uint64_t steps() const { return steps_; }

private:
    enum class Read { Ok, Short, Bad };

    Entry NextEntry(StepInput* step, std::uint64_t* digest, std::string* why);
    Read Byte(unsigned* v);
    Read Varint(std::uint64_t* v);
    Read U64(std::uint64_t* v);

    Entry Toggle(unsigned tag, std::string* why);
    Entry Set(std::string* why);
    Entry Command(std::string* why);
    Entry RopePress(std::string* why);
    Entry Run(unsigned tag, StepInput* step, std::string* why);
    Entry Closing(std::uint64_t* digest, std::string* why);
    Entry Bad(std::string* why, const std::string& what) const;
    Entry Emit(StepInput* step);

    const unsigned char* data_;
    std::size_t size_;
    std::size_t file_offset_;
    std::size_t pos_ = 0;
    std::size_t entry_at_ = 0;  // where the entry being read began
    int players_;
    std::vector<PlayerActions> actions_;  // for the next step, held from step to step
    std::vector<std::string> commands_;   // for the next step
    const bool rope_;
    unsigned rope_presses_ = 0;           // for the next step: bit i for player i
    bool pending_ = false;                // changes or commands wait for their step
    unsigned run_left_ = 0;
    std::uint64_t steps_ = 0;
    bool digest_seen_ = false;  // for the current value of steps_
    bool finished_ = false;
};

#endif
