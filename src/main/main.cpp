#include <allegro.h>

#include <cstdio>
#include <memory>
#include <string>

#include "game/game.h"
#include "game/version.h"
#include "main/bootstrap.h"
#include "main/computer_setup.h"
#include "main/game_folder.h"
#include "main/options.h"
#include "main/startup.h"
#include "net/net_driver.h"
#include "replay/recording_driver.h"
#include "replay/replay_game.h"
#include "replay/replay_reader.h"
#include "replay/watching_driver.h"
#include "sound/sound_player.h"
#include "sound/sound_settings.h"

namespace {

const char* const kLevelFile = "data/map.lvl";
constexpr int kPlayers = 2;

// A start that fails, or a network game that the other side ended, after the library is
// up: the message, then a normal exit.
int failed_start(const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
    allegro_message("%s\n", message.c_str());
    allegro_exit();
    return 0;
}

// Sound is the windowed game's alone: nothing else that runs a Game opens a device.
void play(StepDriver* driver, int players, ComputerPlayers* computers) {
    std::unique_ptr<SoundPlayer> sound = SoundPlayer::Open(read_sound_settings(), sound_folders());
    Game* game = new Game();
    game->computers = computers;
    game->driver = driver;
    game->sound_sink = sound.get();
    game->Go(kLevelFile, players);
    delete game;
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
    std::string error;
    if (!bootstrap_level("data", kLevelFile, &error)) return failed_start(error);

    net::NetStart network;
    if (network_start(options, &network)) {
        net::NetDriver driver;
        if (!driver.Open(network, kLevelFile, &why)) return failed_start(why);
        play(&driver, kPlayers, nullptr);
        // The other side, the network or a desync ended the game: the player is told why.
        if (!driver.message().empty()) return failed_start(driver.message());
    } else if (!options.record.empty()) {
        RecordingDriver recording;
        if (!recording.Open(options.record, kLevelFile, kPlayers, &why)) return failed_start(why);
        play(&recording, kPlayers, computers.get());
    } else if (!options.replay.empty()) {
        ReplayReader replay;
        if (!replay.Open(options.replay, &why) ||
            !prepare_replayed_start(replay.header(), kLevelFile, &why))
            return failed_start("Unable to play " + options.replay + ": " + why);
        WatchingDriver watching(replay);
        play(&watching, replay.header().players, computers.get());
    } else {
        play(nullptr, kPlayers, computers.get());
    }

    allegro_exit();
    return 0;
}
END_OF_MAIN()
