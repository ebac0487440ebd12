// The computer player's fighting: which weapon, where to aim, when to fire, and staying
// out of its own blasts.

#include <algorithm>
#include <cmath>

#include "ammunition/ammunition.h"
#include "bot/aim_frame.h"
#include "bot/bot_input.h"
#include "game/game.h"
#include "inventory/weapon.h"
#include "player/player.h"

namespace {

constexpr float kMuzzle = 15.0f;
constexpr float kPlayerRadius = 10.0f;
// Closer than this an enemy beyond the aim's reach may still be hit at the muzzle.
constexpr float kPointBlank = 40.0f;
// Margin kept beyond a blast radius: the bot's own disc and a little more.
constexpr float kBlastMargin = 22.0f;
// A rocket fired into dirt to open a line of fire must burst this close to the enemy.
constexpr float kBlowReach = 220.0f;
// Logic steps of fighting without hurting the enemy before the bot finds a better place.
constexpr int kFruitlessSteps = 360;
// Steps of backing away from a close enemy, beyond the first few, after which a bot still
// that close counts as cornered.
constexpr int kCornered = 60;
constexpr int kRepositionSteps = 120;
// Steps without a clear shot after which a fight starts afresh: a shot that comes and goes
// from step to step, as the bot slides about on a crest, is still the same fruitless fight.
constexpr int kUnclearSteps = 60;
// Closer than this a flak shell's splinters would fly back at the bot.
constexpr float kFlakNearest = 110.0f;
// Pixels nearer than the nearest yet that count as coming closer to the enemy, and the
// distance within which the bot counts as with it.
constexpr float kCloser = 8.0f;
constexpr float kFightReach = 80.0f;

float distance(float ax, float ay, float bx, float by) { return std::hypot(ax - bx, ay - by); }

// How much a weapon is worth against an enemy d pixels away.
double score_of(WeaponKind kind, float d, bool clear, bool safe, bool blowable) {
    switch (kind) {
    case WeaponKind::Pistol:
        return clear ? (d < 160 ? 2.0 : d < 320 ? 1.2 : 0.5) : 0.2;
    case WeaponKind::Shotgun:
        return clear ? (d < 110 ? 4.0 : d < 200 ? 2.5 : 0.3) : 0.1;
    case WeaponKind::Rockets:
        if (!safe) return 0.0;
        return clear ? 5.0 : blowable ? 1.5 : 0.1;
    case WeaponKind::Flak:
        if (!safe || d < kFlakNearest) return 0.0;
        return clear ? 4.0 : 0.2;
    default:
        return 0.0;
    }
}

// The nearest an enemy may stand for a shot of this kind to be fired at it without the
// blast reaching the bot: a rocket bursts at the near side of the enemy's disc.
float nearest_shot(WeaponKind kind) {
    switch (kind) {
    case WeaponKind::Rockets:
        return static_cast<float>(flight_of(kind).blast) + kBlastMargin + kPlayerRadius;
    case WeaponKind::Flak:
        return kFlakNearest;
    default:
        return 0.0f;
    }
}

// Where the bot likes to stand from its enemy with each weapon, pixels.
float preferred_distance(WeaponKind kind) {
    switch (kind) {
    case WeaponKind::Shotgun:
        return 90.0f;
    case WeaponKind::Rockets:
    case WeaponKind::Flak:
        return 260.0f;
    default:
        return 80.0f;
    }
}

}  // namespace

BotInput::Shot BotInput::Evaluate(Player& me, const Inventory::Weapon* weapon,
                                  const Sighting& at, float vx, float vy) const {
    Shot s;
    s.kind = kind_of(weapon);
    if (s.kind == WeaponKind::Dirt || s.kind == WeaponKind::Unknown) return s;
    const Flight f = flight_of(s.kind);
    // The enemy's motion per second, as much of it as the skill leads.
    const double steps_per_second = 60.0;
    const double lvx = vx * steps_per_second * traits_.lead;
    const double lvy = vy * steps_per_second * traits_.lead;
    double e = 0, t = 0;
    float tx = at.x, ty = at.y;
    for (int i = 0; i < 3; ++i) {
        tx = static_cast<float>(at.x + lvx * t);
        ty = static_cast<float>(at.y + lvy * t);
        if (!solve_elevation(f.speed, f.gravity, tx - me.x, ty - me.y, &e, &t)) return s;
    }
    s.face = tx < me.x ? -1 : 1;
    s.elevation = e;
    s.solved = std::fabs(e) <= aim_frame::kLimit + aim_frame::kStep / 2;
    if (!s.solved) return PointBlank(me, s, at);
    const double angle = aim_frame::angle(s.face, e);
    const float mx = me.x + kMuzzle * static_cast<float>(std::cos(angle));
    const float my = me.y - kMuzzle * static_cast<float>(std::sin(angle));
    const ShotTrace tr = trace_shot(grid_.mask(), f, mx, my, angle, tx, ty, kPlayerRadius - 1);
    s.clear = tr.reaches;
    // Close by, shots pass through an enemy beside or behind the muzzle: the game's own
    // test of where a shot meets a player decides.
    if (s.clear && f.blast <= 0 && distance(me.x, me.y, at.x, at.y) < kPointBlank)
        s.clear = small_shot_meets(grid_.mask(), me.x, me.y, angle, at.x, at.y, kPointBlank);
    const float impact = distance(tr.end_x, tr.end_y, me.x, me.y);
    s.safe = f.blast <= 0 || impact > f.blast + kBlastMargin;
    const bool blowable =
        !s.clear && distance(tr.end_x, tr.end_y, tx, ty) < kBlowReach &&
        grid_.At(TerrainGrid::CellOf(tr.end_x), TerrainGrid::CellOf(tr.end_y)) != TerrainGrid::Rock;
    s.score = score_of(s.kind, distance(me.x, me.y, at.x, at.y), s.clear, s.safe, blowable);
    return s;
}

BotInput::Shot BotInput::PointBlank(const Player& me, Shot s, const Sighting& at) const {
    // Right above or below, out of the aim's reach: the steepest aim may still hit. A bot
    // that cannot get away from there takes a shot that hits at some speeds only.
    if (distance(me.x, me.y, at.x, at.y) > kPointBlank || flight_of(s.kind).blast > 0) return s;
    s.elevation = s.elevation > 0 ? aim_frame::kLimit : -aim_frame::kLimit;
    const double angle = aim_frame::angle(s.face, s.elevation);
    const bool cornered = cornered_steps_ > kCornered;
    if (!small_shot_meets(grid_.mask(), me.x, me.y, angle, at.x, at.y, kPointBlank, !cornered)) return s;
    s.solved = s.clear = true;
    s.score = score_of(s.kind, 0.0f, true, true, false);
    return s;
}

void BotInput::Fight(Player& me, Game&, Intent& intent) {
    Sighting at;
    float vx, vy;
    enemy_distance_ = 1e9f;
    if (!SeenEnemy(&at, &vx, &vy)) {
        aimed_steps_ = 0;
        engaged_steps_ = 0;
        WatchApproach(1e9f);
        return;
    }
    const float d = distance(me.x, me.y, at.x, at.y);
    enemy_distance_ = d;
    WatchApproach(d);
    stand_off_ = StandOff(me);

    const Shot current = ChooseWeapon(me, at, vx, vy, intent);
    AimAt(me, current, at, intent);
    const bool clear_shot = current.clear && current.safe;
    KeepOrLeavePlace(clear_shot, at);
    intent.hold = clear_shot && reposition_ == 0 && d <= preferred_distance(current.kind);
    const bool blow = !current.clear && current.kind == WeaponKind::Rockets && current.score >= 1.5;
    const bool worth = current.score >= traits_.least_worth;
    FireWhenAimed(me, (clear_shot || blow) && current.solved && worth, intent);
}

void BotInput::WatchApproach(float d) {
    // A few pixels nearer than the nearest yet, or within a fight's distance: no enemy
    // (1e9) starts the count again.
    if (d >= 1e9f || d < kFightReach || d < closest_enemy_ - kCloser) {
        closest_enemy_ = d;
        strayed_steps_ = 0;
    } else {
        ++strayed_steps_;
    }
}

float BotInput::StandOff(const Player& me) {
    float nearest = 0.0f;
    bool loaded = false;
    for (const Inventory::Weapon* w : me.weapons) {
        const WeaponKind k = kind_of(w);
        if (w->ammo <= 0 || k == WeaponKind::Dirt || k == WeaponKind::Unknown) continue;
        nearest = loaded ? std::min(nearest, nearest_shot(k)) : nearest_shot(k);
        loaded = true;
    }
    return nearest;
}

// The shot with the weapon in hand; a switch is asked for when another is clearly better.
BotInput::Shot BotInput::ChooseWeapon(Player& me, const Sighting& at, float vx, float vy,
                                      Intent& intent) const {
    Shot current, best;
    for (WeaponSlot it = me.weapons.begin(); it != me.weapons.end(); ++it) {
        if ((*it)->ammo <= 0) continue;
        const Shot s = Evaluate(me, *it, at, vx, vy);
        if (it == me.current_weapon) current = s;
        if (s.score > best.score) best = s;
    }
    if (best.kind != current.kind && best.score > current.score + 0.5) intent.cycle_weapon = true;
    return current;
}

// Along the shot's solution, off by this aim's error; straight at the enemy without one.
void BotInput::AimAt(const Player& me, const Shot& current, const Sighting& at,
                     Intent& intent) const {
    intent.aiming = true;
    if (current.solved) {
        intent.face = current.face;
        // The error never aims past the limit: an aim that cannot be reached is never
        // fired, and the error is drawn again only after a shot.
        intent.elevation =
            std::clamp(current.elevation + aim_offset_, -aim_frame::kLimit, aim_frame::kLimit);
    } else {
        intent.face = at.x < me.x ? -1 : 1;
        intent.elevation = std::atan2(me.y - at.y, std::fabs(at.x - me.x));
    }
}

// Fighting from where it stands as long as the shots can hurt; a place from which they
// never do is left for a while.
void BotInput::KeepOrLeavePlace(bool clear_shot, const Sighting& at) {
    if (clear_shot) {
        if (engaged_steps_ == 0 || at.health < engaged_health_) {
            engaged_health_ = at.health;
            engaged_steps_ = 0;
        }
        if (++engaged_steps_ > kFruitlessSteps) {
            reposition_ = kRepositionSteps;
            engaged_steps_ = 0;
        }
        unclear_steps_ = 0;
    } else if (++unclear_steps_ > kUnclearSteps) {
        engaged_steps_ = 0;
    }
    if (reposition_ > 0) --reposition_;
}

bool BotInput::AimedExactly(const Player& me, const Intent& intent) {
    return aim_frame::facing(me.aim) == intent.face &&
           std::fabs(aim_frame::elevation(me.aim) - intent.elevation) <= aim_frame::kStep;
}

// Fires once the aim has rested on a worthwhile shot for the skill's hesitation; each shot
// draws the next one's aim error.
void BotInput::FireWhenAimed(const Player& me, bool worth_firing, Intent& intent) {
    const bool ready = me.HasWeapon() && (*me.current_weapon)->cooldown <= 0.0;
    if (worth_firing && AimedExactly(me, intent))
        ++aimed_steps_;
    else
        aimed_steps_ = 0;
    if (ready && aimed_steps_ > traits_.hesitation) {
        intent.fire = true;
        aimed_steps_ = 0;
        aim_offset_ = rng_.Uniform(-traits_.aim_error, traits_.aim_error);
    }
}

void BotInput::AvoidOwnBlasts(Player& me, Game& game, Intent& intent) const {
    for (const Particle* p : game.particles) {
        float blast = 0;
        bool pending = false;
        if (auto* r = dynamic_cast<const Ammunition::Rocket*>(p)) {
            blast = 30;
            pending = r->owner == &me && r->stage == Ammunition::STAGE_EXPLODING && !r->burst;
        } else if (auto* f = dynamic_cast<const Ammunition::Flak*>(p)) {
            blast = 60;
            pending = f->owner == &me && f->stage == Ammunition::STAGE_EXPLODING && !f->burst;
        }
        if (!pending || distance(p->x, p->y, me.x, me.y) > blast + kBlastMargin) continue;
        intent.walk = p->x < me.x ? 1 : -1;
        intent.hold = false;
        intent.dig = false;
        if (me.state == PS_Normal && me.action == PA_Idle) intent.jump = true;
        return;
    }
}
