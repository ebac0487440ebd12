#ifndef VORLIN_REPLAY_REPLAY_FORMAT_H
#define VORLIN_REPLAY_REPLAY_FORMAT_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "game/command_router.h"
#include "game/match_rules.h"

// The replay file (docs/replay-format.md): a header, then entries of one tag byte each.
// Numbers are little-endian; "varint" is an unsigned LEB128 of at most 5 bytes.

constexpr char kReplayMagic[8] = {'V', 'O', 'R', 'L', 'I', 'N', 'R', 'P'};
// The newest layout this program reads and the one it writes.
constexpr int kReplayFormat = 1;

// Entry tags. Changes and commands are for the step that the next run begins with; a run
// plays 1 to 60 steps (tag kTagRun + steps - 1) and its other steps repeat the actions.
constexpr unsigned char kTagSet = 0x02;      // mask, then per player in it: bits [weapon]
constexpr unsigned char kTagCommand = 0x03;  // varint length, text
constexpr unsigned char kTagDigest = 0x04;   // u64 world digest after the steps so far
constexpr unsigned char kTagEnd = 0x05;      // varint steps, u64 final digest
// Only as the first entry, and only in the replay of a match: varints kills, minutes, lives
// and the rules' flags.
constexpr unsigned char kTagRules = 0x06;
// Only at the start, after the rules when there are any, and only for a level of the
// levels folder: varint length, the level's name.
constexpr unsigned char kTagLevelName = 0x07;

// Only in the replay of a game with the rope rule: u8 player (0-based), who presses the
// rope key in the step that the next run begins with (its other steps do not).
constexpr unsigned char kTagRope = 0x08;
constexpr unsigned char kTagToggle = 0x40;   // + player * 8 + bit: flips one action bit
constexpr unsigned char kTagRun = 0x80;
constexpr unsigned kMaxRun = 60;

// A world digest after every this many steps, from step 0 (before the first).
constexpr std::uint64_t kDigestInterval = 60;

// Limits past which a file is refused as absurd rather than read.
constexpr std::size_t kMaxReplayBytes = 16u << 20;  // about 70 hours of a busy fight
constexpr int kMaxReplayPlayers = 8;                // the change mask is one byte
constexpr std::size_t kMaxVersionText = 32;
constexpr std::size_t kMaxCommandText = kMaxHeldCommand;
constexpr int kMaxWeaponIndex = 255;
// The game's speed factor is at most 1000: a step of at most 1000/60 s.
constexpr double kMaxStepDt = 1000.0 / 60.0;

// What a replay says about the game it holds, before its first step.
struct ReplayHeader {
    int format = kReplayFormat;
    std::string game_version;        // of the program that recorded it
    std::uint64_t level_digest = 0;  // level_file_digest of the level it was played on
    std::uint32_t random_state = 0;  // the random generator before the level was loaded
    double step_dt = 0.0;            // seconds per step
    int players = 0;
    int colour_depth = 32;  // bits per pixel the level was loaded at
    MatchRules rules;       // how the match ends: its rules entry, else endless
    std::string level_name;  // the level of the levels folder it was played on; empty: data/
};

// The digest a replay keeps of its level: the file's bytes (Hasher::Bytes).
bool level_file_digest(const std::string& path, std::uint64_t* digest, std::string* why);

#endif
