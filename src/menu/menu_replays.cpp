#include "menu/menu_replays.h"

#include <allegro.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "game/frame_sink.h"
#include "game/game.h"
#include "game/match_report.h"
#include "replay/replay_game.h"
#include "replay/replay_reader.h"
#include "replay/replay_verify.h"

namespace fs = std::filesystem;

namespace {

std::string rules_text(const MatchRules& rules) {
    if (rules.endless()) return "endless";
    std::string text;
    auto add = [&text](int n, const char* what) {
        if (!n) return;
        if (!text.empty()) text += ", ";
        text += std::string(what) + " " + std::to_string(n);
    };
    add(rules.kills, "kills");
    add(rules.minutes, "min");
    add(rules.lives, "lives");
    return text;
}

// "2026-12-07_21-30-05.rpl" reads "2026-12-07 21:30"; other names stay as they are.
std::string date_of(const std::string& name) {
    if (name.size() >= 16 && name[10] == '_')
        return name.substr(0, 10) + " " + name.substr(11, 2) + ":" + name.substr(14, 2);
    return name;
}

// A picture nobody sees: a game loading for a check draws its progress there.
class Unseen final : public FrameSink {
public:
    int width() const override { return 640; }
    int height() const override { return 480; }
    void Show(BITMAP*) override {}
};

}  // namespace

std::vector<ReplayListing> list_replays(const std::string& dir, const std::string& level,
                                        std::uint64_t steps_played) {
    std::vector<std::pair<fs::file_time_type, fs::path>> found;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(dir, error))
        if (entry.path().extension() == ".rpl")
            found.emplace_back(entry.last_write_time(error), entry.path());
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a > b; });

    std::uint64_t level_digest = 0;
    std::string why;
    const bool have_level = level_file_digest(level, &level_digest, &why);
    std::vector<ReplayListing> listings;
    for (const auto& [when, path] : found) {
        ReplayListing listing;
        listing.path = path.string();
        listing.label = date_of(path.filename().string());
        listing.result = "?";
        ReplayReader reader;
        if (!reader.Open(listing.path, &why)) {
            listing.about = why;
            listings.push_back(listing);
            continue;
        }
        const ReplayHeader& h = reader.header();
        const bool same_level = have_level && h.level_digest == level_digest;
        listing.about = rules_text(h.rules) + ", " +
                        (same_level ? "default level" : "another level") + ", " +
                        std::to_string(h.players) + " players, " +
                        std::to_string(static_cast<int>(reader.steps() * h.step_dt)) + " s";
        if (same_level && reader.steps() <= steps_played)
            play_replay_headless(listing.path, level, false, &listing.result);
        listings.push_back(listing);
    }
    return listings;
}

std::string play_replay_headless(const std::string& path, const std::string& level,
                                 bool verify, std::string* result) {
    *result = "?";
    ReplayReader replay;
    std::string why;
    if (!replay.Open(path, &why)) return why;
    const int depth = get_color_depth();
    set_color_depth(replay.header().colour_depth);
    Unseen unseen;
    std::string line;
    {
        Game game(640, 480);
        game.frame_sink = &unseen;
        if (start_replayed_game(game, replay.header(), level, &why)) {
            const VerifyResult played = play_replay(replay, game, verify);
            line = verify_line(played);
            if (!game.rules.endless()) line += "; " + outcome_line(game);
            *result = game.rules.endless()  ? "endless"
                      : !game.outcome.over  ? "no winner"
                      : game.outcome.winner ? "P" + std::to_string(game.outcome.winner) + " won"
                                            : "draw";
        } else {
            line = why;
        }
    }
    set_color_depth(depth);
    return line;
}
