#include "support/busy_fighter.h"

#include <cmath>

#include "game/game.h"
#include "inventory/weapon.h"
#include "particle/particle.h"

namespace testsupport {

int BusyFighter::Handle(Player& me, Game& game, WeaponSlot& next_weapon) {
    const Player* foe = &game.players.front() == &me ? &game.players.back() : &game.players.front();
    ++step_;
    const Particle* target = foe;
    if (!me.HasWeapon() || (*me.current_weapon)->ammo == 0) target = NearestPickup(me, game);
    if (!target) target = foe;

    int bits = 0;
    const float dx = target->x - me.x;
    // Backs off from the other player for a third of every second and a half.
    const bool backing_off = target == foe && step_ % 90 < 20;
    const bool walking = !backing_off && std::fabs(dx) > (target == foe ? 120.0f : 2.0f);
    if (walking) bits |= dx > 0 ? ACT_RIGHT : ACT_LEFT;
    if (backing_off) bits |= dx > 0 ? ACT_LEFT : ACT_RIGHT;
    // Stuck against a wall: holds jump for a third of a second, then dig.
    if (walking && me.x == last_x_ && unstick_ == 0) unstick_ = 40;
    if (unstick_ > 0) bits |= unstick_-- > 20 ? ACT_JUMP : ACT_DIG;
    last_x_ = me.x;
    if (foe->y < me.y - 30.0f) bits |= ACT_UP;
    if (foe->y > me.y + 30.0f) bits |= ACT_DOWN;
    if ((step_ / 15) % 2 == 0) bits |= ACT_FIRE;
    if (step_ % 100 == 0) bits |= ACT_JUMP;
    if (step_ % 240 == 120) {
        bits |= ACT_WEAPON;
        next_weapon = next_weapon_of(me);
    }
    return bits;
}

const Particle* BusyFighter::NearestPickup(const Player& me, const Game& game) {
    const Particle* best = nullptr;
    float best_d = 0;
    for (const Particle* p : game.particles) {
        const auto* w = dynamic_cast<const Inventory::Weapon*>(p);
        if (!w || w->owner) continue;
        const float d = std::fabs(w->x - me.x) + std::fabs(w->y - me.y);
        if (!best || d < best_d) best = w, best_d = d;
    }
    return best;
}

}  // namespace testsupport
