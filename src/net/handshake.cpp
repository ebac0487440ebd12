#include "net/handshake.h"

#include <cstring>
#include <fstream>

#include "base/config.h"
#include "level/level_choice.h"

namespace net {

namespace {

constexpr std::uint64_t kFnvOffset = 1469598103934665603ull;
constexpr std::uint64_t kFnvPrime = 1099511628211ull;

std::uint64_t fnv(std::uint64_t h, const unsigned char* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) h = (h ^ data[i]) * kFnvPrime;
    return h;
}

}  // namespace

std::optional<std::uint64_t> file_digest(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::uint64_t h = kFnvOffset;
    char buffer[4096];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0)
        h = fnv(h, reinterpret_cast<const unsigned char*>(buffer),
                static_cast<std::size_t>(in.gcount()));
    if (in.bad()) return std::nullopt;
    return h;
}

std::uint64_t bytes_digest(const std::uint8_t* data, std::size_t size) {
    return fnv(kFnvOffset, data, size);
}

int configured_rollback() {
    return config_int("network", "rollback", 1, 0, 1) ? kMaxPrediction : 0;
}

int configured_delay(bool rollback) {
    return rollback ? config_int("network", "delay", 0, 0, kMaxDelay)
                    : config_int("network", "delay", kDefaultLockstepDelay, kMinDelay, kMaxDelay);
}

std::optional<Hello> make_hello(const std::string& level_file, double step_length,
                                std::uint32_t seed, int delay, const MatchRules& rules,
                                const std::string& level_name) {
    const std::optional<std::uint64_t> digest = file_digest(level_file);
    if (!digest) return std::nullopt;
    Hello hello;
    hello.level_digest = *digest;
    hello.step_length = step_length;
    hello.seed = seed;
    hello.delay = static_cast<std::uint8_t>(delay);
    hello.rules = rules;
    hello.level_name = level_name;
    return hello;
}

std::optional<std::string> mismatch(const Hello& mine, const Hello& theirs, bool hosting) {
    if (mine.protocol != theirs.protocol)
        return std::string("the other player's game speaks another network protocol (") +
               std::to_string(theirs.protocol) + ", this one " + std::to_string(mine.protocol) + ")";
    if (mine.game_version != theirs.game_version)
        return "the other player has another version of the game (" + theirs.game_version + ")";
    const Hello& host = hosting ? mine : theirs;
    if (host.level_name.empty() && mine.level_digest != theirs.level_digest)
        return std::string("the other player has another level");
    if (std::memcmp(&mine.step_length, &theirs.step_length, sizeof mine.step_length) != 0)
        return std::string("the other player plays at another speed");
    return std::nullopt;
}

std::optional<std::string> level_for_hello(const Hello& host, const std::string& default_level,
                                           const std::string& levels_dir, std::string* why) {
    if (host.level_name.empty()) return default_level;
    LevelChoice choice;
    std::string notice;
    if (!choose_level(host.level_name, levels_dir, 0, &choice, why) ||
        !prepare_level(&choice, &notice, why)) {
        *why = "this machine lacks the other player's level " + host.level_name;
        return std::nullopt;
    }
    if (file_digest(choice.file) != host.level_digest) {
        *why = "this machine's level " + host.level_name + " is another than the other player's";
        return std::nullopt;
    }
    return choice.file;
}

}  // namespace net
