#include "bench_world.h"

#include <time.h>

#include <algorithm>

#include <allegro.h>

#include <cstdio>
#include <cstdlib>

#include "ammunition/ammunition.h"
#include "game/game.h"
#include "base/random.h"
#include "input/input_handler.h"
#include "input/scripted_input.h"
#include "inventory/weapon.h"
#include "main/bootstrap.h"
#include "particle/particle.h"
#include "player/player.h"

namespace bench {

namespace {

std::string g_level_dir;

// Rows of open sky at the top of the default level; projectiles are launched there.
constexpr float kSkyBand = 60.0f;

int fighter_script(int number, std::size_t step) {
    int bits = ACT_FIRE;
    const std::size_t phase = step % 240;
    if (phase < 60) bits |= number == 1 ? ACT_RIGHT : ACT_LEFT;
    if (phase >= 120 && phase < 150) bits |= number == 1 ? ACT_LEFT : ACT_RIGHT;
    if (phase >= 60 && phase < 80) bits |= ACT_UP;
    if (phase >= 160 && phase < 180) bits |= ACT_DOWN;
    if (step % 60 == 59) bits |= ACT_WEAPON;
    if (step % 97 == 50) bits |= ACT_JUMP;
    if (phase >= 200 && phase < 210) bits |= ACT_DIG;
    return bits;
}

// One more of every kind: a kind he lacks joins his list, one he holds merges its
// ammunition and the spent pickup is ours to delete.
void arm(Game& game, Player& p) {
    Inventory::Weapon* const kinds[] = {
        new Inventory::Pistol(&game, &game.level), new Inventory::Shotgun(&game, &game.level),
        new Inventory::RocketLauncher(&game, &game.level),
        new Inventory::FlakCannon(&game, &game.level),
        new Inventory::DirtCannon(&game, &game.level)};
    for (Inventory::Weapon* w : kinds) {
        p.PickUp(w);
        if (w->dead) delete w;
    }
}

}  // namespace

void set_level_dir(const std::string& dir) { g_level_dir = dir; }

const std::string& level_dir() { return g_level_dir; }

const std::string& level_file() {
    static const std::string file = [] {
        const std::string path = g_level_dir + "/map.lvl";
        std::string error;
        if (!bootstrap_level(g_level_dir, path, &error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            std::exit(2);
        }
        return path;
    }();
    return file;
}

std::unique_ptr<Game> load_game(unsigned seed) {
    seed_random(seed);
    auto game = std::make_unique<Game>(640, 480);
    if (!game->Load(level_file(), 2)) {
        std::fprintf(stderr, "cannot load %s\n", level_file().c_str());
        std::exit(2);
    }
    game->step_dt = kStepDt;
    for (Player& p : game->players) {
        delete game->inputs[p.number];
        game->inputs[p.number] = new ScriptedInput(std::vector<int>());
    }
    return game;
}

void start_fight(Game& game) {
    for (Player& p : game.players) {
        const int n = p.number;
        delete game.inputs[n];
        game.inputs[n] = new ScriptedInput([n](std::size_t step) { return fighter_script(n, step); });
        arm(game, p);
        // Within reach of each other, near the middle of the level.
        p.SetPosition(n == 1 ? 560.0f : 720.0f, 20.0f);
        p.aim = n == 1 ? 0.0f : static_cast<float>(PI);
    }
}

void feed_fight(Game& game, std::size_t step) {
    if (step % kRefillSteps != kRefillSteps - 1) return;
    for (Player& p : game.players) arm(game, p);
}

std::size_t live_objects(const Game& game) {
    std::size_t n = 0;
    for (const Particle* p : game.particles) n += p != nullptr;
    return n;
}

void fill_with_projectiles(Game& game, std::size_t count) {
    Player* owner = &game.players.front();
    std::size_t live = live_objects(game);
    for (std::size_t i = live; i < count; ++i) {
        const float x = static_cast<float>(rand01() * game.level.width);
        const float y = static_cast<float>(rand01() * kSkyBand);
        const float angle = static_cast<float>(rand01() * 2 * PI);
        Particle* p;
        switch (i % 3) {
        case 0:
            p = new Ammunition::Flak::Shrapnel(owner, &game, &game.level, x, y, angle,
                                               static_cast<float>(200 + 200 * rand01()));
            break;
        case 1:
            p = new Ammunition::BirdShot(owner, &game, &game.level, x, y, angle);
            break;
        default:
            p = new Ammunition::Dirt(owner, &game, &game.level, x, y, angle);
            break;
        }
        game.AddParticle(p);
    }
}

double cpu_ms() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) * 1e-6;
}

double percentile(std::vector<double> values, double share) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t rank = static_cast<std::size_t>(share * static_cast<double>(values.size()));
    return values[std::min(rank, values.size() - 1)];
}

}  // namespace bench
