#include <allegro.h>

#include <cstdio>
#include <memory>
#include <utility>

#include "game/computer_players.h"
#include "game/game.h"
#include "input/pad_setup.h"
#include "input/player_input.h"
#include "base/assertion.h"
#include "input/controls.h"

namespace {

// The extension is everything from the last "." on; a name without one has none.
std::string extension_of(const std::string& file) {
    const std::size_t dot = file.rfind('.');
    return dot == std::string::npos ? std::string() : file.substr(dot);
}

}  // namespace

bool Game::Load(const std::string& file, int count) {
    const std::string extension = extension_of(file);
    if (extension != ".lvl") {
        std::fprintf(stderr, "Attempting to load unknown file type\n%s\n", extension.c_str());
        if (screen)
            alert("Attempting to load unknown file type", extension.c_str(), nullptr, "Okay",
                  nullptr, 0, 0);
        return false;
    }

    // Loading happens before the first frame: show the progress straight on the screen.
    auto show_progress = [this] { ShowConsole(); };

    console << "Loading level " << file << "..." << std::endl;
    show_progress();

    PACKFILE* pf;
    VORLIN_ASSERT(pf = pack_fopen(file.c_str(), "rp"));
    level.Load(pf);
    pack_fclose(pf);

    console << "Initializing players (" << count << ")..." << std::endl;
    show_progress();

    for (int i = 1; i <= count; ++i) {
        players.emplace_back(this, &level, i);
        Player& player = players.back();
        AddParticle(&player);
        player.Respawn();

        int codes[8];
        for (int a = 0; a < 8; ++a)
            codes[a] = read_binding(player_binding_name(i, PLAYER_ACTIONS[a]).c_str(), 0);
        auto keyboard = std::make_unique<PlayerInput>(codes[0], codes[1], codes[2], codes[3],
                                                      codes[4], codes[5], codes[6], codes[7]);

        keyboard->rope = read_binding(player_binding_name(i, "rope").c_str(), default_rope_key(i));

        console << "Player " << i << ": ";
        for (int a = 0; a < 8; ++a) console << (a ? ", " : "") << key_name(codes[a]);
        console << std::endl;
        if (rules.rope()) console << "Player " << i << " rope: " << key_name(keyboard->rope) << std::endl;

        delete inputs[i];
        keys_aside.erase(i);
        inputs[i] = with_configured_pad(i, std::move(keyboard), console, console_active).release();
        SeatComputerPlayer(i);
    }

    console << "Loaded successfully" << std::endl;
    show_progress();
    return true;
}
