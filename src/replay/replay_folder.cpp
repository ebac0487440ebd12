#include "replay/replay_folder.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kPattern = "dddd-dd-dd_dd-dd-dd";
constexpr std::size_t kStampLength = 19;

// The time stamp and the same-second number of a match replay's name, which order the
// replays from oldest to newest; false for any other name.
bool replay_order(const std::string& name, std::pair<std::string, long>* order) {
    const std::string ext = ".rpl";
    if (name.size() < kStampLength + ext.size() ||
        name.compare(name.size() - ext.size(), ext.size(), ext) != 0)
        return false;
    for (std::size_t i = 0; i < kStampLength; ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(name[i])) != 0;
        if (kPattern[i] == 'd' ? !digit : name[i] != kPattern[i]) return false;
    }
    const std::string rest = name.substr(kStampLength, name.size() - kStampLength - ext.size());
    long number = 1;
    if (!rest.empty()) {
        if (rest.size() < 2 || rest.size() > 6 || rest[0] != '-') return false;
        number = 0;
        for (std::size_t i = 1; i < rest.size(); ++i) {
            if (!std::isdigit(static_cast<unsigned char>(rest[i]))) return false;
            number = number * 10 + (rest[i] - '0');
        }
    }
    *order = {name.substr(0, kStampLength), number};
    return true;
}

}  // namespace

bool next_match_replay(const std::string& dir, std::time_t when, std::string* path,
                       std::string* why) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec || !fs::is_directory(dir, ec)) {
        *why = "cannot make the folder " + dir + (ec ? ": " + ec.message() : "");
        return false;
    }
    std::tm local{};
    if (!localtime_r(&when, &local)) {
        *why = "the clock gives no date";
        return false;
    }
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d_%H-%M-%S", &local);
    for (int n = 1; n < 1000; ++n) {
        const std::string name =
            std::string(stamp) + (n == 1 ? "" : "-" + std::to_string(n)) + ".rpl";
        const fs::path candidate = fs::path(dir) / name;
        if (!fs::exists(candidate, ec)) {
            *path = candidate.string();
            return true;
        }
    }
    *why = "too many replays begun at " + std::string(stamp);
    return false;
}

void prune_match_replays(const std::string& dir, std::size_t keep) {
    std::error_code ec;
    std::vector<std::pair<std::pair<std::string, long>, fs::path>> replays;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::pair<std::string, long> order;
        if (it->is_regular_file(ec) && replay_order(it->path().filename().string(), &order))
            replays.emplace_back(order, it->path());
    }
    if (replays.size() <= keep) return;
    std::sort(replays.begin(), replays.end());
    for (std::size_t i = 0; i + keep < replays.size(); ++i) fs::remove(replays[i].second, ec);
}
