#include "bot/beginner_input.h"

#include <cmath>

#include "bot/aim_frame.h"
#include "game/game.h"
#include "inventory/weapon.h"

namespace {

constexpr std::size_t kReactionSteps = 15;
constexpr int kWobbleSteps = 60;      // a new wobble every second
constexpr double kWobble = 0.15;      // radians either way
constexpr float kCloseEnough = 140;   // pixels across: it stops walking
constexpr float kFiringRange = 400;   // pixels
constexpr int kJumpAfter = 20;        // steps stopped
constexpr int kDigAfter = 60;

}  // namespace

BeginnerInput::BeginnerInput(std::uint64_t seed) : rng_(seed) {}

int BeginnerInput::Handle(Player& me, Game& game, WeaponSlot& next_weapon) {
    ++step_;
    const Seen* enemy = Look(me, game);
    if (me.action == PA_Dead || !enemy || !enemy->alive) return 0;
    int bits = Approach(me, *enemy) | AimAndFire(me, *enemy);
    if (me.HasWeapon() && (*me.current_weapon)->ammo <= 0 && step_ % 30 == 0) {
        next_weapon = next_weapon_of(me);
        bits |= ACT_WEAPON;
    }
    return bits;
}

// The other player as it was a reaction time ago; null in a game without one.
const BeginnerInput::Seen* BeginnerInput::Look(const Player& me, Game& game) {
    for (const Player& p : game.players) {
        if (&p == &me) continue;
        seen_.push_back({p.x, p.y, p.action != PA_Dead});
        if (seen_.size() > kReactionSteps) seen_.pop_front();
        return &seen_.front();
    }
    return nullptr;
}

// Walks until close, always turned to the enemy; a stopped walk jumps, then digs.
int BeginnerInput::Approach(const Player& me, const Seen& enemy) {
    const float dx = enemy.x - me.x;
    const int face = dx < 0 ? -1 : 1;
    int bits = 0;
    if (std::fabs(dx) > kCloseEnough || aim_frame::facing(me.aim) != face)
        bits |= face < 0 ? ACT_LEFT : ACT_RIGHT;
    stopped_ = bits && std::fabs(me.x - last_x_) < 0.2f ? stopped_ + 1 : 0;
    last_x_ = me.x;
    if (stopped_ > kJumpAfter && stopped_ % 30 < 5) bits |= ACT_JUMP;
    if (stopped_ > kDigAfter) bits |= ACT_DIG;
    return bits;
}

int BeginnerInput::AimAndFire(const Player& me, const Seen& enemy) {
    if (step_ % kWobbleSteps == 0) wobble_ = rng_.Uniform(-kWobble, kWobble);
    const float dx = enemy.x - me.x, dy = enemy.y - me.y;
    const double wanted = std::atan2(-dy, std::fabs(dx)) + wobble_;
    const double elevation = aim_frame::elevation(me.aim);
    if (wanted > elevation + aim_frame::kStep) return ACT_UP;
    if (wanted < elevation - aim_frame::kStep) return ACT_DOWN;
    return std::hypot(dx, dy) < kFiringRange ? ACT_FIRE : 0;
}
