#ifndef VORLIN_SOUND_SOUND_FILES_H
#define VORLIN_SOUND_SOUND_FILES_H

#include "particle/sound_events.h"

// The folder the game plays its sounds from; soundgen writes the game's own there and a
// player may replace any of them with a WAV of his own.
constexpr const char* kSoundDir = "data/sounds";

// The file of each sound inside the folder, e.g. "pistol.wav".
const char* sound_file_name(SoundKind kind);

#endif
