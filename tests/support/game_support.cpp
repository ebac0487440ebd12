#include "support/game_support.h"

#include <allegro.h>

#include <cmath>
#include <istream>
#include <iterator>
#include <ostream>
#include <set>

#include "input/input_handler.h"
#include "input/scripted_input.h"
#include "inventory/weapon.h"

namespace testsupport {

std::size_t live_count(const Game& game) {
    std::size_t n = 0;
    for (Particle* p : game.particles) n += p != nullptr;
    return n;
}

Player& add_player(Game& game, int number, InputHandler* input) {
    game.players.emplace_back(&game, &game.level, number);
    Player& p = game.players.back();
    game.AddParticle(&p);
    delete game.inputs[number];
    game.inputs[number] = input;
    return p;
}

int handle_step(InputHandler& handler, Player& player, Game& game) {
    WeaponSlot next = player.weapons.end();
    const int bits = handler.Handle(player, game, next);
    if (bits & ACT_WEAPON) player.SelectWeapon(next);
    return bits;
}

void hand_over(Player& holder, Inventory::Weapon* weapon) {
    holder.weapons.push_back(weapon);
    weapon->SetOwner(&holder);
    holder.current_weapon = std::prev(holder.weapons.end());
}

void arm_fully(Game& game, Player& p) {
    std::set<std::string> held;
    for (Inventory::Weapon* w : p.weapons) held.insert(weapon_name(w));
    auto give = [&](Inventory::Weapon* w) {
        if (held.count(weapon_name(w)))
            delete w;
        else
            p.PickUp(w);
    };
    give(new Inventory::Pistol(&game, &game.level));
    give(new Inventory::Shotgun(&game, &game.level));
    give(new Inventory::RocketLauncher(&game, &game.level));
    give(new Inventory::FlakCannon(&game, &game.level));
    give(new Inventory::DirtCannon(&game, &game.level));
}

int duel_script(int number, std::size_t step) {
    int bits = ACT_FIRE;
    const std::size_t phase = step % 240;
    if (phase < 60) bits |= number == 1 ? ACT_RIGHT : ACT_LEFT;
    if (phase >= 60 && phase < 90) bits |= ACT_UP;
    if (phase >= 150 && phase < 170) bits |= ACT_DOWN;
    if (step % 120 == 100) bits |= ACT_WEAPON;
    if (step % 97 == 50) bits |= ACT_JUMP;
    if (phase >= 200 && phase < 215) bits |= ACT_DIG;
    return bits;
}

void enter_duel(Game& game, Player& p, float x, float y) {
    const int n = p.number;
    delete game.inputs[n];
    game.inputs[n] = new ScriptedInput([n](std::size_t step) { return duel_script(n, step); });
    arm_fully(game, p);
    p.SetPosition(x, y);
}

bool duel_ground(int x, int y) {
    const double ground = 230 + 40 * std::sin(x / 45.0) + 15 * std::sin(x / 13.0);
    const bool cave = (x - 320) * (x - 320) / 4 + (y - 320) * (y - 320) < 40 * 40;
    return y >= ground && !cave;
}

void type_into(Game::Console& console, const std::string& text) {
    for (char ch : text) console.ProcessKey(key_code(KEY_A, static_cast<unsigned char>(ch)));
}

void enter_into(Game::Console& console, const std::string& text) {
    type_into(console, text);
    console.ProcessKey(key_code(KEY_ENTER, 13));
}

void RecordingProcessor::Process(std::istream& args, std::ostream& o) {
    std::string all;
    std::getline(args, all);
    lines.push_back(all);
    out = &o;
    o << "reply " << all << std::endl;
}

}  // namespace testsupport
