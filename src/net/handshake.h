#ifndef VORLIN_NET_HANDSHAKE_H
#define VORLIN_NET_HANDSHAKE_H

#include <cstdint>
#include <optional>
#include <string>

#include "net/net_packet.h"

namespace net {

// FNV-1a (64 bits) of a whole file's bytes: both machines must play the same level file.
// Nothing when the file cannot be read.
std::optional<std::uint64_t> file_digest(const std::string& path);
// The same digest of bytes in memory.
std::uint64_t bytes_digest(const std::uint8_t* data, std::size_t size);

// `[network] rollback` of "vorlin.ini": whether the host plays rollback (1, the default)
// or lockstep (0): the steps a side may guess ahead, or 0.
int configured_rollback();
// `[network] delay` of "vorlin.ini": the host's input delay in steps up to kMaxDelay. With
// rollback 0 to kMaxDelay, 0 when absent or bad; in lockstep kMinDelay to kMaxDelay, 3
// (50 ms) when absent or bad.
int configured_delay(bool rollback);
constexpr int kDefaultLockstepDelay = 3;

// This machine's hello for a game on `level_file`; nothing when the file cannot be read.
std::optional<Hello> make_hello(const std::string& level_file, double step_length,
                                std::uint32_t seed, int delay,
                                const MatchRules& rules = MatchRules(),
                                const std::string& level_name = "");

// What differs between two hellos, as the player is told ("the other player has another
// level"); nothing when the two machines can play together. The seed and the delay are
// the host's to choose and never differ.
// A host that names a level of its levels folder leaves the level's check to the joiner,
// which looks for a level of that name and digest of its own (level_for_hello).
std::optional<std::string> mismatch(const Hello& mine, const Hello& theirs, bool hosting);

// The joiner's level file for the host's hello: the default level, or the level of
// `levels_dir` the hello names, when its file has the hello's digest. Nothing, with the
// reason, when this machine lacks it.
std::optional<std::string> level_for_hello(const Hello& host, const std::string& default_level,
                                           const std::string& levels_dir, std::string* why);

}  // namespace net

#endif
