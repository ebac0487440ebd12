#ifndef VORLIN_REPLAY_REPLAY_READER_H
#define VORLIN_REPLAY_REPLAY_READER_H

#include <cstdint>
#include <string>
#include <vector>

#include "replay/replay_decoder.h"
#include "replay/replay_format.h"

// A replay file read and checked whole before anything is played: a file is refused with
// its reason (not a replay, a newer format, a cut header, absurd values, corrupt records)
// or accepted with every step up to its last whole entry. A file without its end record
// is a game that stopped abruptly: it plays up to there.
class ReplayReader {
public:
    // Reads at most kMaxReplayBytes; false with the reason (the system's own when the file
    // cannot be read).
    bool Open(const std::string& path, std::string* why);
    // The same from bytes in memory.
    bool Parse(std::vector<unsigned char> bytes, std::string* why);

    const ReplayHeader& header() const { return header_; }
    // Whole steps the file holds.
    std::uint64_t steps() const { return steps_; }
    // False when the recording stopped before its end record.
    bool complete() const { return complete_; }
    // Digests stored, the final one included.
    std::uint64_t digests() const { return digests_; }

    // The entries from the first, already checked.
    ReplayDecoder Entries() const;

private:
    bool ParseHeader(std::string* why);

    std::vector<unsigned char> bytes_;
    std::size_t records_at_ = 0;  // where the entries begin
    ReplayHeader header_;
    std::uint64_t steps_ = 0;
    std::uint64_t digests_ = 0;
    bool complete_ = false;
};

#endif
