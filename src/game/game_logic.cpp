#include <allegro.h>

#include <ctime>
#include <iomanip>
#include <iterator>
#include <sstream>
#include <string>
#include <typeinfo>
#include <vector>

#include "game/game.h"
#include "game/console_commands.h"
#include "game/pair_pass.h"
#include "base/random.h"
#include "input/input_handler.h"
#include "input/player_input.h"
#include "inventory/weapon.h"
#include "base/assertion.h"
#include "particle/particle.h"

namespace {

// Tries of Game::SpawnWeapon to find a place whose circle touches no terrain; a level
// without such a place skips the drop instead of hanging.
constexpr int SPAWN_TRIES = 1000;

float elapsed_ms(std::clock_t since) {
    return static_cast<float>((std::clock() - since) * 1000.0 / CLOCKS_PER_SEC);
}

bool key_down(int scancode) { return scancode > 0 && scancode < KEY_MAX && key[scancode]; }

}  // namespace

bool Game::Logic(double dt) {
    // Step(GatherInput(), dt), with one record kept from step to step: a step in play
    // allocates nothing.
    Gather(&gathered_);
    return Step(gathered_, dt);
}

StepInput Game::GatherInput() {
    StepInput input;
    Gather(&input);
    return input;
}

void Game::Gather(StepInput* input) {
    input->players.clear();
    for (Player& player : players) input->players.push_back(AskInput(player));
}

PlayerActions Game::AskInput(Player& player) {
    auto input = inputs.find(player.number);
    VORLIN_ASSERT(input != inputs.end());
    InputHandler* handler = input->second;
    PlayerActions actions;
    // The console has the keyboard while it is open.
    if (console_active && typeid(*handler) == typeid(PlayerInput)) return actions;

    WeaponSlot next_weapon = player.weapons.end();
    actions.bits = handler->Handle(player, *this, next_weapon);
    // Without the rope rule the press is dropped here, so that nothing records it.
    actions.rope = rules.rope() && (actions.bits & ACT_ROPE);
    actions.bits &= ~ACT_ROPE;
    if ((actions.bits & ACT_WEAPON) && next_weapon != player.weapons.end())
        actions.weapon = static_cast<int>(std::distance(player.weapons.begin(), next_weapon));
    return actions;
}

bool Game::Step(const StepInput& input, double dt) { return Step(input, dt, console); }

bool Game::Step(const StepInput& input, double dt, std::ostream& replies) {
    // The whole step goes by the timing switch as it began: a console command that flips
    // it during the step takes effect with the next one.
    const bool timing = show_timing;
    const std::clock_t started = timing ? StartTimingLine(dt) : 0;
    WorldStep(input, dt, replies);
    ServeConsole();
    // Exactly the regions the level recorded, also those a rollback restored: nothing
    // more when nothing changed.
    level.UpdateChanged();

    if (timing) stats << "Logic: " << std::setw(2) << elapsed_ms(started) << "ms ";
    redraw = true;
    return !key[KEY_ESC];
}

void Game::WorldStep(const StepInput& input, double dt, std::ostream& replies) {
    terrain_changed.Reset();
    sounds.Clear();
    // The world stands still once the match is over.
    if (!outcome.over) {
        ApplyActions(input);
        SwingRopes(dt);
        WalkWorld(dt);
        if (rand01() < dt * 0.1) SpawnWeapon();
        JudgeMatch(dt);
    }
    RunCommands(input, replies);
    ++steps_taken;
}

void Game::ServeConsole() {
    ToggleConsole();
    if (console_active) console.ProcessInput();
    console.Scroll();
}

std::clock_t Game::StartTimingLine(double dt) {
    stats.str("");
    stats.clear();
    stats << "dt: " << std::setw(5) << dt << " slowdown 1 / " << std::setw(1)
          << missed_ticks + 1 << " ";
    missed_ticks = 0;
    return std::clock();
}

void Game::ApplyActions(const StepInput& input) {
    std::size_t i = 0;
    for (Player& player : players) {
        if (i == input.players.size()) break;
        Act(player, input.players[i++]);
    }
}

void Game::Act(Player& player, const PlayerActions& actions) {
    const int bits = actions.bits;
    if (bits == 0 && !actions.rope) return;  // the idle player, the commonest case
    if (bits & ACT_LEFT)
        player.MoveLeft();
    else if (bits & ACT_RIGHT)
        player.MoveRight();
    if (bits & (ACT_UP | ACT_DOWN)) {
        const bool up = (bits & ACT_UP) != 0;
        // Up and down reel an attached rope in and out instead of aiming.
        if (rules.rope() && player.rope.Attached())
            player.rope.reel = up ? -1 : 1;
        else if (up)
            player.AimUp();
        else
            player.AimDown();
    }
    if ((bits & ACT_DIG) && player.Dig()) terrain_changed.Report();
    if (bits & ACT_JUMP) player.Jump();
    if (bits & ACT_FIRE) player.Fire();
    if ((bits & ACT_WEAPON) && actions.weapon >= 0 &&
        static_cast<std::size_t>(actions.weapon) < player.weapons.size())
        player.SelectWeapon(std::next(player.weapons.begin(), actions.weapon));
    if (actions.rope && rules.rope()) player.PressRope();
}

void Game::SwingRopes(double dt) {
    if (!rules.rope()) return;
    for (Player& player : players) player.rope.Update(player, level, dt);
}

void Game::WalkWorld(double dt) {
    pair_pass_.Begin(UsesPairGrid());
    // The end is read afresh on every turn: objects added during the walk are visited in
    // this same step. `cur` is a member because AddParticle may move the table's storage.
    for (cur = particles.data(); cur != particles.data() + particles.size(); ++cur) {
        if (!*cur) continue;
        if ((*cur)->Update(dt)) terrain_changed.Report();
        pair_pass_.ReactToLaterNeighbours(static_cast<std::size_t>(cur - particles.data()));
        RemoveIfDone(cur);
    }
    cur = nullptr;
    pair_pass_.End();
}

bool Game::UsesPairGrid() const {
    // The table's size bounds the live objects: a small table is not even counted.
    if (particles.size() < pair_index_from) return false;
    std::size_t live = 0;
    for (const Particle* p : particles) live += p != nullptr;
    return live >= pair_index_from && live > 1;
}

void Game::RemoveIfDone(Particle** entry) {
    Particle* p = *entry;
    if (!p->dead && !p->detached) return;
    // Players belong to `players`, and a detached object to whoever took it.
    if (p->dead && !dynamic_cast<Player*>(p)) delete p;
    *entry = nullptr;
    free_slots.push_back(entry);
}

void Game::ToggleConsole() {
    // One press toggles once: the key is stored negated until it is seen up again.
    if (console_key >= 0 && key_down(console_key)) {
        console_active = !console_active;
        console_key = -console_key;
        // Keys typed while it was hidden, the toggle's own character among them, never
        // reach the command line.
        if (console_active) clear_keybuf();
    }
    if (console_key < 0 && !key_down(-console_key)) console_key = -console_key;
}

void Game::RunCommands(const StepInput& input, std::ostream& replies) {
    // Recorded or received lines act where a typed line would: after the world moved.
    for (const std::string& line : input.commands) {
        std::istringstream args(line);
        processor->Process(args, replies);
    }
}

void Game::AddParticle(Particle* p) {
    if (!free_slots.empty()) {
        Particle** entry = free_slots.back();
        free_slots.pop_back();
        *entry = p;
        pair_pass_.Added(static_cast<std::size_t>(entry - particles.data()));
        return;
    }

    const std::size_t n = particles.size();
    Particle** const old_base = particles.data();
    const std::ptrdiff_t cur_at = cur ? cur - old_base : -1;
    const std::ptrdiff_t other_at = other ? other - old_base : -1;

    particles.resize(n + 16, nullptr);

    Particle** const base = particles.data();
    if (cur_at >= 0) cur = base + cur_at;
    if (other_at >= 0) other = base + other_at;
    // Free slots hold addresses into the table; it only grows when none are left, so
    // none can dangle.
    for (std::size_t i = n; i < n + 15; ++i) free_slots.push_back(base + i);
    base[n + 15] = p;
    pair_pass_.Added(n + 15);
}

void Game::SpawnWeapon() {
    Inventory::Weapon* w = random_weapon(this, &level);
    for (int tries = 0; tries < SPAWN_TRIES; ++tries) {
        const double ry = rand01();
        const double rx = rand01();
        w->SetPosition(static_cast<float>(rx * level.width), static_cast<float>(ry * level.height));
        if (!w->TouchesTerrain(true)) {
            AddParticle(w);
            return;
        }
    }
    delete w;
}
