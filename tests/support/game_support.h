#ifndef VORLIN_TESTS_GAME_SUPPORT_H
#define VORLIN_TESTS_GAME_SUPPORT_H

#include <cstddef>
#include <string>
#include <typeinfo>
#include <vector>

#include "game/game.h"
#include "particle/particle.h"

class InputHandler;
namespace Inventory {
class Weapon;
}

namespace testsupport {

// The objects of exactly type T in the game's table, in table order.
template <class T>
std::vector<T*> live(const Game& game) {
    std::vector<T*> found;
    for (Particle* p : game.particles)
        if (p && typeid(*p) == typeid(T)) found.push_back(static_cast<T*>(p));
    return found;
}

// The objects of any kind in the game's table.
std::size_t live_count(const Game& game);

// A player entered as the game enters one (into its list and its table), driven by
// `input`, which the game takes over; not yet placed or armed.
Player& add_player(Game& game, int number, InputHandler* input);

// One logic step of `handler` as the game takes it: its bits, and the weapon switch
// when it asks for one.
int handle_step(InputHandler& handler, Player& player, Game& game);

// Hands `weapon` to `holder` and makes it the current one.
void hand_over(Player& holder, Inventory::Weapon* weapon);

// Gives `p` every kind of weapon it lacks, in the order the weapon key runs through them:
// pistol, shotgun, rocket launcher, flak cannon, dirt cannon.
void arm_fully(Game& game, Player& p);

// Player `number`'s bits in step `step` of a duel through every weapon: both walk towards
// each other, aim up and down, fire, switch weapons, jump and dig.
int duel_script(int number, std::size_t step);

// Hands `p` the duel script in place of its input, arms it fully and puts it at (x, y).
void enter_duel(Game& game, Player& p, float x, float y);

// Hilly ground with a cave, so that shots, craters and dirt meet real terrain.
bool duel_ground(int x, int y);

// A key as readkey gives it: the character in the low byte, the scan code above it.
constexpr int key_code(int scancode, int c = 0) { return (scancode << 8) | c; }

// Types `text` into the console's command line, one key a character.
void type_into(Game::Console& console, const std::string& text);
// Types `text` and Enter.
void enter_into(Game::Console& console, const std::string& text);

// Records every command line it is handed and answers "reply <line>" on the stream.
class RecordingProcessor : public Game::Console::CommandProcessor {
public:
    std::vector<std::string> lines;
    std::ostream* out = nullptr;

    void Process(std::istream& args, std::ostream& o) override;
};

}  // namespace testsupport

#endif
