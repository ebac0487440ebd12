#ifndef VORLIN_PLAYER_PLAYER_H
#define VORLIN_PLAYER_PLAYER_H

#include <list>

#include "particle/destroyable.h"
#include "player/player_stats.h"
#include "player/rope.h"

namespace Inventory {
class Weapon;
}

enum PlayerAction {
    PA_Idle = 0,
    PA_Digging = 1,
    PA_Jumping = 2,
    PA_Dead = 3,
};

using WeaponList = std::list<Inventory::Weapon*>;
// A position in a player's weapon list; the list's end() means "none".
using WeaponSlot = WeaponList::iterator;

// One of the fighters. Players never move in memory once created: weapons and
// projectiles keep plain pointers to them.
class Player : public Destroyable {
public:
    int number;          // 1-based
    int kills;
    int deaths;
    float aim;           // radians; points along direction(aim)
    double action_time;  // seconds since `action` began
    int action;          // PlayerAction
    WeaponList weapons;  // owned, in order of acquisition
    WeaponSlot current_weapon;
    PlayerStats stats;  // the match's figures
    // No life left in a match played for lives: the body stays where it fell.
    bool out = false;
    // Fired only in a game with the rope rule; none after a death or a respawn.
    Rope rope;

    Player(Game* game, Level* level, int number);
    ~Player() override;
    // A player owns its weapons; copying one would share them.
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    bool Update(double dt) override;
    void Draw(BITMAP* target, int originX, int originY) const override;
    void OnCollision(Particle* other) override;
    bool OnDestroyed() override;
    // With its weapons (in list order) and which of them is current.
    void Digest(Hasher& h) const override;

    // Action operations, called by the logic step in this order.
    void MoveLeft();
    void MoveRight();
    void AimUp();
    void AimDown();
    bool Dig();  // true: the terrain changed
    void Jump();
    void Fire();
    void SelectWeapon(WeaponSlot slot);
    // The rope key: fires the rope when none is out, else lets go. Not while dead.
    void PressRope();

    void Respawn();
    void PickUp(Inventory::Weapon* weapon);
    void DrawStatus(BITMAP* target, int x, int y, int w, int h) const;

    bool HasWeapon() const { return current_weapon != weapons.end(); }
    // Becomes the other player as it stands, with copies of its weapons (held by this
    // player) and the same one in hand: a saved player, or one put back from it.
    void AssignState(const Player& other);
};

#endif
