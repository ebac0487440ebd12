#include "sound/sound_files.h"

const char* sound_file_name(SoundKind kind) {
    static const char* const names[SK_Count] = {
        "pistol.wav",       "shotgun.wav",    "rocket_launch.wav", "flak_shot.wav", "dirt_shot.wav",
        "rocket_blast.wav", "flak_burst.wav", "splinter.wav",      "dig.wav",       "pickup.wav",
        "hit.wav",          "death.wav",      "respawn.wav",       "switch.wav",    "console.wav",
    };
    return kind < SK_Count ? names[kind] : "";
}
