#ifndef VORLIN_NET_NET_PACKET_H
#define VORLIN_NET_NET_PACKET_H

// The messages two machines exchange in a network game, and their bytes on the wire.
//
// Every packet starts with one type byte; numbers are little-endian. A record of one step
// carries only the sender's own player: the other half of the step is the receiver's.
//
//   Hello   1  "VRLN" u16 protocol | u8 n, n bytes game version | u64 level file digest |
//              u64 step length (IEEE double bits) | u32 seed | u8 delay
//              then optional fields, each once, in any order, by a tag byte:
//              1 u16 kills | u16 minutes | u16 lives | u8 flags: the host's match rules
//              2 u8 n, n bytes: the name of the host's level in its levels folder
//              3 u8 p: rollback, guessing at most p steps ahead (1 to 8; absent: lockstep;
//              the delay may then be 0)
//              (after another protocol number nothing more is read)
//   Steps   2  u32 received | u32 first | u8 n, + 128 when commands follow | n records |
//              [u8 m, m times (u8 position of the record, increasing | u8 k,
//               k times (u8 n, n printable characters))]
//              record: u8 action bits [u8 weapon position, when the weapon bit is set]
//   RopeSteps 7  a Steps packet some of whose records press the rope key (only in a game
//              with the rope rule), then: u8 r, r times u8 position of such a record,
//              increasing
//   Digest  3  u32 steps run | u64 world digest
//   Bye     4  u8 reason
//   LevelCheck 5  u8 1 "this machine has the host's level" or 2 "send it" (joiner to host)
//   LevelPart  6  u32 the level file's size | u32 offset | u16 n, n bytes (host to joiner)
//
// A Steps packet with no record is a plain acknowledgement and keeps the line alive.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "game/match_rules.h"
#include "game/step_input.h"
#include "game/version.h"

namespace net {

constexpr std::uint16_t kProtocolVersion = 1;

// Under the usual path MTU, so that a packet never needs fragments.
constexpr std::size_t kMaxPacketBytes = 1200;
// The input delay's bounds, in steps; the window of step numbers follows from the upper one.
constexpr int kMinDelay = 1;
constexpr int kMaxDelay = 30;
// The most a rollback game guesses ahead, in steps, as GGPO does: beyond it a side waits.
constexpr int kMaxPrediction = 8;
// More than the records a side can have in flight at the largest delay (2 * delay + 1)
// plus a round trip's worth.
constexpr std::size_t kMaxRecordsPerPacket = 100;
constexpr std::size_t kMaxCommandsPerRecord = 4;
constexpr std::size_t kMaxCommandLength = 120;
constexpr std::size_t kMaxVersionLength = 32;

struct Hello {
    std::uint16_t protocol = kProtocolVersion;
    std::string game_version = ::kGameVersion;
    std::uint64_t level_digest = 0;
    double step_length = 0.0;  // seconds of world time per step; compared bit for bit
    std::uint32_t seed = 0;    // the host's choice; the joiner's is not used
    std::uint8_t delay = 3;    // the host's input delay in steps, which both sides use
    // The host's: 0 for lockstep, else rollback guessing at most this many steps ahead.
    std::uint8_t rollback = 0;
    MatchRules rules;          // the host's; the joiner plays by them
    std::string level_name;    // the host's level of its levels folder; empty: data/
};

// One player's part of one step.
struct StepRecord {
    PlayerActions actions;
    std::vector<std::string> commands;  // world-changing console lines given in that step

    bool operator==(const StepRecord& o) const {
        return actions.bits == o.actions.bits && actions.weapon == o.actions.weapon &&
               actions.rope == o.actions.rope && commands == o.commands;
    }
};

struct Steps {
    std::uint32_t received = 0;  // the sender holds the receiver's records of every step below
    std::uint32_t first = 0;     // step of records[0]
    std::vector<StepRecord> records;
};

struct Digest {
    std::uint32_t steps = 0;  // steps run when the world was digested
    std::uint64_t value = 0;
};

enum class ByeReason : std::uint8_t {
    Left = 1,      // the player quit or gave up
    Desync = 2,    // the worlds' digests differ
    Mismatch = 3,  // the handshakes disagree; each side names what from the two hellos
    Busy = 4,      // the host already has an opponent
};

struct Bye {
    ByeReason reason = ByeReason::Left;
};

// A level is sent only when the host names one of its levels folder; the joiner answers
// the host's hello with a check, and the game starts once it has the level.
constexpr std::uint32_t kMaxLevelTransfer = 128u << 20;  // bytes of a level file
constexpr std::size_t kLevelPartBytes = 1024;            // at most, per part

struct LevelCheck {
    bool have = true;  // false: send the level
};

struct LevelPart {
    std::uint32_t size = 0;    // of the whole file; above kMaxLevelTransfer it is refused
    std::uint32_t offset = 0;  // of these bytes in it
    std::vector<std::uint8_t> bytes;  // 1 to kLevelPartBytes, within the file
};

using Message = std::variant<Hello, Steps, Digest, Bye, LevelCheck, LevelPart>;

std::vector<std::uint8_t> encode(const Message& message);

// The record as the other side decodes it: action bits beyond the eight known and commands
// that are too many, too long, empty or hold control characters do not travel; a weapon
// switch to a position outside 0..255 travels as no switch. The sender plays what it sends.
StepRecord travelling(StepRecord record);

// Bytes one record adds to a Steps packet.
std::size_t encoded_size(const StepRecord& record);
// Bytes of a Steps packet without records, the count of records with commands included.
constexpr std::size_t kStepsHeaderBytes = 11;

// Total: anything that is not exactly one well-formed message within the limits above
// (too long, truncated, trailing bytes, unknown type or flag, counts and lengths out of
// bounds, control characters in text, step numbers that overflow) gives nothing, and the
// reason in *why when asked.
std::optional<Message> decode(const std::uint8_t* data, std::size_t size,
                              std::string* why = nullptr);

}  // namespace net

#endif
