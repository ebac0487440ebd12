#include "replay/watching_driver.h"

#include <allegro.h>

#include "game/game.h"
#include "replay/replay_reader.h"

WatchingDriver::WatchingDriver(const ReplayReader& replay) : replay_(replay) {}

void WatchingDriver::Begin(Game& game) {
    game.step_dt = replay_.header().step_dt;
    entries_ = std::make_unique<ReplayDecoder>(replay_.Entries());
    router_ = std::make_unique<ScopedCommandRouter>(game, CommandRouter::Mode::Refuse);
}

bool WatchingDriver::Tick(Game& game) {
    if (key[KEY_ESC]) return false;
    if (ended_) return !keypressed();
    Controls(game);
    if (paused_) return true;
    const int steps = fast_ ? kFastForward : 1;
    bool go_on = true;
    for (int i = 0; i < steps && go_on; ++i) {
        if (Advance(game, &go_on)) continue;
        ended_ = true;
        // Only a key pressed from now on ends the game.
        clear_keybuf();
        game.console << "End of the replay: press a key" << std::endl;
        break;
    }
    return go_on;
}

void WatchingDriver::End(Game&) { router_.reset(); }

bool WatchingDriver::Pressed(int scancode) {
    const bool down = key[scancode] != 0;
    const bool pressed = down && !held_[scancode];
    held_[scancode] = down;
    return pressed;
}

// Keys typed into the open console are the console's.
void WatchingDriver::Controls(const Game& game) {
    const bool pause = Pressed(KEY_P) | Pressed(KEY_SPACE);
    const bool fast = Pressed(KEY_F);
    if (game.console_active) return;
    if (pause) paused_ = !paused_;
    if (fast) fast_ = !fast_;
}

bool WatchingDriver::Advance(Game& game, bool* go_on) {
    StepInput step;
    if (!entries_->NextStep(&step)) return false;
    *go_on = game.Step(step, game.step_dt);
    return true;
}
