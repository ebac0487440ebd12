#include "replay/replay_game.h"

#include <allegro.h>

#include <filesystem>

#include "game/game.h"
#include "base/random.h"
#include "game/version.h"
#include "replay/replay_recorder.h"

bool replay_header_for(const std::string& level, int players, double step_dt,
                       const MatchRules& rules, ReplayHeader* header, std::string* why) {
    return replay_header_for(level, "", players, step_dt, rules, header, why);
}

bool replay_header_for(const std::string& level, const std::string& level_name, int players,
                       double step_dt, const MatchRules& rules, ReplayHeader* header,
                       std::string* why) {
    ReplayHeader h;
    h.game_version = kGameVersion;
    if (!level_file_digest(level, &h.level_digest, why)) return false;
    h.random_state = random_state();
    h.step_dt = step_dt;
    h.players = players;
    h.colour_depth = get_color_depth();
    h.rules = rules;
    h.level_name = level_name;
    *header = h;
    return true;
}

bool prepare_replayed_start(const ReplayHeader& header, const std::string& level,
                            std::string* why) {
    std::uint64_t digest = 0;
    if (!level_file_digest(level, &digest, why)) return false;
    if (digest != header.level_digest) {
        *why = "recorded on another level than " + level;
        return false;
    }
    seed_random(header.random_state);
    return true;
}

bool start_replayed_game(Game& game, const ReplayHeader& header, const std::string& level,
                         std::string* why) {
    if (!prepare_replayed_start(header, level, why)) return false;
    game.rules = header.rules;
    game.level_name = header.level_name;
    if (!game.Load(level, header.players)) {
        *why = "cannot load " + level;
        return false;
    }
    game.step_dt = header.step_dt;
    return true;
}

bool start_recorded_game(Game& game, const std::string& level, int players, double step_dt,
                         const std::string& replay, ReplayRecorder* recorder, std::string* why) {
    std::error_code ec;
    if (std::filesystem::equivalent(replay, level, ec)) {
        *why = "cannot record into " + replay + ": it is the level file";
        return false;
    }
    ReplayHeader header;
    if (!replay_header_for(level, game.level_name, players, step_dt, game.rules, &header, why) ||
        !recorder->Open(replay, header, why))
        return false;
    if (!game.Load(level, players)) {
        *why = "cannot load " + level;
        return false;
    }
    game.step_dt = step_dt;
    recorder->Checkpoint(game);
    return true;
}
