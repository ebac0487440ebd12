#ifndef VORLIN_GAME_GAME_H
#define VORLIN_GAME_GAME_H

#include <atomic>
#include <ctime>
#include <iosfwd>
#include <list>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "game/console_stream.h"
#include "game/match_rules.h"
#include "game/pair_pass.h"
#include "game/sound_sink.h"
#include "game/step_input.h"
#include "game/terrain_change.h"
#include "particle/sound_events.h"
#include "level/level.h"
#include "player/player.h"

class ComputerPlayers;
class FrameSink;
class InputHandler;
class Particle;
class StepDriver;

// The central object of one game. It owns its level, its players (by value in a list
// whose elements never move), their input handlers, the console and its command
// processor, and every object in the particle table except the players.
class Game {
public:
    // The in-game console: a text stream drawn on a scroll-back bitmap, with a one-line
    // command input below it.
    class Console : public gstream {
    public:
        // Receives every finished, non-empty command line.
        class CommandProcessor {
        public:
            virtual ~CommandProcessor() = default;
            virtual void Process(std::istream& args, std::ostream& out) = 0;
        };

        // Rows of `buffer` below the visible part: bounds one burst of output between
        // two scrolls.
        static constexpr int BufferSize = 128;

        BITMAP* buffer;  // owned: w x (vh + BufferSize)
        Game* game;      // not owned
        CommandProcessor* processor;  // not owned; may be null
        std::string line;             // the command line being typed
        std::size_t cursor;           // insertion point in `line`
        int vh;                       // visible rows of `buffer`
        bool syncing;                 // re-entry guard of sync()

        // h is the whole console height, input strip included.
        Console(Game* game, CommandProcessor* processor, int w, int h);
        ~Console() override;

        void Draw(BITMAP* target, int x, int y) const;
        // At most one buffered key per call.
        void ProcessInput();
        // One key as readkey gives it: character in the low 8 bits, scancode above.
        void ProcessKey(int key);
        // Moves finished lines into view.
        void Scroll();

    protected:
        int sync() override;
    };

    class CommandProcessor;

    Level level;  // first member: the Game's address is its level's
    std::list<Player> players;
    std::map<int, InputHandler*> inputs;  // owned, by player number
    std::atomic<bool> tick_pending;  // set by the timer thread, cleared by the loop
    bool redraw;
    TerrainChange terrain_changed;  // during a step: whether the terrain changed in it
    double step_dt;        // simulated seconds per logic step
    // The world table: a null entry is free. Table order is update, collision and
    // drawing order. Players' entries point into `players` and are never deleted here.
    std::vector<Particle*> particles;
    Particle** cur;    // entry being updated; null outside the walk
    Particle** other;  // second entry of the pair pass
    std::vector<Particle**> free_slots;  // reused last in, first out
    CommandProcessor* processor;  // owned
    Console console;
    bool console_active;
    int console_key;  // scan code; negated while still held after a toggle
    bool quit;
    bool show_timing;
    std::ostringstream stats;  // the timing line of the current step and frame
    std::atomic<int> missed_ticks;  // ticks that arrived while one was pending
    Player* selected;  // chosen with the console's "select"
    unsigned long steps_taken;  // logic steps run so far; for diagnostics and tests
    // Live objects from which the pair pass looks its candidates up in a grid instead of
    // testing every later entry (PairPass). Either way gives the same pairs in the same
    // order; below this the plain pass is the cheaper one.
    std::size_t pair_index_from = 64;
    SoundEvents sounds;  // what the current step made heard; emptied as each step begins
    SoundSink* sound_sink = nullptr;  // not owned; plays `sounds` after every step of Pass
    // Runs each tick of Go's loop instead of Logic when set; not owned.
    StepDriver* driver = nullptr;
    // Makes the players the computer plays, from the start (Load) and by the console's
    // "player bot"; not owned; null in a game without computer players.
    ComputerPlayers* computers = nullptr;
    // The keys' handlers of the players the computer plays now, by player number, kept
    // for "player human".
    std::map<int, std::unique_ptr<InputHandler>> keys_aside;
    // How the match ends, set before the game is loaded: endless unless asked otherwise.
    MatchRules rules;
    // The level's name as replays and the other machine know it; empty for the default.
    std::string level_name;
    // Judged by the step; once over, the world stands still and the results are shown.
    MatchOutcome outcome;
    // Whether the results screen offers a rematch (a game at this computer), and whether
    // Return asked for one: the same match again, in a new game.
    bool rematch_offered = false;
    bool rematch = false;
    // Where the match's replay is written, shown with the results; empty for none.
    std::string replay_note;
    // Whether the results screen also offers watching the match's replay (R), and whether
    // it was asked for; set by a front end that can play it.
    bool watch_offered = false;
    bool watch = false;
    // Takes every frame instead of the 1:1 copy to the screen; not owned; null for the
    // copy. The game's picture then has the sink's size.
    FrameSink* frame_sink = nullptr;

    // Sized from the current graphics mode (the console spans the screen).
    Game();
    // For a game without a graphics mode: the console is sized for this screen.
    Game(int screen_w, int screen_h);
    ~Game();
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    void Go(const std::string& file, int players);
    // One pass of the main loop: a logic step when a tick is pending (or a 1 ms rest when
    // there is nothing to do), then the frame when one is due, drawn into `buffer` and
    // copied to the screen when there is one. False when the game must end.
    bool Pass(BITMAP* buffer);
    // False when the file is refused; the game must not start then.
    bool Load(const std::string& file, int players);
    // One step of dt seconds from the players' own input handlers: Step(GatherInput(), dt).
    // False when the game must end.
    bool Logic(double dt);
    // Asks every player's input handler, in list order, what the player does this step. A
    // handler that reads the keyboard is not asked while the console is open: its player
    // does nothing. A chosen weapon becomes its position in the player's weapon list.
    StepInput GatherInput();
    // One step of dt seconds with the players' actions given: each entry acts for the
    // player at its place in the list (a missing entry: the player does nothing; a weapon
    // position outside the player's list: no switch), then the world moves. The console,
    // the timing line and Escape are served as in every step. False when the game must end.
    // The world's part is WorldStep; the console, the timing line and Escape come around it.
    bool Step(const StepInput& input, double dt);
    // The same, the world's console replies going to `replies` instead of the console (a
    // network game that may take the step back shows them once the step is final).
    bool Step(const StepInput& input, double dt, std::ostream& replies);
    // The world alone for one step: the actions, the world's move, a weapon's drop, the
    // match's judgement, then the input's console lines, which answer into `replies`. It
    // reads no key, clock or file and plays no sound (the step's sounds are only recorded
    // in `sounds`), so run again from a saved world with the same input it makes the same
    // world; a step played again answers into a stream nobody reads.
    void WorldStep(const StepInput& input, double dt, std::ostream& replies);
    void Draw(BITMAP* target);
    // The console alone, straight to the screen (or the frame sink): the stages before the
    // first frame show their progress so.
    void ShowConsole();
    // The size of the game's picture: the frame sink's, else the screen's.
    int picture_w() const;
    int picture_h() const;
    void DrawView(BITMAP* target, const Player& player, int x, int y, int w, int h) const;
    // The table takes ownership (players excepted).
    void AddParticle(Particle* p);
    void SpawnWeapon();
    // Player `number` is played by `handler` from the next step on; its keys' handler waits
    // in keys_aside (a computer player it had is dropped).
    void HandToComputer(int number, std::unique_ptr<InputHandler> handler);
    // Player `number` plays from its keys again; false when the computer did not play it.
    bool HandBack(int number);

    // "speed" of section "game" times 1/60 s; bad values give the default speed.
    static double ConfiguredStepDt();

private:
    // The pair pass of every walk; told of every object added.
    PairPass pair_pass_{*this};
    // The record Logic gathers, kept from step to step.
    StepInput gathered_;
    // The results screen's Return key: it counts only once seen up.
    bool return_seen_up_ = false;

    // The stages of a step, in their order.
    std::clock_t StartTimingLine(double dt);
    void Gather(StepInput* input);
    PlayerActions AskInput(Player& player);
    void ApplyActions(const StepInput& input);
    void Act(Player& player, const PlayerActions& actions);
    // With the rope rule: every rope's hook flies or holds, and pulls its player.
    void SwingRopes(double dt);
    void WalkWorld(double dt);
    bool UsesPairGrid() const;
    void RemoveIfDone(Particle** entry);
    // The console key, typing into the console and its scrolling, after the world moved.
    void ServeConsole();
    void ToggleConsole();
    void RunCommands(const StepInput& input, std::ostream& replies);
    // The match's end, judged after the world moved (game_match.cpp).
    void JudgeMatch(double dt);
    // On the results screen: Return (or a pad's first button) for a rematch, Escape to
    // end. False when the game ends.
    bool ServeResults();
    void DrawScoreBox(BITMAP* target) const;
    void DrawResults(BITMAP* target) const;

    // At loading: the computer takes player `number` when `computers` says so.
    void SeatComputerPlayer(int number);
};

// The 60 Hz timer callback; param is the Game. It only flags a tick.
void TimerTick(void* param);

#endif
