#include <allegro.h>

#include <cstdio>
#include <memory>
#include <string>

#include "game/version.h"
#include "main/bootstrap.h"
#include "main/computer_setup.h"
#include "main/game_folder.h"
#include "main/options.h"
#include "main/sessions.h"
#include "main/startup.h"
#include "menu/menu_front.h"
#include "net/net_driver.h"

namespace {


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

    if (options.menu) return run_front_end();
    if (!init()) return 0;

    const std::unique_ptr<ComputerSeats> computers = computer_setup(options);
    Setup setup;
    setup.echo_console = options.echo_console;
    std::string error;
    // A level named on the command line is played instead: data/ may hold none.
    if (options.level.empty() && !bootstrap_level(kDefaultLevelDir, setup.level.file, &error))
        return failed_start(error);
    if (!options.level.empty() && !play_level(options.level, &setup, &why))
        return failed_start("Unable to play the level " + options.level + ": " + why);
    std::string warning;
    setup.rules = options.rules_given ? options.rules : configured_match_rules(&warning);
    if (!warning.empty()) setup.notices.push_back(warning);

    net::NetStart network;
    if (network_start(options, &network)) {
        std::string message;
        if (!play_network(network, setup, &why, &message)) return failed_start(why);
        // The other side, the network or a desync ended the game: the player is told why.
        if (!message.empty()) return failed_start(message);
    } else if (!options.replay.empty()) {
        if (!watch_replay(options.replay, setup, computers.get(), &why))
            return failed_start("Unable to play " + options.replay + ": " + why);
    } else {
        if (!play_here(options.record, setup, computers.get(), nullptr, &why))
            return failed_start(why);
    }

    allegro_exit();
    return 0;
}
END_OF_MAIN()
