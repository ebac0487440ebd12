#ifndef VORLIN_GAME_VERSION_H
#define VORLIN_GAME_VERSION_H

// The game's version as players see it; replays record it with the game they hold.
constexpr const char* kGameVersion = "1.0";

#endif
