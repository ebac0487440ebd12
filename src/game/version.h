#ifndef VORLIN_GAME_VERSION_H
#define VORLIN_GAME_VERSION_H

// The game's version as players see it; replays record it with the game they hold. It
// comes from the project's version in CMakeLists.txt, its one place.
#ifndef VORLIN_VERSION
#error "VORLIN_VERSION is defined by the build (project VERSION in CMakeLists.txt)"
#endif
constexpr const char* kGameVersion = VORLIN_VERSION;

#endif
