#include <allegro.h>

#include <ctime>
#include <iomanip>
#include <typeinfo>

#include "game/game.h"
#include "game/random.h"
#include "input/input_handler.h"
#include "input/player_input.h"
#include "inventory/weapon.h"
#include "main/assertion.h"
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
    const bool timing = show_timing;
    std::clock_t started = 0;
    if (timing) {
        stats.str("");
        stats.clear();
        stats << "dt: " << std::setw(5) << dt << " slowdown 1 / " << std::setw(1)
              << missed_ticks + 1 << " ";
        missed_ticks = 0;
        started = std::clock();
    }

    terrain_changed = false;

    for (Player& player : players) {
        auto input = inputs.find(player.number);
        VORLIN_ASSERT(input != inputs.end());
        InputHandler* handler = input->second;
        // The console has the keyboard while it is open.
        if (console_active && typeid(*handler) == typeid(PlayerInput)) continue;

        WeaponSlot next_weapon = player.weapons.end();
        const int bits = handler->Handle(player, *this, next_weapon);
        if (bits & ACT_LEFT)
            player.MoveLeft();
        else if (bits & ACT_RIGHT)
            player.MoveRight();
        if (bits & ACT_UP)
            player.AimUp();
        else if (bits & ACT_DOWN)
            player.AimDown();
        if ((bits & ACT_DIG) && player.Dig()) terrain_changed = true;
        if (bits & ACT_JUMP) player.Jump();
        if (bits & ACT_FIRE) player.Fire();
        if (bits & ACT_WEAPON) player.SelectWeapon(next_weapon);
    }

    // The end is read afresh on every turn: objects added during the walk are visited
    // in this same step. `cur` and `other` are members because AddParticle may move the
    // table's storage while we walk it.
    for (cur = particles.data(); cur != particles.data() + particles.size(); ++cur) {
        if (!*cur) continue;
        if ((*cur)->Update(dt)) terrain_changed = true;

        for (other = cur + 1; other != particles.data() + particles.size(); ++other) {
            if (!*other || !(*cur)->Collides(*other)) continue;
            Particle* a = *cur;
            Particle* b = *other;
            a->OnCollision(b);
            b->OnCollision(a);
        }
        other = nullptr;

        Particle* p = *cur;
        if (p->dead) {
            // Players belong to `players`; the table never deletes them.
            if (!dynamic_cast<Player*>(p)) delete p;
            *cur = nullptr;
            free_slots.push_back(cur);
        } else if (p->detached) {
            *cur = nullptr;
            free_slots.push_back(cur);
        }
    }
    cur = nullptr;

    if (rand01() < dt * 0.1) SpawnWeapon();

    if (console_key >= 0 && key_down(console_key)) {
        console_active = !console_active;
        console_key = -console_key;
        // Keys typed while it was hidden, the toggle's own character among them, never
        // reach the command line.
        if (console_active) clear_keybuf();
    }
    if (console_key < 0 && !key_down(-console_key)) console_key = -console_key;

    if (console_active) console.ProcessInput();
    console.Scroll();

    // Only the regions this step dug, filled or painted; every change to the terrain in a
    // step goes through the level's own operations.
    if (terrain_changed) level.UpdateChanged();

    if (timing) stats << "Logic: " << std::setw(2) << elapsed_ms(started) << "ms ";

    ++steps_taken;
    redraw = true;
    return !key[KEY_ESC];
}

void Game::AddParticle(Particle* p) {
    if (!free_slots.empty()) {
        *free_slots.back() = p;
        free_slots.pop_back();
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
