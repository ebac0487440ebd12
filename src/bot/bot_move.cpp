// The computer player's way through the terrain: what to go for, the planned way there,
// and what to do when the way does not work.

#include <algorithm>
#include <cmath>
#include <limits>

#include "bot/aim_frame.h"
#include "bot/bot_input.h"
#include "bot/disc_motion.h"
#include "game/game.h"
#include "inventory/weapon.h"
#include "player/player.h"

namespace {

// Steps between two plans while nothing forces one.
constexpr int kPlanSteps = 40;
// Planner expansions earned per step and the fewest a plan gets.
constexpr int kPlanCreditPerStep = 1200;
constexpr int kPlanLeast = 3000;
// Steps without progress (8 pixels closer to the goal, or a node further along a way
// round to it) before an unstick manoeuvre.
constexpr int kNoProgressSteps = 150;
// What entering a cell about a failed way adds to a plan (cells of walking), and the steps
// it lasts after the last failure.
constexpr float kFailedWayCost = 100.0f;
constexpr unsigned long kAvoidSteps = 1800;
// Pixels from the goal beyond which following the way counts as progress as well.
constexpr float kAroundDistance = 120.0f;
// Steps a hold for a clear shot lasts before it counts as progress unless the bot fires: a
// shot that shows for a step now and then is never fired, and must not keep the bot from
// another way.
constexpr int kSteadyHoldSteps = 8;
// Steps without any change of place or aim before one.
constexpr int kStillSteps = 240;
constexpr int kTacticSteps = 140;
constexpr int kClimbCycle = 70;
constexpr int kTactics = 4;
// The manoeuvre out of the dirt towards a goal higher up, beyond the ordinary ones, and
// its longest run; goals less than this much higher do not call for it.
constexpr int kEscape = kTactics;
constexpr int kEscapeSteps = 1800;
constexpr float kEscapeRise = 24.0f;
// Dirt this close over the head (pixels) makes the bot buried, and the escape is over once
// none lies this close: an island or a ceiling far above is no reason to dig.
constexpr int kBuried = 16;
constexpr int kOutOfDirt = 40;
// Elevations of the dig directions that matter: diagonally and straight.
constexpr double kDiagonal = 0.75;
constexpr double kSteep = 1.2;
// Weapons lying further away than this are left alone; a bot with only a pistol goes
// further for one.
constexpr float kPickupReachArmed = 160.0f;
constexpr float kPickupReachUnarmed = 300.0f;
constexpr float kPickupDepth = 40.0f;
// The weapon the bot goes for stays its goal that much deeper below, so that the goal does
// not change back and forth as the bot jumps on the way (a jump rises some 45 pixels).
constexpr float kChosenPickupDepth = kPickupDepth + 50.0f;
constexpr float kPickupLift = 5.0f;
// Steps the bot leaves a weapon alone once a manoeuvre was needed on the way to it: leaving
// it after the first measured better than after the second.
constexpr unsigned long kIgnoreSteps = 1200;
// Steps without coming closer to the enemy after which weapons lying about are no goal for
// a while: a detour for one, or one weapon after another out of reach, has lasted long
// enough.
constexpr int kStraySteps = 480;
// Upward speed (pixels per second, negative up) above which a jump is still rising fast.
constexpr float kRisingSpeed = -60.0f;
// Pixels a planned jump carries the centre above the top of the cell it lands in: the disc
// must clear the edge of what it lands on.
constexpr float kJumpClearance = 4.0f;
// Pixels from where the walk is aimed within which the bot stops walking.
constexpr float kThere = 2.0f;
// Pixels from the node a planned jump starts from within which the bot takes off.
constexpr float kTakeOff = 4.0f;
// What a rising disc keeps clear of beside it, pixels from the centre: aside, above and
// below (the radius is 10).
constexpr int kBesideReach = 12, kBesideAbove = 12, kBesideBelow = 6;
// Pixels above the centre where dirt means the head is against it.
constexpr int kHeadClearance = 9;
// Cells up the bot's own column looked at for walls to climb by; above them an untouched
// column of dirt has dirt in the cells beside it, which the planner sees.
constexpr int kClingLookUp = 16;
// The look ahead: steps foreseen, nodes of the way looked at beyond the furthest reached,
// and the cells below the lowest of them at which a disc off the way counts as lost.
constexpr int kForeseeSteps = 60;
constexpr std::size_t kForeseeNodes = 8;
constexpr int kLostDrop = 3;
// Hops: the longest flight foreseen, the nodes of the way looked at for the landing, and
// the walks tried (from the take-off, then every few steps later, up to this late).
constexpr int kHopSteps = 120;
constexpr std::size_t kHopNodes = 12;
constexpr int kHopLatestWalk = 36;
constexpr int kHopDelayStep = 3;
// Cells beside a node of the way where a hop may come down: a jump's node lies at the near
// end of what it lands on, which a hop that clears the edge overshoots.
constexpr int kLandingAside = 2;
// Run-ups: a few steps each way, up to this long; their walks after the take-off are tried
// more coarsely.
constexpr int kRunUpStep = 4, kRunUpLongest = 16;
constexpr int kRunUpDelayStep = 6;
// Closer than this to its enemy the bot cannot aim at it (the aim stops at 60 degrees
// up or down) and backs away; with only blasts loaded it backs away further, out of
// their reach.
constexpr float kTooClose = 45.0f;
// Room beside an enemy, to the side of the level, that a bot backs away into is the
// distance it backs away to and this much more.
constexpr float kDiscWidth = 20.0f;

bool standing(const Player& p) { return p.state == PS_Normal && p.action == PA_Idle; }

int sign_of(float v) { return v < 0 ? -1 : 1; }

bool well_armed(const Player& p) {
    for (const Inventory::Weapon* w : p.weapons) {
        const WeaponKind k = kind_of(w);
        if (w->ammo > 0 && (k == WeaponKind::Rockets || k == WeaponKind::Flak || k == WeaponKind::Shotgun))
            return true;
    }
    return false;
}

// Rounds of every weapon but dirt: more after a pickup or in a new life, never more
// otherwise.
int rounds_carried(const Player& p) {
    int n = 0;
    for (const Inventory::Weapon* w : p.weapons)
        if (kind_of(w) != WeaponKind::Dirt) n += w->ammo;
    return n;
}

bool armed(const Player& p) {
    for (const Inventory::Weapon* w : p.weapons)
        if (w->ammo > 0 && kind_of(w) != WeaponKind::Dirt) return true;
    return false;
}

int chebyshev(int ax, int ay, int bx, int by) { return std::max(std::abs(ax - bx), std::abs(ay - by)); }

}  // namespace

void BotInput::ChooseGoal(Player& me, Game& game, bool engaged) {
    // With every weapon empty there is no fight to stay near, only a weapon to fetch,
    // wherever it lies.
    const bool empty_handed = !armed(me);
    const Inventory::Weapon* pickup = nullptr;
    float pickup_d = empty_handed     ? std::numeric_limits<float>::max()
                     : well_armed(me) ? kPickupReachArmed
                                      : kPickupReachUnarmed;
    for (const Particle* p : game.particles) {
        auto* w = dynamic_cast<const Inventory::Weapon*>(p);
        if (!w || w->owner || w->dead || w->detached || kind_of(w) == WeaponKind::Dirt ||
            Ignored(w))
            continue;
        // One lying in a cave below is not worth the digging: a dug shaft is hard to leave.
        if (w->y > me.y + (w == pickup_ ? kChosenPickupDepth : kPickupDepth)) continue;
        const float d = std::hypot(w->x - me.x, w->y - me.y);
        if (d < pickup_d) pickup_d = d, pickup = w;
    }
    Sighting at;
    float vx, vy;
    const bool enemy = SeenEnemy(&at, &vx, &vy);
    has_goal_ = true;
    goal_is_enemy_ = false;
    pickup_ = nullptr;
    // A weapon further than the enemy would only lead away from the fight, unless there is
    // none to be had without it; and once weapons have kept the bot from its enemy for long,
    // none is worth a detour for a while.
    if (!enemy) weapons_after_ = 0;
    if (enemy && strayed_steps_ > kStraySteps) weapons_after_ = step_ + kIgnoreSteps;
    const bool strayed = step_ < weapons_after_;
    const bool worth =
        pickup && (!enemy || empty_handed || (pickup_d < enemy_distance_ && !strayed));
    if (worth && (!engaged || empty_handed || pickup_d < 40)) {
        pickup_ = pickup;
        goal_x_ = pickup->x;
        // Where a player's centre is when it stands where the weapon lies: a disc's
        // height above the ground, not half a weapon's, or the way ends in the ground.
        goal_y_ = pickup->y - kPickupLift;
    } else if (enemy) {
        goal_x_ = at.x;
        goal_y_ = at.y;
        goal_is_enemy_ = true;
    } else {
        has_goal_ = false;
    }
}

bool BotInput::Ignored(const Particle* weapon) const {
    for (const auto& i : ignored_)
        if (i.weapon == weapon && i.until > step_) return true;
    return false;
}

void BotInput::GiveUpPickup() {
    if (!pickup_) return;
    ignored_.erase(std::remove_if(ignored_.begin(), ignored_.end(),
                                  [this](const auto& i) { return i.until <= step_; }),
                   ignored_.end());
    ignored_.push_back({pickup_, step_ + kIgnoreSteps});
}

void BotInput::Travel(Player& me, Intent& intent) {
    WatchProgress(me, intent);
    climbing_ = false;
    if (tactic_ >= 0) {
        Unstick(me, intent);
        return;
    }
    if (!has_goal_ || intent.hold) return;
    // A hop under way is flown to its end: backing away from an enemy that comes too close
    // in flight turns the walk about as the distance crosses the limit, and the hop misses
    // what it was to land on.
    const bool too_close = enemy_distance_ < BackingAwayWithin() && goal_is_enemy_ && hop_.length == 0;
    cornered_steps_ = too_close && blocked_ > 8 ? cornered_steps_ + 1 : 0;
    if (too_close) {
        intent.walk = BackingAway(me);
        if (blocked_++ > 8 && standing(me)) intent.jump = true;
        return;
    }
    Replan(me);
    FollowPath(me, intent);
}

int BotInput::BackingAway(const Player& me) const {
    // Away from the enemy, unless it stands too near a side of the level to leave room
    // beyond it: then past it. The choice hangs on where the enemy stands, not on how near
    // the bot is to the side, so that a bot between the two does not turn about at every
    // step.
    const float width = static_cast<float>(grid_.mask().width());
    const int away = goal_x_ < me.x ? 1 : -1;
    const float room = away > 0 ? width - goal_x_ : goal_x_;
    return room < BackingAwayWithin() + kDiscWidth ? -away : away;
}

float BotInput::BackingAwayWithin() const { return std::max(kTooClose, stand_off_); }

void BotInput::Replan(Player& me) {
    plan_credit_ = std::min(kPlanCreditMost, plan_credit_ + kPlanCreditPerStep);
    const int mx = TerrainGrid::CellOf(me.x), my = TerrainGrid::CellOf(me.y);
    const int gx = TerrainGrid::CellOf(goal_x_), gy = TerrainGrid::CellOf(goal_y_);
    const bool off_path = path_.empty() || chebyshev(mx, my, path_.front().cx, path_.front().cy) > 2;
    const bool goal_moved = std::abs(gx - plan_goal_x_) + std::abs(gy - plan_goal_y_) > 3;
    const bool terrain_moved = grid_.changes() != plan_changes_ && plan_age_ > 10;
    if (!off_path && !goal_moved && !terrain_moved && ++plan_age_ <= kPlanSteps) return;
    // Plans are paid from a credit of expansions that each step tops up: a bot whose plans
    // keep failing on a large level waits with the next one while it follows the last.
    if (!path_.empty() && plan_credit_ < kPlanLeast) return;
    if (planner_.avoiding() && step_ > avoid_until_) planner_.ForgetAvoided();
    path_ = planner_.Plan(grid_, mx, my, gx, gy, std::max(plan_credit_, kPlanLeast),
                          StartColumn{ClingCellsAbove(me), RiseCells(me)});
    plan_credit_ -= planner_.last_expansions();
    plan_age_ = 0;
    plan_goal_x_ = gx;
    plan_goal_y_ = gy;
    plan_changes_ = grid_.changes();
}

void BotInput::FollowPath(Player& me, Intent& intent) {
    const int mx = TerrainGrid::CellOf(me.x), my = TerrainGrid::CellOf(me.y);
    // Forget the nodes already passed.
    std::size_t nearest = 0;
    int nearest_d = 1 << 30;
    for (std::size_t i = 0; i < path_.size() && i < 10; ++i) {
        const int d = chebyshev(mx, my, path_[i].cx, path_[i].cy);
        if (d <= nearest_d) nearest_d = d, nearest = i;
    }
    path_.erase(path_.begin(), path_.begin() + static_cast<std::ptrdiff_t>(nearest));

    if (Hopping(me, intent)) return;
    float tx = goal_x_;
    float take_off = kWalkOn;
    Move next = Move::Walk;
    int ddx = 0, ddy = 0;
    if (path_.size() >= 2) {
        next = path_[1].move;
        ddx = path_[1].cx - path_[0].cx;
        ddy = path_[1].cy - path_[0].cy;
        std::size_t k = 1;
        while (k + 1 < path_.size() && k < 3 && path_[k + 1].move != Move::Dig &&
               path_[k + 1].move != Move::Jump)
            ++k;
        tx = TerrainGrid::CentreOf(path_[k].cx);
        // A way that turns back within the look-ahead would stand the bot still short of
        // the next node.
        const float next_x = TerrainGrid::CentreOf(path_[1].cx);
        if (std::fabs(tx - me.x) <= kThere && std::fabs(next_x - me.x) > kThere) tx = next_x;
        if (k + 1 < path_.size() && path_[k + 1].move == Move::Jump) take_off = tx;
        // Before a jump, on the ground or coming down onto it: the node it starts from.
        const bool this_jump = path_[1].cx == jump_cx_ && path_[1].cy == jump_cy_;
        if (next == Move::Jump && (me.state == PS_Normal || !this_jump))
            tx = TerrainGrid::CentreOf(path_[0].cx);
    }
    const float dx = tx - me.x;
    intent.walk = dx > kThere ? 1 : dx < -kThere ? -1 : 0;
    if (me.state == PS_Normal) {
        jump_top_ = kNoJumpTop;
        jump_cx_ = jump_cy_ = -1;
    }
    LetGoOfTheWall(me, next, intent);
    if (next == Move::Jump && standing(me) && TakeHop(me, intent)) return;
    if (next == Move::Jump && standing(me) && std::fabs(dx) <= kTakeOff) {
        // A walk off an edge in the step of the jump pulls the disc down onto the edge,
        // which ends the jump.
        intent.walk = 0;
        intent.jump = true;
        jump_top_ = static_cast<float>(path_[1].cy * TerrainGrid::kCell) - kJumpClearance;
        jump_cx_ = path_[1].cx;
        jump_cy_ = path_[1].cy;
    }
    if (me.state == PS_Falling && !SteerInTheAir(me, intent) && me.vy < 0 &&
        !WalkWhileRising(me, intent.walk))
        intent.walk = 0;

    climbing_ = next == Move::Dig && ddy < 0 && ddx == 0;
    if (climbing_) {
        ClimbThroughDirt(me, intent);
    } else if (next == Move::Dig) {
        intent.aiming = true;
        intent.face = ddx != 0 ? ddx : aim_frame::facing(me.aim);
        intent.elevation = ddy > 0 ? (ddx == 0 ? -kSteep : -kDiagonal) : ddy < 0 ? (ddx == 0 ? kSteep : kDiagonal) : 0.0;
        if (Aligned(me, intent) && standing(me)) intent.dig = true;
        if (ddy <= 0 && standing(me) && step_ % 40 == 20) intent.jump = true;
    }

    // Walking against a wall: jump it.
    if (intent.walk != 0 && me.state == PS_Normal && std::fabs(me.x - last_x_) < 0.5)
        ++blocked_;
    else
        blocked_ = 0;
    if (blocked_ > 8 && standing(me)) intent.jump = true;
    last_x_ = me.x;
    if (!climbing_ && next != Move::Dig) KeepToTheWay(me, intent, take_off);
}

void BotInput::LetGoOfTheWall(const Player& me, Move next, Intent& intent) const {
    // A disc that rests against a wall with nothing under it stays there until it moves:
    // where the way goes on by a fall, the bot steps away from the wall.
    if (next != Move::Fall || intent.walk != 0 || me.state != PS_Normal) return;
    const MaskView& mask = grid_.mask();
    if (!DiscMotion::Grounded(mask, me.x, me.y))
        intent.walk = -DiscMotion::HeldAside(mask, me.x, me.y);
}

int BotInput::Progress(int cx, int cy, std::size_t nodes, int aside) const {
    int reached = -1;
    for (std::size_t i = 0; i < path_.size() && i <= nodes; ++i)
        if (std::abs(cx - path_[i].cx) <= aside && std::abs(cy - path_[i].cy) <= 1) reached = static_cast<int>(i);
    return reached;
}

int BotInput::HopLands(const Player& me, const Hop& hop, int* steps) const {
    DiscMotion d{me.x, me.y, me.vx, me.vy, me.state == PS_Normal, false, 0};
    bool flown = !d.resting;
    for (int s = 0; s < kHopSteps + hop.run; ++s) {
        d.Step(grid_.mask(), me.game->step_dt, hop.Walk(s), s == hop.run);
        flown = flown || !d.resting;
        if (!flown || !d.Standing(grid_.mask())) continue;
        *steps = s + 1;
        return Progress(TerrainGrid::CellOf(d.x), TerrainGrid::CellOf(d.y), kHopNodes, kLandingAside);
    }
    return -1;
}

bool BotInput::TakeHop(const Player& me, Intent& intent) {
    // The hop that lands furthest along the way, and of those the first tried: from here,
    // the walk towards the jump's end first and the earliest; none that comes down no
    // further than it starts. When none does, a short run-up either way.
    const int toward = sign_of(TerrainGrid::CentreOf(path_[1].cx) - me.x);
    int best = std::max(0, Progress(TerrainGrid::CellOf(me.x), TerrainGrid::CellOf(me.y), kHopNodes));
    Hop found;
    auto consider = [&](Hop h) {
        const int lands = HopLands(me, h, &h.length);
        if (lands > best) best = lands, found = h;
    };
    for (int dir : {toward, -toward, 0})
        for (int delay = 0; delay <= kHopLatestWalk; delay += kHopDelayStep) {
            consider({0, 0, delay, dir});
            if (dir == 0) break;
        }
    if (found.length == 0)
        for (int run = kRunUpStep; run <= kRunUpLongest; run += kRunUpStep)
            for (int run_dir : {-1, 1})
                for (int delay = 0; delay <= kHopLatestWalk; delay += kRunUpDelayStep)
                    consider({run, run_dir, delay, toward});
    if (found.length == 0) return false;
    hop_ = found;
    return Hopping(me, intent);
}

bool BotInput::SteerInTheAir(const Player& me, Intent& intent) const {
    // Of the walks held until the landing, the one that comes down furthest along the way;
    // the one wanted already when others do no better.
    int steps = 0;
    int best = HopLands(me, {kNoJump, 0, 0, intent.walk}, &steps);
    int walk = intent.walk;
    for (int dir = -1; dir <= 1; ++dir) {
        if (dir == intent.walk) continue;
        const int lands = HopLands(me, {kNoJump, 0, 0, dir}, &steps);
        if (lands > best) best = lands, walk = dir;
    }
    if (best < 0) return false;
    intent.walk = walk;
    return true;
}

bool BotInput::HopOver(const Player& me) const {
    // Over once the bot stands after the take-off; a touch at a side or overhead on the
    // way, as foreseen, is not the end of it.
    const bool landed = me.state == PS_Normal && DiscMotion::Grounded(grid_.mask(), me.x, me.y);
    return (hop_.step > hop_.run && landed) || hop_.step >= hop_.length;
}

bool BotInput::Hopping(const Player& me, Intent& intent) {
    if (hop_.length == 0) return false;
    if (HopOver(me)) {
        hop_ = Hop{};
        return false;
    }
    intent.jump = hop_.step == hop_.run;
    intent.walk = hop_.Walk(hop_.step);
    // A turn to aim is a step of walking, which the hop cannot spare.
    if (intent.walk == 0) intent.aiming = false;
    ++hop_.step;
    return true;
}

BotInput::Outlook BotInput::Foresee(const Player& me, int walk, bool jump, float walk_to) const {
    DiscMotion d{me.x, me.y, me.vx, me.vy, me.state == PS_Normal, me.action != PA_Idle,
                 static_cast<float>((me.action == PA_Jumping ? 0.5 : 0.05) - me.action_time)};
    Outlook o{-1, false};
    int passed = 0;  // the furthest node passed by so far
    for (int s = 0; s < kForeseeSteps && !o.lost; ++s) {
        if (walk_to != kWalkOn && walk * (d.x - walk_to) >= 0) walk = 0;
        d.Step(grid_.mask(), me.game->step_dt, walk, jump && s == 0);
        const int cx = TerrainGrid::CellOf(d.x), cy = TerrainGrid::CellOf(d.y);
        const std::size_t last = std::min(path_.size(), passed + kForeseeNodes + 1);
        int lowest = -1;
        o.reached = -1;
        for (std::size_t i = 0; i < last; ++i) {
            lowest = std::max(lowest, path_[i].cy);
            if (chebyshev(cx, cy, path_[i].cx, path_[i].cy) <= 1) o.reached = static_cast<int>(i);
        }
        passed = std::max(passed, o.reached);
        o.lost = o.reached < 0 && cy > lowest + kLostDrop;
    }
    return o;
}

void BotInput::KeepToTheWay(const Player& me, Intent& intent, float take_off) const {
    if (path_.size() < 2 || me.action == PA_Dead) return;
    // A walk to where a jump of the way takes off stops there, and the hop goes on from
    // it: held on beyond, it could run off the ledge the jump starts from.
    const bool to_take_off = take_off != kWalkOn && intent.walk == sign_of(take_off - me.x);
    if (!Foresee(me, intent.walk, intent.jump, to_take_off ? take_off : kWalkOn).lost) return;
    // Another walk, or a jump now, that ends further along the way than the bot is now.
    int best = Progress(TerrainGrid::CellOf(me.x), TerrainGrid::CellOf(me.y), kForeseeNodes);
    for (int jump = 0; jump <= (standing(me) ? 1 : 0); ++jump)
        for (int walk = -1; walk <= 1; ++walk) {
            if (walk == intent.walk && (jump != 0) == intent.jump) continue;
            const Outlook o = Foresee(me, walk, jump != 0);
            if (o.lost || o.reached <= best) continue;
            best = o.reached;
            intent.walk = walk;
            intent.jump = jump != 0;
        }
}

bool BotInput::WalkWhileRising(const Player& me, int dir) const {
    // Walking in the air sinks a player a pixel a step. The height a jump has left beyond
    // the height its way needs is spent on the walk, as long as the disc has room beside
    // it: a planned jump goes straight up past what it lands on, then aside over it.
    // Without a planned jump the walk waits for the top of the rise, where a jump climbs
    // highest.
    if (jump_top_ == kNoJumpTop) return me.vy >= kRisingSpeed;
    const float rise_left = me.vy * me.vy / (2.0f * GRAVITY);
    return dir != 0 && rise_left > me.y - jump_top_ && ClearBeside(me, dir);
}

bool BotInput::ClearBeside(const Player& me, int dir) const {
    // The column a few pixels beyond the disc on that side, from below the centre to above
    // the head, and the corner above it: what a disc going up and aside would graze.
    const MaskView& mask = grid_.mask();
    const int x = static_cast<int>(me.x), y = static_cast<int>(me.y);
    for (int dy = -kBesideAbove; dy <= kBesideBelow; dy += 2)
        if (mask.Solid(x + dir * kBesideReach, y + dy)) return false;
    return !mask.Solid(x + dir * kBesideReach / 2, y - kBesideAbove);
}

bool BotInput::Aligned(const Player& me, const Intent& intent) {
    return aim_frame::facing(me.aim) == intent.face &&
           std::fabs(aim_frame::elevation(me.aim) - intent.elevation) < 0.2;
}

int BotInput::ClingCellsAbove(const Player& me) const {
    const MaskView& mask = grid_.mask();
    for (int cells = 0; cells < kClingLookUp; ++cells)
        for (int row = 0; row < TerrainGrid::kCell; ++row) {
            const float y = me.y - static_cast<float>(cells * TerrainGrid::kCell + row);
            if (y < 0.0f || !DiscMotion::WallBeside(mask, me.x, y)) return cells;
        }
    return kClingLookUp;
}

int BotInput::RiseCells(const Player& me) const {
    const MaskView& mask = grid_.mask();
    const int highest = DiscMotion::JumpRise();
    int rise = 0;
    while (rise < highest && DiscMotion::ClearToRise(mask, me.x, me.y - static_cast<float>(rise + 1))) ++rise;
    return rise / TerrainGrid::kCell;
}

void BotInput::ClimbThroughDirt(Player& me, Intent& intent) const {
    intent.aiming = true;
    intent.face = aim_frame::facing(me.aim);
    intent.elevation = kSteep;
    intent.walk = 0;
    if (!standing(me) || !Aligned(me, intent)) return;
    // Dig while dirt is over the head, then jump into what was dug: the jump stops at
    // the dirt above, where the player hangs until the next dig. A walk can leave the
    // centre itself in the tip of a wall, where a jump cannot start (a stop at terrain
    // goes back along the centre's path to its first solid pixel): dig that away too.
    const MaskView& mask = grid_.mask();
    const int x = static_cast<int>(me.x), y = static_cast<int>(me.y);
    if (mask.Solid(x, y) || mask.Solid(x, y - kHeadClearance) || mask.Solid(x, y - kHeadClearance - 3))
        intent.dig = true;
    else
        intent.jump = true;
}

bool BotInput::DirtOverhead(const Player& me, int reach) const {
    const MaskView& mask = grid_.mask();
    const int x = static_cast<int>(me.x);
    const int head = static_cast<int>(me.y) - kHeadClearance;
    for (int y = head; y >= 0 && y > head - reach; y -= 2)
        if (mask.Solid(x, y)) return true;
    return false;
}

void BotInput::WatchProgress(Player& me, Intent& intent) {
    if (std::fabs(me.x - still_x_) >= 1 || std::fabs(me.y - still_y_) >= 1 || me.aim != still_aim_) {
        still_ = 0;
        still_x_ = me.x;
        still_y_ = me.y;
        still_aim_ = me.aim;
    } else {
        ++still_;
    }
    // A weapon taken is a goal reached: the way on to the next starts with fresh marks.
    const int rounds = rounds_carried(me);
    if (rounds > rounds_carried_) ForgetProgressMarks();
    rounds_carried_ = rounds;
    const float d = has_goal_ ? std::hypot(goal_x_ - me.x, goal_y_ - me.y) : 0.0f;
    // The escape out of the dirt gives up after a long pause in its climb.
    climb_pause_ = climbing_ ? 0 : climb_pause_ + 1;
    // A way that climbs out of the dirt first leads away from the goal for a while: each
    // few pixels gained upwards count as progress too.
    // The highest place is kept until progress of another kind, pauses included, so that
    // falling back and climbing again gains nothing.
    const bool rising = climbing_ && me.y < climb_top_ - 2;
    if (rising) climb_top_ = me.y;
    // A way around, away from the goal at first, is progress as long as it is followed:
    // every node of it left behind. Close to the goal the distance tells; a bot that
    // jumps about near it gains nodes and loses them again.
    const bool along = d > kAroundDistance && !path_.empty() && path_.size() < best_way_left_;
    hold_steps_ = intent.hold ? hold_steps_ + 1 : 0;
    const bool fighting = intent.fire || hold_steps_ >= kSteadyHoldSteps;
    if (!has_goal_ || fighting || rising || along || d < best_goal_distance_ - 8) {
        // Along the way, the nearest yet stays the mark: a fall back is no progress.
        best_goal_distance_ = along ? std::min(best_goal_distance_, d) : d;
        best_way_left_ = path_.empty() ? SIZE_MAX : path_.size();
        no_progress_ = 0;
        climb_top_ = me.y;
    } else {
        ++no_progress_;
    }
    if (still_ > kStillSteps && intent.hold) {
        // Fighting from a good place: a hop, not a new way; a step where the hop is
        // blocked by a ceiling.
        if (standing(me)) intent.jump = true;
        intent.walk = aim_frame::facing(me.aim);
        still_ = 0;
        return;
    }
    // A hop under way is seen to its end first; at its end, before the next one.
    if (tactic_ >= 0 || (hop_.length > 0 && !HopOver(me)) ||
        (no_progress_ <= kNoProgressSteps && still_ <= kStillSteps))
        return;
    // Something different from the last manoeuvre, the climb most often.
    tactic_ = rng_.Chance(0.4) ? 0 : (tactic_turn_ + 1 + rng_.Below(kTactics - 1)) % kTactics;
    // Digging down out of a hole only deepens it.
    const bool below = has_goal_ && goal_y_ > me.y + 16;
    if (!below && (tactic_ == 1 || tactic_ == 3)) tactic_ = rng_.Chance(0.5) ? 0 : 2;
    tactic_turn_ = tactic_;
    tactic_steps_ = kTacticSteps;
    // Buried below a goal that lies higher: straight up out of the dirt, however long it
    // takes, as long as every few seconds gain some height.
    if (has_goal_ && goal_y_ < me.y - kEscapeRise && DirtOverhead(me, kBuried)) {
        tactic_ = kEscape;
        tactic_steps_ = kEscapeSteps;
        climb_top_ = me.y;
        climb_pause_ = 0;
    }
    GiveUpPickup();
    AvoidWhereTheWayFailed();
    no_progress_ = 0;
    still_ = 0;
    best_goal_distance_ = d;
    best_way_left_ = SIZE_MAX;
    climb_top_ = me.y;
    path_.clear();
    hop_ = Hop{};
}

void BotInput::ForgetProgressMarks() {
    best_goal_distance_ = 1e9f;
    best_way_left_ = SIZE_MAX;
}

void BotInput::AvoidWhereTheWayFailed() {
    // The next move of a way that brought no progress for seconds is one the grid allows
    // and the world does not (a ledge too narrow to land on, a jump that touches
    // overhead): the plans after the manoeuvre go round the cells about it for a while.
    if (path_.size() < 2) return;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            planner_.Avoid(grid_, path_[1].cx + dx, path_[1].cy + dy, kFailedWayCost);
    avoid_until_ = step_ + kAvoidSteps;
}

void BotInput::Unstick(Player& me, Intent& intent) {
    const int toward = has_goal_ ? sign_of(goal_x_ - me.x) : aim_frame::facing(me.aim);
    const bool below = has_goal_ && goal_y_ > me.y + 16;
    const int phase = tactic_steps_ % kClimbCycle;
    intent.hold = false;
    intent.aiming = true;
    switch (tactic_) {
    case kEscape:
        if (me.y < climb_top_ - 2) {
            climb_top_ = me.y;
            climb_pause_ = 0;
        }
        if (!DirtOverhead(me, kOutOfDirt) || ++climb_pause_ > kStillSteps || --tactic_steps_ <= 0) {
            tactic_ = -1;
            return;
        }
        ClimbThroughDirt(me, intent);
        return;
    case 0:  // climb: dig a notch diagonally up, then jump into it
        intent.face = toward;
        intent.elevation = kDiagonal;
        intent.walk = toward;
        // Counting down: dig the notch, wait for the dig to settle, then jump into it.
        if (phase >= 40) intent.dig = true;
        else if (phase >= 30) intent.walk = 0;
        else intent.jump = true;
        if (me.state == PS_Falling && me.vy < kRisingSpeed) intent.walk = 0;
        break;
    case 1:  // dig diagonally down towards the goal
        intent.face = toward;
        intent.elevation = -kDiagonal;
        intent.walk = toward;
        intent.dig = true;
        break;
    case 2:  // back off and jump
        intent.face = -toward;
        intent.elevation = 0.3;
        intent.walk = -toward;
        intent.jump = true;
        break;
    default:  // dig straight towards the goal's height
        intent.face = toward;
        intent.elevation = below ? -kSteep : kSteep;
        intent.dig = true;
        if (!below && phase < 10) intent.jump = true;
        break;
    }
    if (!Aligned(me, intent)) intent.dig = false;
    if (--tactic_steps_ <= 0) tactic_ = -1;
}
