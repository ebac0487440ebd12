#include "game/game.h"

#include <allegro.h>

#include "game/console_commands.h"
#include "game/frame_sink.h"
#include "base/owned_bitmap.h"
#include "game/step_driver.h"
#include "input/input_handler.h"
#include "base/assertion.h"
#include "base/config.h"
#include "input/controls.h"
#include "particle/particle.h"

namespace {

const char* const WELCOME =
    "Welcome to Vorlin 1.0! This is the inital release for programming, may there be many "
    "more releases to come! Try from the Pistol, Shotgun, Rocket Launcher, and Flak Cannon "
    "to kill your enemy!";

// Game speed factor bounds; beyond them "speed" is nonsense and the default applies.
constexpr double MAX_SPEED = 1000.0;

}  // namespace

Game::Game() : Game(SCREEN_W, SCREEN_H) {}

Game::Game(int screen_w, int screen_h)
    : level(),
      tick_pending(false),
      redraw(false),
      terrain_changed(level),
      step_dt(0.0),
      cur(nullptr),
      other(nullptr),
      processor(new CommandProcessor(this)),
      console(this, processor, screen_w, screen_h / 4),
      console_active(false),
      console_key(0),
      quit(false),
      show_timing(false),
      missed_ticks(0),
      selected(nullptr),
      steps_taken(0) {}

Game::~Game() {
    for (auto& entry : inputs) delete entry.second;
    delete processor;
    // Players live in `players`; everything else in the table belongs to it.
    for (Particle* p : particles) {
        if (p && !dynamic_cast<Player*>(p)) delete p;
    }
}

double Game::ConfiguredStepDt() {
    // Single-precision speed times the single-precision 1/60, as the configuration stores
    // floats: the default speed gives 0.01666666753590107 s.
    const float speed = static_cast<float>(config_float("game", "speed", 1.0, 0.0, MAX_SPEED));
    return speed * (1.0f / 60.0f);
}

void TimerTick(void* param) {
    Game* game = static_cast<Game*>(param);
    if (game->tick_pending.exchange(true)) ++game->missed_ticks;
}

void Game::Go(const std::string& file, int players) {
    console.SetWrap(true);
    console << WELCOME << std::endl;

    if (driver && !driver->Prepare(*this)) return;
    if (!Load(driver ? driver->LevelFile(file) : file, players)) return;

    BITMAP* buffer;
    if (frame_sink)
        VORLIN_ASSERT(buffer = create_bitmap(frame_sink->width(), frame_sink->height()));
    else
        VORLIN_ASSERT(buffer = create_bitmap(SCREEN_W, SCREEN_H));
    OwnedBitmap buffer_owner(buffer);

    console_key = read_binding("console", KEY_TILDE);
    quit = false;
    step_dt = ConfiguredStepDt();

    if (driver) driver->Begin(*this);

    install_param_int_ex(TimerTick, this, BPS_TO_TIMER(60));
    redraw = true;
    tick_pending = true;
    if (!quit) {
        do {
            if (!Pass(buffer)) break;
        } while (!quit);
    }
    remove_param_int(TimerTick, this);
    if (driver) driver->End(*this);
}

bool Game::Pass(BITMAP* buffer) {
    if (outcome.over && (!driver || driver->Settled())) {
        // The world stands still under the results until a key decides.
        if (!ServeResults()) return false;
        if (!redraw) rest(1);
    } else if (tick_pending) {
        // A tick that arrives during the step is only counted: there is no catching up.
        if (!(driver ? driver->Tick(*this) : Logic(step_dt))) return false;
        tick_pending = false;
        if (sound_sink) sound_sink->Play(*this);
    } else if (!redraw) {
        rest(1);
    }
    if (redraw) {
        Draw(buffer);
        if (frame_sink)
            frame_sink->Show(buffer);
        else if (screen)
            blit(buffer, screen, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
        redraw = false;
    }
    return true;
}

void Game::ShowConsole() {
    if (!frame_sink) {
        if (screen) console.Draw(screen, 0, 0);
        return;
    }
    BITMAP* picture = create_bitmap(frame_sink->width(), frame_sink->height());
    if (!picture) return;
    OwnedBitmap owner(picture);
    clear_bitmap(picture);
    console.Draw(picture, 0, 0);
    frame_sink->Show(picture);
}

int Game::picture_w() const { return frame_sink ? frame_sink->width() : SCREEN_W; }
int Game::picture_h() const { return frame_sink ? frame_sink->height() : SCREEN_H; }

void emit_sound(Game* game, SoundKind kind, float x, float y) {
    if (game && kind < SK_Count) game->sounds.Add(kind, x, y);
}
