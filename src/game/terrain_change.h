#ifndef VORLIN_GAME_TERRAIN_CHANGE_H
#define VORLIN_GAME_TERRAIN_CHANGE_H

#include "level/level.h"

// Whether the terrain changed in the current logic step: the level recorded a change of
// its mask or foreground since the step began, or an object's update or a player's dig
// reported one. It reads as a bool and lives one step. What the picture recomposes is
// decided by the level's own record alone, never by this flag.
class TerrainChange {
public:
    explicit TerrainChange(const Level& level) : level_(level), since_(level.Revision()) {}
    TerrainChange(const TerrainChange&) = delete;
    TerrainChange& operator=(const TerrainChange&) = delete;

    // The start of a step.
    void Reset() {
        since_ = level_.Revision();
        reported_ = false;
    }
    void Report() { reported_ = true; }
    explicit operator bool() const { return reported_ || level_.Revision() != since_; }

private:
    const Level& level_;
    unsigned long since_;
    bool reported_ = false;
};

#endif
