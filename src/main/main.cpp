#include <allegro.h>

#include <cstdio>
#include <string>

#include "game/game.h"
#include "main/bootstrap.h"
#include "main/startup.h"

// Vorlin takes no arguments and works in the current directory: "vorlin.ini" and data/.
int main() {
    if (!init()) return 0;

    std::string error;
    if (!bootstrap_level("data", "data/map.lvl", &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        allegro_message("%s\n", error.c_str());
        allegro_exit();
        return 0;
    }

    Game* game = new Game();
    game->Go("data/map.lvl", 2);
    delete game;

    allegro_exit();
    return 0;
}
END_OF_MAIN()
