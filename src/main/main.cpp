#include <allegro.h>

#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "game/game.h"
#include "game/match_report.h"
#include "game/version.h"
#include "base/random.h"
#include "level/level_choice.h"
#include "main/bootstrap.h"
#include "main/computer_setup.h"
#include "main/game_folder.h"
#include "main/options.h"
#include "main/startup.h"
#include "net/net_driver.h"
#include "replay/recording_driver.h"
#include "replay/replay_folder.h"
#include "replay/replay_game.h"
#include "replay/replay_reader.h"
#include "replay/watching_driver.h"
#include "sound/sound_player.h"
#include "sound/sound_settings.h"

namespace {

constexpr int kPlayers = 2;

// A start that fails, or a network game that the other side ended, after the library is
// up: the message, then a normal exit.
int failed_start(const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
    allegro_message("%s\n", message.c_str());
    allegro_exit();
    return 0;
}

// How one game at this computer is set up beyond its driver.
struct Setup {
    LevelChoice level;  // the default level unless --level chose another
    MatchRules rules;
    std::vector<std::string> notices;  // console lines before the welcome
    std::string replay_note;           // where the match's replay is written
    bool rematch_offered = false;
};

// One game; true when its results screen asked for a rematch. A match's results go to
// standard output, one line a player.
// Sound is the windowed game's alone: nothing else that runs a Game opens a device.
bool play(StepDriver* driver, int players, ComputerPlayers* computers, const Setup& setup) {
    std::unique_ptr<SoundPlayer> sound = SoundPlayer::Open(read_sound_settings(), sound_folders());
    Game* game = new Game();
    game->computers = computers;
    game->driver = driver;
    game->sound_sink = sound.get();
    game->rules = setup.rules;
    game->level_name = setup.level.name;
    game->replay_note = setup.replay_note;
    game->rematch_offered = setup.rematch_offered;
    for (const std::string& line : setup.notices) game->console << line << std::endl;
    game->Go(setup.level.file, players);
    if (game->outcome.over)
        for (const std::string& line : results_lines(*game)) std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    const bool again = game->rematch;
    delete game;
    return again;
}

// The level `what` names (choose_level), its level file built when missing; the console
// says when it plays from a temporary copy. False with the reason.
bool play_level(const std::string& what, Setup* setup, std::string* why) {
    if (what.empty()) return true;
    std::string notice;
    if (!choose_level(what, kLevelsFolder, random_state(), &setup->level, why) ||
        !prepare_level(&setup->level, &notice, why))
        return false;
    if (!notice.empty()) setup->notices.push_back(notice);
    // For whoever chooses among the levels later; a folder without one loses nothing.
    std::string no_thumbnail;
    ensure_thumbnail(setup->level, &no_thumbnail);
    return true;
}

// Where a match is recorded when no --record names a file; empty (with a console line)
// when replays/ cannot be written.
std::string match_replay(std::vector<std::string>* notices) {
    std::string path, why;
    if (next_match_replay(kReplayFolder, std::time(nullptr), &path, &why)) return path;
    notices->push_back("Not recording: " + why);
    return "";
}

// Games at this computer, recorded when asked, and every match, until no rematch is
// asked for. A rematch plays the same rules from where the random generator stands.
// False when the --record file cannot be written: the start failed, as it says.
bool play_here(const MainOptions& options, Setup setup, ComputerPlayers* computers) {
    std::string record = options.record;
    for (;;) {
        const bool chosen = !record.empty();
        if (!chosen && !setup.rules.endless()) record = match_replay(&setup.notices);
        RecordingDriver recording;
        StepDriver* driver = nullptr;
        std::string why;
        if (!record.empty()) {
            if (recording.Open(record, setup.level.file, setup.level.name, kPlayers, setup.rules,
                               &why)) {
                driver = &recording;
            } else if (chosen) {
                failed_start(why);
                return false;
            } else {
                setup.notices.push_back(why);
            }
        }
        setup.replay_note = driver && !setup.rules.endless() ? "Replay: " + record : "";
        setup.rematch_offered = !setup.rules.endless();
        const bool again = play(driver, kPlayers, computers, setup);
        prune_match_replays(kReplayFolder, kKeptReplays);
        if (!again) return true;
        record.clear();
        setup.notices.clear();
    }
}

}  // namespace

// Works in its game folder (main/game_folder.h): "vorlin.ini" and data/.
int main(int argc, char** argv) {
    MainOptions options;
    std::string why;
    if (!parse_main_options(argc, argv, &options, &why)) {
        std::fprintf(stderr, "vorlin: %s\n%s", why.c_str(), kMainUsage);
        return 2;
    }
    if (options.help) {
        std::fputs(kMainUsage, stdout);
        std::printf("Folder: %s\n", find_game_folder().work.c_str());
        return 0;
    }
    if (options.version) {
        std::printf("vorlin %s\n", kGameVersion);
        return 0;
    }
    if (!enter_game_folder(&options, &why)) {
        std::fprintf(stderr, "vorlin: %s\n", why.c_str());
        return 1;
    }

    if (!init()) return 0;

    const std::unique_ptr<ComputerSeats> computers = computer_setup(options);
    Setup setup;
    std::string error;
    if (!bootstrap_level(kDefaultLevelDir, setup.level.file, &error)) return failed_start(error);
    if (!options.level.empty() && !play_level(options.level, &setup, &why))
        return failed_start("Unable to play the level " + options.level + ": " + why);
    std::string warning;
    setup.rules = options.rules_given ? options.rules : configured_match_rules(&warning);
    if (!warning.empty()) setup.notices.push_back(warning);

    net::NetStart network;
    if (network_start(options, &network)) {
        network.rules = setup.rules;
        network.level_name = setup.level.name;
        // A joiner learns the host's rules only from its hello.
        const bool may_be_match = network.hosting ? !setup.rules.endless() : true;
        network.match_record =
            options.record.empty() && may_be_match ? match_replay(&setup.notices) : "";
        net::NetDriver driver;
        if (!driver.Open(network, setup.level.file, &why)) return failed_start(why);
        setup.rules = MatchRules();  // the driver sets the agreed ones
        play(&driver, kPlayers, nullptr, setup);
        prune_match_replays(kReplayFolder, kKeptReplays);
        // The other side, the network or a desync ended the game: the player is told why.
        if (!driver.message().empty()) return failed_start(driver.message());
    } else if (!options.replay.empty()) {
        ReplayReader replay;
        if (!replay.Open(options.replay, &why) ||
            !play_level(replay.header().level_name, &setup, &why) ||
            !prepare_replayed_start(replay.header(), setup.level.file, &why))
            return failed_start("Unable to play " + options.replay + ": " + why);
        WatchingDriver watching(replay);
        setup.rules = replay.header().rules;
        setup.notices.clear();
        play(&watching, replay.header().players, computers.get(), setup);
    } else {
        if (!play_here(options, setup, computers.get())) return 0;
    }

    allegro_exit();
    return 0;
}
END_OF_MAIN()
