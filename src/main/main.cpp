#include <allegro.h>

#include <cstdio>
#include <memory>
#include <string>

#include "game/game.h"
#include "main/bootstrap.h"
#include "main/startup.h"
#include "sound/sound_files.h"
#include "sound/sound_player.h"
#include "sound/sound_settings.h"

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

    // Sound is the windowed game's alone: nothing else that runs a Game opens a device.
    std::unique_ptr<SoundPlayer> sound = SoundPlayer::Open(read_sound_settings(), kSoundDir);
    Game* game = new Game();
    game->sound_sink = sound.get();
    game->Go("data/map.lvl", 2);
    delete game;
    sound.reset();

    allegro_exit();
    return 0;
}
END_OF_MAIN()
