#include "sound/sound_files.h"

#include <filesystem>
#include <system_error>

const char* sound_file_name(SoundKind kind) {
    static const char* const names[SK_Count] = {
        "pistol.wav",       "shotgun.wav",    "rocket_launch.wav", "flak_shot.wav", "dirt_shot.wav",
        "rocket_blast.wav", "flak_burst.wav", "splinter.wav",      "dig.wav",       "pickup.wav",
        "hit.wav",          "death.wav",      "respawn.wav",       "switch.wav",    "console.wav",
    };
    return kind < SK_Count ? names[kind] : "";
}

std::string sound_file_path(const std::vector<std::string>& folders, SoundKind kind) {
    for (const std::string& folder : folders) {
        const std::filesystem::path path = std::filesystem::path(folder) / sound_file_name(kind);
        std::error_code ec;
        if (std::filesystem::exists(path, ec)) return path.string();
    }
    return folders.empty() ? std::string(sound_file_name(kind))
                           : (std::filesystem::path(folders.front()) / sound_file_name(kind)).string();
}
