#include "bot/bot_input.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "bot/aim_frame.h"
#include "bot/disc_motion.h"
#include "game/game.h"
#include "inventory/weapon.h"
#include "player/player.h"

namespace {

// Rows of grid cells read again each step: the whole default level every 50 steps.
constexpr int kRefreshRows = 2;
// Places of the enemy remembered beyond the reaction time, for its speed.
constexpr int kVelocitySpan = 6;
// Steps held up in the air before the walk is let go of, and before the bot walks out of
// the hold instead; the steps of each walk out.
constexpr int kLetGoSteps = 4;
constexpr int kWedgedSteps = 20;
constexpr int kWriggleSteps = 15;

bool alive(const Player& p) { return p.action != PA_Dead; }

}  // namespace

BotInput::BotInput(BotSkill skill, std::uint64_t seed)
    : skill_(skill), traits_(traits_of(skill)), rng_(seed) {
    seen_.reserve(static_cast<std::size_t>(traits_.reaction_steps + kVelocitySpan + 1));
}

int BotInput::Handle(Player& me, Game& game, WeaponSlot& next_weapon) {
    ++step_;
    if (level_ != &game.level || !grid_.built()) {
        grid_.Build(game.level);
        level_ = &game.level;
        path_.clear();
    } else {
        grid_.Refresh(kRefreshRows);
    }
    Perceive(me, game);
    if (!alive(me)) {
        ResetLife();
        return 0;
    }
    Intent intent;
    Fight(me, game, intent);
    ChooseGoal(me, game, intent.hold);
    Travel(me, intent);
    AvoidOwnBlasts(me, game, intent);
    LetGoOfLedges(me, intent);
    return Compose(me, intent, next_weapon);
}

void BotInput::Perceive(Player& me, Game& game) {
    me_x_ = me.x;
    me_y_ = me.y;
    // The nearest living opponent; a dead one is kept while no other lives.
    Player* best = nullptr;
    float best_d = 1e30f;
    for (Player& p : game.players) {
        if (&p == &me) continue;
        const float d = (p.x - me.x) * (p.x - me.x) + (p.y - me.y) * (p.y - me.y) +
                        (alive(p) ? 0.0f : 1e20f);
        if (d < best_d) best_d = d, best = &p;
    }
    const int number = best ? best->number : 0;
    if (number != enemy_) seen_.clear();
    enemy_ = number;
    if (!best) return;
    const std::size_t span =
        static_cast<std::size_t>(traits_.reaction_steps + kVelocitySpan + 1);
    if (seen_.size() == span) seen_.erase(seen_.begin());
    seen_.push_back({best->x, best->y, alive(*best), best->health});
}

bool BotInput::SeenEnemy(Sighting* now, float* vx, float* vy) const {
    if (seen_.empty()) return false;
    const int n = static_cast<int>(seen_.size());
    const int at = std::max(0, n - 1 - traits_.reaction_steps);
    *now = seen_[at];
    const int before = std::max(0, at - kVelocitySpan);
    const float steps = static_cast<float>(at - before);
    // Per step; a respawn (a jump across the level) is no motion.
    *vx = steps > 0 ? (seen_[at].x - seen_[before].x) / steps : 0.0f;
    *vy = steps > 0 ? (seen_[at].y - seen_[before].y) / steps : 0.0f;
    if (std::fabs(*vx) > 8 || std::fabs(*vy) > 12 || !seen_[before].alive) *vx = *vy = 0;
    return now->alive;
}

void BotInput::ResetLife() {
    path_.clear();
    hop_ = Hop{};
    tactic_ = -1;
    no_progress_ = 0;
    hold_steps_ = 0;
    ForgetProgressMarks();
    still_ = 0;
    aimed_steps_ = 0;
    engaged_steps_ = 0;
    unclear_steps_ = 0;
    reposition_ = 0;
    closest_enemy_ = 1e9f;
    strayed_steps_ = 0;
    weapons_after_ = 0;
}

void BotInput::LetGoOfLedges(const Player& me, Intent& intent) {
    // A player that falls without moving is held up by its own walk against a ledge: it
    // cannot jump or dig until it lands, so it lets go of the walk for a moment. One that
    // stands with its centre inside the terrain (a fall that ended on a corner) cannot
    // jump at all: the jump stops at once where its centre meets terrain, where it began.
    const int x = static_cast<int>(me.x), y = static_cast<int>(me.y);
    const bool in_place = std::fabs(me.x - held_x_) < 2 && std::fabs(me.y - held_y_) < 2;
    const bool sunk = me.state == PS_Normal && grid_.mask().Solid(x, y);
    const bool hanging = (me.state == PS_Falling || sunk) && in_place;
    if (!hanging) {
        held_x_ = me.x;
        held_y_ = me.y;
    }
    held_steps_ = hanging ? held_steps_ + 1 : 0;
    if (held_steps_ > kWedgedSteps && sunk && !grid_.Undiggable(x, y)) {
        // A dig of any aim takes the centre's pixel away.
        intent.dig = true;
        intent.jump = false;
        intent.walk = 0;
    } else if (held_steps_ > kWedgedSteps + 2 * kWriggleSteps && ShootAWayOut(me, intent)) {
        // The wriggle went both ways without moving.
    } else if (held_steps_ > kWedgedSteps) {
        // Still held without the walk: with its centre on a sliver of terrain, every fall
        // stops where it began, or its sides are caught. It can neither jump nor dig, and
        // only a walk brings it out: away from a side that holds it, or back from where it
        // was going, first; then each way in turn.
        if (held_steps_ == kWedgedSteps + 1) {
            const int side = DiscMotion::HeldAside(grid_.mask(), me.x, me.y + 1);
            wriggle_first_ = side != 0 ? -side : -aim_frame::facing(me.aim);
        }
        const bool turned = (held_steps_ - kWedgedSteps - 1) / kWriggleSteps % 2 != 0;
        intent.walk = turned ? -wriggle_first_ : wriggle_first_;
    } else if (held_steps_ > kLetGoSteps) {
        intent.walk = 0;
    }
}

bool BotInput::ShootAWayOut(const Player& me, Intent& intent) const {
    // Pistol shots along the line to where a walk looks for the ground bore the dirt there
    // away, a hole of a few pixels each; a blast this close would hurt the bot itself.
    const MaskView& mask = grid_.mask();
    int side = 0;
    DiscMotion::Pixel probe{};
    for (int dir : {wriggle_first_, -wriggle_first_}) {
        probe = DiscMotion::WalkProbe(me.x, me.y, dir);
        if (mask.Solid(probe.x, probe.y) && !grid_.Undiggable(probe.x, probe.y)) {
            side = dir;
            break;
        }
    }
    const bool pistol = std::any_of(me.weapons.begin(), me.weapons.end(), [](const Inventory::Weapon* w) {
        return kind_of(w) == WeaponKind::Pistol && w->ammo > 0;
    });
    if (side == 0 || !pistol) return false;
    intent.walk = side;
    intent.jump = intent.dig = false;
    intent.aiming = true;
    intent.face = side;
    // Along the line from the centre's pixel, which the probe is measured from.
    const int below = probe.y - static_cast<int>(me.y), aside = std::abs(probe.x - static_cast<int>(me.x));
    intent.elevation = -std::atan2(static_cast<double>(below), static_cast<double>(aside));
    const bool in_hand = me.HasWeapon() && kind_of(*me.current_weapon) == WeaponKind::Pistol;
    intent.cycle_weapon = !in_hand;
    intent.fire = in_hand && AimedExactly(me, intent);
    return true;
}

int BotInput::Compose(Player& me, const Intent& intent, WeaponSlot& next_weapon) {
    int bits = 0;
    int walk = intent.walk;
    const int facing = aim_frame::facing(me.aim);
    // Turning is a step in the new direction: a person has no other way either.
    if (walk == 0 && intent.aiming && intent.face != facing) walk = intent.face;
    if (walk < 0) bits |= ACT_LEFT;
    if (walk > 0) bits |= ACT_RIGHT;
    if (intent.aiming) {
        const double e = aim_frame::elevation(me.aim);
        const double want = std::max(-aim_frame::kLimit, std::min(aim_frame::kLimit, intent.elevation));
        if (e < want - aim_frame::kStep / 2)
            bits |= ACT_UP;
        else if (e > want + aim_frame::kStep / 2)
            bits |= ACT_DOWN;
    }
    if (intent.dig) bits |= ACT_DIG;
    if (intent.jump) bits |= ACT_JUMP;
    if (intent.fire) bits |= ACT_FIRE;
    // One press per two steps, as a key must be let go before it switches again.
    if (intent.cycle_weapon && step_ >= last_switch_ + 2 && me.weapons.size() > 1) {
        bits |= ACT_WEAPON;
        next_weapon = next_weapon_of(me);
        last_switch_ = step_;
    }
    return bits;
}
