#include "main/sessions.h"

#include <allegro.h>

#include <cstdio>
#include <ctime>
#include <memory>

#include "game/frame_sink.h"
#include "game/game.h"
#include "base/random.h"
#include "game/match_report.h"
#include "main/game_folder.h"
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

AfterGame after(const Game& game) {
    if (game.rematch) return AfterGame::Rematch;
    return game.watch ? AfterGame::Watch : AfterGame::End;
}

// Where a match is recorded when no --record names a file; empty (with a console line)
// when replays/ cannot be written.
std::string match_replay(std::vector<std::string>* notices) {
    std::string path, why;
    if (next_match_replay(kReplayFolder, std::time(nullptr), &path, &why)) return path;
    notices->push_back("Not recording: " + why);
    return "";
}

}  // namespace

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

int failed_start(const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
    allegro_message("%s\n", message.c_str());
    allegro_exit();
    return 0;
}

// Sound is the windowed game's alone: nothing else that runs a Game opens a device.
AfterGame play(StepDriver* driver, int players, ComputerPlayers* computers, const Setup& setup) {
    std::unique_ptr<SoundPlayer> sound = SoundPlayer::Open(read_sound_settings(), sound_folders());
    const std::unique_ptr<Game> game =
        setup.frame ? std::make_unique<Game>(setup.frame->width(), setup.frame->height())
                    : std::make_unique<Game>();
    if (setup.echo_console) game->console.copy = stderr;
    game->computers = computers;
    game->driver = driver;
    game->sound_sink = sound.get();
    game->frame_sink = setup.frame;
    game->rules = setup.rules;
    game->level_name = setup.level.name;
    game->replay_note = setup.replay_note;
    game->rematch_offered = setup.rematch_offered;
    game->watch_offered = setup.watch_offered;
    for (const std::string& line : setup.notices) game->console << line << std::endl;
    game->Go(setup.level.file, players);
    if (game->outcome.over)
        for (const std::string& line : results_lines(*game)) std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    return after(*game);
}

// A rematch plays the same rules from where the random generator stands.
bool play_here(const std::string& chosen_record, Setup setup, ComputerPlayers* computers,
               std::string* watch, std::string* why) {
    std::string record = chosen_record;
    const bool offer_watch = setup.watch_offered;
    for (;;) {
        const bool chosen = !record.empty();
        if (!chosen && !setup.rules.endless()) record = match_replay(&setup.notices);
        RecordingDriver recording;
        StepDriver* driver = nullptr;
        if (!record.empty()) {
            if (recording.Open(record, setup.level.file, setup.level.name, kPlayers, setup.rules,
                               why)) {
                driver = &recording;
            } else if (chosen) {
                return false;
            } else {
                setup.notices.push_back(*why);
            }
        }
        setup.replay_note = driver && !setup.rules.endless() ? "Replay: " + record : "";
        setup.rematch_offered = !setup.rules.endless();
        setup.watch_offered = offer_watch && !setup.replay_note.empty();
        const AfterGame next = play(driver, kPlayers, computers, setup);
        prune_match_replays(kReplayFolder, kKeptReplays);
        if (next == AfterGame::Watch && watch) *watch = record;
        if (next != AfterGame::Rematch) return true;
        record.clear();
        setup.notices.clear();
    }
}

bool watch_replay(const std::string& path, Setup setup, ComputerPlayers* computers,
                  std::string* why) {
    ReplayReader replay;
    if (!replay.Open(path, why) || !play_level(replay.header().level_name, &setup, why) ||
        !prepare_replayed_start(replay.header(), setup.level.file, why))
        return false;
    WatchingDriver watching(replay);
    setup.rules = replay.header().rules;
    setup.notices.clear();
    setup.rematch_offered = setup.watch_offered = false;
    play(&watching, replay.header().players, computers, setup);
    return true;
}

bool play_network(net::NetStart network, Setup setup, std::string* why, std::string* message) {
    network.rules = setup.rules;
    network.level_name = setup.level.name;
    // A joiner learns the host's rules only from its hello.
    const bool may_be_match = network.hosting ? !setup.rules.endless() : true;
    network.match_record =
        network.record.empty() && may_be_match ? match_replay(&setup.notices) : "";
    net::NetDriver driver;
    if (!driver.Open(network, setup.level.file, why)) return false;
    setup.rules = MatchRules();  // the driver sets the agreed ones
    setup.rematch_offered = setup.watch_offered = false;
    play(&driver, kPlayers, nullptr, setup);
    prune_match_replays(kReplayFolder, kKeptReplays);
    *message = driver.message();
    return true;
}
