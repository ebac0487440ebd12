#ifndef VORLIN_SOUND_SOUND_FILES_H
#define VORLIN_SOUND_SOUND_FILES_H

#include <string>
#include <vector>

#include "particle/sound_events.h"

// The folder the game plays its sounds from; soundgen writes the game's own there and a
// player may replace any of them with a WAV of his own.
constexpr const char* kSoundDir = "data/sounds";

// The file of each sound inside the folder, e.g. "pistol.wav".
const char* sound_file_name(SoundKind kind);

// The file a sound plays from: its file in the first of `folders` that holds one (a
// player's own sound before the installation's), else its place in the first folder, which
// is where a missing sound is reported and where a player would put it.
std::string sound_file_path(const std::vector<std::string>& folders, SoundKind kind);

#endif
