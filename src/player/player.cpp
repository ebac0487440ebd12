#include "player/player.h"

#include <allegro.h>

#include <cmath>
#include <iterator>
#include <typeinfo>

#include "base/det_math.h"
#include "base/hasher.h"
#include "collision/clgo.h"
#include "base/random.h"
#include "particle/sound_events.h"
#include "inventory/weapon.h"
#include "level/level.h"
#include "particle/direction.h"

namespace {

constexpr float kRadius = 10.0f;
constexpr float kFullHealth = 100.0f;
constexpr float kSpawnHeight = 20.0f;
constexpr int kSpawnTries = 1000;

constexpr double kAimStep = PI / 100;
// The aim limits are kept as the single-precision values nearest PI/3, 2PI/3 and 4PI/3;
// the comparisons are made against the double-precision fractions of PI.
constexpr float kAimRightTop = 1.0471976f;
constexpr float kAimRightBottom = -1.0471976f;
constexpr float kAimLeftTop = 2.0943952f;
constexpr float kAimLeftBottom = 4.1887903f;

// Bounds of the five digging directions, in the right-facing frame.
constexpr double kDigSideways = PI / 6;
constexpr double kDigSteep = PI / 3 - 0.1;

constexpr float kJumpImpulse = 170.0f;  // pixels per second, upwards
constexpr double kDigLock = 0.05;
constexpr double kJumpLock = 0.5;
constexpr double kTimeDead = 2.0;

constexpr float kMuzzle = 15.0f;
constexpr float kAimLine = 13.0f;

bool faces_left(float aim) { return det_cos(aim) < 0.0; }

// One pixel sideways (dir -1 left, +1 right), following the ground of the column just
// beyond the disc: up a one-pixel step, level, or down one pixel; a taller obstacle stops.
void walk(Player& p, int dir) {
    if (p.action == PA_Dead) return;
    if ((dir < 0) != faces_left(p.aim)) p.aim = static_cast<float>(PI - p.aim);

    int px = static_cast<int>(p.x) + dir * (static_cast<int>(kRadius) + 1);
    // The sides of the level are walls. Beyond them the probe column holds no terrain, so
    // a player pressing against a side would "walk" one pixel down a step for ever: the
    // position is clamped back each step and the player sinks through the ground of the
    // edge to the bottom of the level.
    if (px < 0 || px >= p.level->width) return;
    // The probe starts 7 rows below the centre; the ground found there ends up 9 rows
    // below the new centre.
    int py = static_cast<int>(p.y) + 7;
    const int start = py;
    p.level->DropToSolid(px, py, 3);
    if (py == start) return;
    p.SetPosition(static_cast<float>(px - dir * static_cast<int>(kRadius)),
                  static_cast<float>(py - 9));
}

// Width of a bar of 96 pixels filled to `fraction`, limited to the bar.
int bar_width(float fraction) {
    if (!(fraction > 0.0f)) fraction = 0.0f;
    if (fraction > 1.0f) fraction = 1.0f;
    return static_cast<int>(96.0f * fraction);
}

// trunc(v), saturated: the console may set health to any float.
int figure(float v) {
    if (!(v > -2147483520.0f)) return v < 0.0f ? -2147483647 - 1 : 0;
    if (v >= 2147483520.0f) return 2147483647;
    return static_cast<int>(v);
}

}  // namespace

Player::Player(Game* game, Level* level, int number)
    : Destroyable(kFullHealth, game, level, PC_Normal, kRadius, 0.0f, 0.0f),
      number(number),
      kills(0),
      deaths(0),
      aim(0.0f),
      action_time(0.0),
      action(PA_Idle),
      weapons(),
      current_weapon(weapons.end()) {}

Player::~Player() {
    for (Inventory::Weapon* w : weapons) delete w;
}

bool Player::Update(double dt) {
    Destroyable::Update(dt);

    // Only the weapon in hand cools down; the others keep what they had left.
    if (HasWeapon() && (*current_weapon)->cooldown > 0.0)
        (*current_weapon)->cooldown -= dt;

    action_time += dt;
    if (action != PA_Dead) stats.life += dt;
    switch (action) {
    case PA_Digging:
        if (action_time >= kDigLock) {
            action = PA_Idle;
            action_time = 0.0;
        }
        break;
    case PA_Jumping:
        if (action_time >= kJumpLock) {
            action = PA_Idle;
            action_time = 0.0;
        }
        break;
    case PA_Dead:
        if (action_time >= kTimeDead && !out) Respawn();
        break;
    default:
        break;
    }
    return false;
}

void Player::Draw(BITMAP* target, int originX, int originY) const {
    const int sx = static_cast<int>(x) - originX;
    const int sy = static_cast<int>(y) - originY;
    circlefill(target, sx, sy, static_cast<int>(kRadius), makecol(255, 0, 0));
    const Direction<float> d = direction(aim);
    line(target, sx, sy, sx + static_cast<int>(kAimLine * d.x),
         sy + static_cast<int>(kAimLine * d.y), -1);
}

void Player::OnCollision(Particle* other) {
    if (!other) return;
    // Other players and projectiles pass; only weapon pickups are taken.
    if (auto* weapon = dynamic_cast<Inventory::Weapon*>(other)) PickUp(weapon);
}

bool Player::OnDestroyed() {
    // The body stays where it fell: no terrain, no gravity, and nothing collides with it
    // as the other object of a pair.
    control = PC_None;
    action_time = 0.0;
    vx = 0.0f;
    vy = 0.0f;
    ++deaths;
    stats.EndLife();
    rope.Release();
    action = PA_Dead;
    return true;
}

void Player::Digest(Hasher& h) const {
    Destroyable::Digest(h);
    h.Text("Player");
    h.Int(number);
    h.Int(kills);
    h.Int(deaths);
    h.Float(aim);
    h.Double(action_time);
    h.Int(action);
    h.Int(static_cast<long long>(weapons.size()));
    long long current = -1, at = 0;
    for (auto it = weapons.begin(); it != weapons.end(); ++it, ++at) {
        (*it)->Digest(h);
        if (it == WeaponList::const_iterator(current_weapon)) current = at;
    }
    h.Int(current);
}

void Player::AssignState(const Player& o) {
    AssignParticle(o);
    health = o.health;
    number = o.number;
    kills = o.kills;
    deaths = o.deaths;
    aim = o.aim;
    action_time = o.action_time;
    action = o.action;
    for (Inventory::Weapon* w : weapons) delete w;
    weapons.clear();
    current_weapon = weapons.end();
    for (auto it = o.weapons.begin(); it != o.weapons.end(); ++it) {
        auto* copy = static_cast<Inventory::Weapon*>((*it)->Clone());
        copy->owner = this;
        weapons.push_back(copy);
        if (it == WeaponList::const_iterator(o.current_weapon)) current_weapon = std::prev(weapons.end());
    }
    stats = o.stats;
    out = o.out;
    rope = o.rope;
}

void Player::MoveLeft() { walk(*this, -1); }

void Player::MoveRight() { walk(*this, 1); }

void Player::AimUp() {
    if (!faces_left(aim)) {
        aim = static_cast<float>(aim + kAimStep);
        if (aim > PI / 3) aim = kAimRightTop;
    } else {
        aim = static_cast<float>(aim - kAimStep);
        if (aim < 2 * PI / 3) aim = kAimLeftTop;
    }
}

void Player::AimDown() {
    if (!faces_left(aim)) {
        aim = static_cast<float>(aim - kAimStep);
        if (aim < -PI / 3) aim = kAimRightBottom;
    } else {
        aim = static_cast<float>(aim + kAimStep);
        if (aim > 4 * PI / 3) aim = kAimLeftBottom;
    }
}

bool Player::Dig() {
    if (action != PA_Idle || state != PS_Normal) return false;
    action_time = 0.0;
    action = PA_Digging;

    // Mirror a left-facing aim so that one table serves both sides; dy counts upwards.
    double b = aim;
    int sx = 1;
    if (faces_left(aim)) {
        b = PI - aim;
        sx = -1;
    }
    int dx, dy;
    if (b >= kDigSteep) {
        dx = 0;
        dy = 1;
    } else if (b > kDigSideways) {
        dx = sx;
        dy = 1;
    } else if (b >= -kDigSideways) {
        dx = sx;
        dy = 0;
    } else if (b > -kDigSteep) {
        dx = sx;
        dy = -1;
    } else {
        dx = 0;
        dy = -1;
    }

    const int cx = static_cast<int>(x);
    const int cy = static_cast<int>(y);
    const int r = static_cast<int>(kRadius);
    level->Dig(cx + dx, cy - dy, r);
    level->Dig(cx + 2 * dx, cy - 2 * dy, r);
    emit_sound(game, SK_Dig, x, y);
    return true;
}

void Player::Jump() {
    if (action != PA_Idle || state != PS_Normal) return;
    action = PA_Jumping;
    action_time = 0.0;
    vy -= kJumpImpulse;
}

void Player::Fire() {
    if (action == PA_Dead || !HasWeapon()) return;
    Inventory::Weapon* w = *current_weapon;
    if (w->cooldown > 0.0) return;

    const Direction<float> d = direction(aim);
    const float muzzle_x = x + kMuzzle * d.x;
    const float muzzle_y = y + kMuzzle * d.y;
    if (w->Fire(muzzle_x, muzzle_y, aim)) {
        ++stats.shots;
        emit_sound(game, w->ShotSound(), muzzle_x, muzzle_y);
    }
    // An empty weapon cools down too, so holding fire on it does not spin every step.
    w->cooldown = w->reload_time;
    if (w->ammo <= 0 && current_weapon != weapons.begin()) --current_weapon;
}

void Player::SelectWeapon(WeaponSlot slot) {
    current_weapon = slot;
    emit_sound(game, SK_WeaponSwitch, x, y);
}

void Player::PressRope() {
    if (action == PA_Dead) return;
    if (rope.state == RS_None)
        rope.Fire(*this, aim);
    else
        rope.Release();
}

void Player::Respawn() {
    const int w = level->width;
    // Tested against the terrain itself: a body that just died is still PC_None, for which
    // TouchesTerrain always answers false.
    auto free_here = [this] { return !level->CircleHitsTerrain(bound, true); };

    bool placed = false;
    for (int i = 0; i < kSpawnTries && !placed; ++i) {
        SetPosition(static_cast<float>(rand01() * w), kSpawnHeight);
        placed = free_here();
    }
    // A top band that is nearly all terrain: take the first free column instead.
    for (int px = 0; px < w && !placed; ++px) {
        SetPosition(static_cast<float>(px), kSpawnHeight);
        placed = free_here();
    }
    // No free place at all: the top centre, where the player at least stays in the level.
    if (!placed) SetPosition(static_cast<float>(w / 2), kSpawnHeight);

    action_time = 0.0;
    action = PA_Idle;
    control = PC_Normal;
    health = kFullHealth;
    rope.Release();

    for (Inventory::Weapon* old : weapons) delete old;
    weapons.clear();
    auto* pistol = new Inventory::Pistol(game, level);
    pistol->SetOwner(this);
    weapons.push_back(pistol);
    current_weapon = std::prev(weapons.end());
    emit_sound(game, SK_Respawn, x, y);
}

void Player::PickUp(Inventory::Weapon* weapon) {
    // Two players touching one pickup in the same step: the first one takes it.
    if (!weapon || weapon->dead || weapon->detached) return;
    emit_sound(game, SK_Pickup, x, y);

    for (Inventory::Weapon* held : weapons) {
        if (typeid(*held) == typeid(*weapon)) {
            held->Merge(weapon);
            weapon->dead = true;
            return;
        }
    }
    weapons.push_back(weapon);
    weapon->SetOwner(this);
}

void Player::DrawStatus(BITMAP* target, int x, int y, int, int) const {
    const int white = makecol(255, 255, 255);
    const int cyan = makecol(0, 255, 255);

    rectfill(target, x, y, x + 100, y + 32, makecol(32, 32, 32));
    rect(target, x, y, x + 100, y + 32, makecol(128, 128, 128));

    rectfill(target, x + 2, y + 4, x + 2 + bar_width(health * 0.01f), y + 8, cyan);
    textprintf_ex(target, font, x + 2, y + 2, white, -1, "%d", figure(health));

    float ammo_fraction = 0.0f;
    int ammo = 0;
    if (HasWeapon()) {
        const Inventory::Weapon* w = *current_weapon;
        textprintf_ex(target, font, x + 2, y + 22, white, -1, "%s", weapon_name(w));
        ammo = w->ammo;
        if (w->max_ammo > 0)
            ammo_fraction = static_cast<float>(w->ammo) / static_cast<float>(w->max_ammo);
    }
    rectfill(target, x + 2, y + 14, x + 2 + bar_width(ammo_fraction), y + 18, cyan);
    textprintf_ex(target, font, x + 2, y + 12, white, -1, "%d", ammo);
}
