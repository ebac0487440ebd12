// soundgen [--overwrite] DIR
//
// Writes the game's sound effects into DIR (created when missing) as 16-bit mono WAV
// files at 22050 Hz, one per sound, named as the game looks for them (pistol.wav,
// rocket_blast.wav, ...). Files already there are left alone, so that sounds a player has
// put in their place stay; --overwrite writes every file afresh. The output depends on
// nothing but this program.

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "effects.h"
#include "sound/sound_files.h"
#include "sound/wav_file.h"

namespace {

const char* const kUsage = "usage: soundgen [--overwrite] DIR\n";

bool write_file(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    bool overwrite = false;
    std::string dir;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--overwrite") == 0) {
            overwrite = true;
        } else if (argv[i][0] == '-' || !dir.empty()) {
            std::fputs(kUsage, stderr);
            return 2;
        } else {
            dir = argv[i];
        }
    }
    if (dir.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }

    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        std::fprintf(stderr, "soundgen: cannot create %s: %s\n", dir.c_str(), ec.message().c_str());
        return 1;
    }
    for (const soundgen::Effect& effect : soundgen::effects()) {
        const std::filesystem::path path =
            std::filesystem::path(dir) / sound_file_name(effect.kind);
        if (!overwrite && std::filesystem::exists(path)) continue;
        if (!write_file(path, encode_wav(soundgen::kRate, soundgen::render(effect)))) {
            std::fprintf(stderr, "soundgen: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
