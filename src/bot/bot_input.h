#ifndef VORLIN_BOT_BOT_INPUT_H
#define VORLIN_BOT_BOT_INPUT_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "bot/ballistics.h"
#include "bot/bot_random.h"
#include "bot/bot_skill.h"
#include "bot/path_planner.h"
#include "bot/terrain_grid.h"
#include "input/input_handler.h"

class Level;

// The computer opponent. Once per logic step it looks at the world (terrain, objects,
// players) and answers with the action bits a person could press: it walks, jumps, digs
// and aims one step at a time, fires only as fast as the weapon allows and switches
// weapons one press at a time. It never changes the world itself, and it draws its
// chances from its own generator, so the world's random sequence does not depend on
// who plays and a game with a bot records and replays like any other.
class BotInput final : public InputHandler {
public:
    BotInput(BotSkill skill, std::uint64_t seed);
    BotInput(const BotInput&) = delete;
    BotInput& operator=(const BotInput&) = delete;

    int Handle(Player& me, Game& game, WeaponSlot& next_weapon) override;

    BotSkill skill() const { return skill_; }
    // The way it follows now, cells of the grid; for tests and diagnostics.
    const std::vector<PathNode>& path() const { return path_; }

private:
    // What the bot wants this step, before it becomes bits.
    struct Intent {
        int walk = 0;  // -1 left, +1 right
        bool jump = false, dig = false, fire = false, cycle_weapon = false;
        bool aiming = false;  // face and elevation below are wanted
        int face = 1;
        double elevation = 0;  // radians above the horizontal, in the facing frame
        bool hold = false;     // in a good place to fight: do not walk the path
    };
    // Where the enemy was seen, late by the reaction time.
    struct Sighting {
        float x, y;
        bool alive;
        float health;
    };
    // The best shot with one weapon this step.
    struct Shot {
        WeaponKind kind = WeaponKind::Unknown;
        bool solved = false;  // an elevation within the aim limits reaches the point
        bool clear = false;   // and nothing but air lies on the way
        bool safe = true;     // its blast stays away from the bot
        int face = 1;
        double elevation = 0;
        double score = 0;
    };

    BotSkill skill_;
    SkillTraits traits_;
    BotRandom rng_;
    const Level* level_ = nullptr;
    TerrainGrid grid_;
    PathPlanner planner_;
    std::vector<PathNode> path_;
    unsigned long step_ = 0;

    // Perception.
    int enemy_ = 0;  // player number; 0 none
    std::vector<Sighting> seen_;  // ring of the enemy's recent places
    float me_x_ = 0, me_y_ = 0;

    // Movement.
    int plan_age_ = 0;
    // Planner expansions it may spend now, and the most it saves up: a whole plan.
    static constexpr int kPlanCreditMost = 20000;
    int plan_credit_ = kPlanCreditMost;
    int plan_goal_x_ = -100, plan_goal_y_ = -100;
    unsigned long plan_changes_ = 0;
    float goal_x_ = 0, goal_y_ = 0;
    bool has_goal_ = false;
    bool goal_is_enemy_ = false;
    // The weapon lying in the level it goes for, and the ones it gave up on for a while.
    const Particle* pickup_ = nullptr;
    struct Ignored {
        const Particle* weapon;
        unsigned long until;  // step
    };
    std::vector<Ignored> ignored_;
    float best_goal_distance_ = 1e9f;
    // Fewest nodes of the way left since the last progress towards the goal.
    std::size_t best_way_left_ = SIZE_MAX;
    int no_progress_ = 0;
    int rounds_carried_ = 0;  // of every weapon but dirt, at the last step
    int hold_steps_ = 0;  // in a row, holding for a clear shot
    unsigned long avoid_until_ = 0;  // step after which failed ways are tried again
    int blocked_ = 0;
    float last_x_ = 0;
    int tactic_ = -1;
    int tactic_steps_ = 0;
    int tactic_turn_ = 0;
    int still_ = 0;
    float still_x_ = 0, still_y_ = 0, still_aim_ = 0;
    bool climbing_ = false;  // the way goes straight up through dirt here
    float climb_top_ = 1e9f;  // highest place of this climb
    int climb_pause_ = 0;     // steps since the way last went up through dirt
    int held_steps_ = 0;  // in a row, falling in place
    int wriggle_first_ = 1;  // the walk out of such a hold tried first
    // The height (pixel row) the centre must rise to on the planned jump under way.
    static constexpr float kNoJumpTop = -1e9f;
    float jump_top_ = kNoJumpTop;
    int jump_cx_ = -1, jump_cy_ = -1;  // the node that jump goes to
    float held_x_ = 0, held_y_ = 0;
    // A hop: a run-up of `run` steps walking `run_dir`, the jump, and after `delay` more
    // steps the walk `dir` (-1, 0, +1); with `run` kNoJump, no jump: the flight under way.
    // Under way: steps since it began, of the `length` foreseen; 0 when there is none.
    static constexpr int kNoJump = -1;
    struct Hop {
        int run = 0;
        int run_dir = 0;
        int delay = 0;
        int dir = 0;
        int length = 0;
        int step = 0;
        int Walk(int s) const { return s < run ? run_dir : s - run >= delay ? dir : 0; }
    };
    Hop hop_;

    // Fighting.
    double aim_offset_ = 0;
    int aimed_steps_ = 0;
    int engaged_steps_ = 0;
    int unclear_steps_ = 0;  // since the last clear shot
    float engaged_health_ = 0;
    int reposition_ = 0;
    unsigned long last_switch_ = 0;
    float enemy_distance_ = 1e9f;
    // The nearest the bot has come to the living enemy, and the steps since it last came
    // closer.
    float closest_enemy_ = 1e9f;
    int strayed_steps_ = 0;
    unsigned long weapons_after_ = 0;  // step before which no weapon is a goal
    float stand_off_ = 0;  // pixels from the enemy within which no loaded weapon may fire
    int cornered_steps_ = 0;  // backing away from a close enemy and still close

    void Perceive(Player& me, Game& game);
    bool SeenEnemy(Sighting* now, float* vx, float* vy) const;
    void ResetLife();

    void Fight(Player& me, Game& game, Intent& intent);
    void WatchApproach(float d);
    Shot ChooseWeapon(Player& me, const Sighting& at, float vx, float vy, Intent& intent) const;
    void AimAt(const Player& me, const Shot& current, const Sighting& at, Intent& intent) const;
    void KeepOrLeavePlace(bool clear_shot, const Sighting& at);
    void FireWhenAimed(const Player& me, bool worth_firing, Intent& intent);
    Shot Evaluate(Player& me, const Inventory::Weapon* weapon, const Sighting& at, float vx,
                  float vy) const;
    // A shot at an enemy too steeply above or below to aim at, when it is close enough.
    Shot PointBlank(const Player& me, Shot s, const Sighting& at) const;
    // The nearest an enemy may stand for some loaded weapon to be fired at it, pixels.
    static float StandOff(const Player& me);
    void AvoidOwnBlasts(Player& me, Game& game, Intent& intent) const;

    void ChooseGoal(Player& me, Game& game, bool engaged);
    bool Ignored(const Particle* weapon) const;
    void GiveUpPickup();
    void Travel(Player& me, Intent& intent);
    // The walk away from an enemy too close to fire at: -1 or +1.
    int BackingAway(const Player& me) const;
    // The distance from the enemy within which the bot backs away, pixels: where it cannot
    // aim, or further when every loaded weapon's blast would reach it there.
    float BackingAwayWithin() const;
    void Replan(Player& me);
    void FollowPath(Player& me, Intent& intent);
    void WatchProgress(Player& me, Intent& intent);
    void AvoidWhereTheWayFailed();
    void ForgetProgressMarks();
    void Unstick(Player& me, Intent& intent);
    // Cells straight up from the bot's own, counted from it, where the disc at every
    // height finds a wall at its side to hang by between a dig and the jump after it.
    int ClingCellsAbove(const Player& me) const;
    // Cells a jump from where the bot is rises through before the disc meets terrain.
    int RiseCells(const Player& me) const;
    // Straight up through dirt: a dig while dirt is over the head, else a jump.
    void ClimbThroughDirt(Player& me, Intent& intent) const;
    static bool Aligned(const Player& me, const Intent& intent);
    // Facing that way and within a step of the aim wanted: where a shot is fired.
    static bool AimedExactly(const Player& me, const Intent& intent);
    // Off a wall it rests against with nothing underfoot, where the way goes on by a fall.
    void LetGoOfTheWall(const Player& me, Move next, Intent& intent) const;
    // Whether a rising jump has height to spare for the walk.
    bool WalkWhileRising(const Player& me, int dir) const;
    // No terrain near the disc's side towards `dir` (-1 left, +1 right).
    bool ClearBeside(const Player& me, int dir) const;
    // Terrain in the column above the head, up to `reach` pixels above it.
    bool DirtOverhead(const Player& me, int reach) const;
    // Where holding a walk (and a jump pressed now) leads over the next second; with
    // `walk_to`, the walk is let go once the centre reaches that column (pixels).
    struct Outlook {
        int reached;  // the furthest node of the way next to where the disc ends; -1 none
        bool lost;    // it drops well below the way's next nodes, off the way
    };
    static constexpr float kWalkOn = -1e9f;
    Outlook Foresee(const Player& me, int walk, bool jump, float walk_to = kWalkOn) const;
    // When the walk would drop the bot off its way, the walk or jump that keeps to it.
    // `take_off`: the column the walk goes to for a jump of the way, or kWalkOn.
    void KeepToTheWay(const Player& me, Intent& intent, float take_off) const;
    // The furthest of the way's first `nodes` nodes next to the cell (up to `aside` cells
    // to either side, one up or down); -1 when none is.
    int Progress(int cx, int cy, std::size_t nodes, int aside = 1) const;
    // Where the hop begun now comes to stand after a flight: its progress (as above, on
    // ground that reaches a little further aside), after `*steps` steps; -1 when it is
    // still in the air after two seconds.
    int HopLands(const Player& me, const Hop& hop, int* steps) const;
    // In the air: the walk that lands furthest along the way; false when none lands on it.
    bool SteerInTheAir(const Player& me, Intent& intent) const;
    // Looks for a hop that lands on the way when the next move is a jump; true when one
    // was found and taken.
    bool TakeHop(const Player& me, Intent& intent);
    // Whether the hop under way has come to its end.
    bool HopOver(const Player& me) const;
    // Goes on with the hop under way; false once it is over.
    bool Hopping(const Player& me, Intent& intent);

    void LetGoOfLedges(const Player& me, Intent& intent);
    // Held where no walk moves it: shoots the dirt that stops the walk; false when there is
    // none to shoot, or no pistol round.
    bool ShootAWayOut(const Player& me, Intent& intent) const;
    int Compose(Player& me, const Intent& intent, WeaponSlot& next_weapon);
};

#endif
