#include "level/level_choice.h"

#include <allegro.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "level/image_check.h"
#include "level/level.h"
#include "level/level_file.h"
#include "level/level_thumbnail.h"

namespace fs = std::filesystem;

namespace {

bool is_file(const fs::path& p) {
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}

bool holds_level(const fs::path& dir) {
    return is_file(dir / kLevelFileName) || is_file(dir / "mask.bmp");
}

// A level given by its path is named by its folder; the default level has no name.
std::string level_name(const fs::path& dir) {
    std::error_code ec;
    if (fs::equivalent(dir, kDefaultLevelDir, ec)) return "";
    fs::path whole = fs::absolute(dir, ec).lexically_normal();
    if (!whole.has_filename()) whole = whole.parent_path();
    return whole.filename().string();
}

LevelChoice in_folder(const fs::path& dir, const std::string& name) {
    return {name, dir.string(), (dir / kLevelFileName).string()};
}

// Each bitmap checked as the level loader would read it, so that a broken one is refused
// with its reason instead of stopping the game.
bool bitmaps_readable(const LevelChoice& c, bool* undiggable, std::string* why) {
    *undiggable = is_file(fs::path(c.dir) / "undiggable.bmp");
    for (const char* name : {"mask.bmp", "fore.bmp", "back.bmp", "undiggable.bmp"}) {
        const fs::path path = fs::path(c.dir) / name;
        if (std::string(name) == "undiggable.bmp" && !*undiggable) continue;
        std::string reason;
        BITMAP* bmp = load_checked_bitmap(path.string(), &reason);
        if (!bmp) {
            *why = "the level " + c.name + " has no usable " + name + ": " + reason;
            return false;
        }
        destroy_bitmap(bmp);
    }
    return true;
}

std::string temporary_level_file(const std::string& name) {
    std::error_code ec;
    fs::path dir = fs::temp_directory_path(ec);
    if (ec) dir = ".";
    return (dir / ("vorlin-level-" + std::to_string(getpid()) + "-" + name + ".lvl")).string();
}

}  // namespace

bool valid_level_name(const std::string& name) {
    if (name.empty() || name.size() > kMaxLevelName || name == "." || name == "..") return false;
    for (char c : name)
        if (c < 33 || c > 126 || c == '/' || c == '\\') return false;
    return true;
}

std::vector<std::string> list_levels(const std::string& levels_dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(levels_dir, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_directory(ec) && valid_level_name(it->path().filename().string()) &&
            holds_level(it->path()))
            names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool choose_level(const std::string& what, const std::string& levels_dir, std::uint32_t seed,
                  LevelChoice* choice, std::string* why) {
    if (what.empty()) {
        *choice = in_folder(kDefaultLevelDir, "");
        return true;
    }
    if (what == kRandomLevel) {
        const std::vector<std::string> names = list_levels(levels_dir);
        if (names.empty()) {
            *why = "there is no level in " + levels_dir + "/ to pick one from";
            return false;
        }
        const std::string& name = names[seed % names.size()];
        *choice = in_folder(fs::path(levels_dir) / name, name);
        return true;
    }
    const fs::path given(what);
    if (is_file(given)) {
        const fs::path dir = given.has_parent_path() ? given.parent_path() : fs::path(".");
        *choice = {level_name(dir), dir.string(), given.string()};
        return true;
    }
    const bool a_path = what.find('/') != std::string::npos || what == "." || what == "..";
    const fs::path dir = a_path ? given : fs::path(levels_dir) / what;
    std::error_code ec;
    if (fs::is_directory(dir, ec) && holds_level(dir)) {
        *choice = in_folder(dir, a_path ? level_name(dir) : what);
        return true;
    }
    *why = a_path ? "there is no level in " + what
                  : "there is no level " + what + " in " + levels_dir + "/";
    return false;
}

bool prepare_level(LevelChoice* choice, std::string* notice, std::string* why) {
    if (is_file(choice->file)) {
        if (check_level_file(choice->file, why)) return true;
        *why = choice->file + ": " + *why;
        return false;
    }
    bool undiggable = false;
    if (!bitmaps_readable(*choice, &undiggable, why)) return false;
    const fs::path dir(choice->dir);
    Level level((dir / "mask.bmp").string(),
                undiggable ? (dir / "undiggable.bmp").string() : std::string(),
                (dir / "fore.bmp").string(), (dir / "back.bmp").string());
    std::string error;
    if (write_level_file(level, choice->file, &error)) return true;
    // A folder the player may not write (an installed one, say): played all the same.
    const std::string elsewhere = temporary_level_file(choice->name);
    if (!write_level_file(level, elsewhere, why)) return false;
    *notice = error + "; playing from " + elsewhere;
    choice->file = elsewhere;
    return true;
}

bool store_level(const std::string& levels_dir, const std::string& name,
                 const std::vector<unsigned char>& file, std::string* stored, std::string* why) {
    std::error_code ec;
    fs::create_directories(levels_dir, ec);
    const fs::path temp = fs::path(levels_dir) / (".received-" + std::to_string(getpid()) + ".lvl");
    std::FILE* out = std::fopen(temp.string().c_str(), "wb");
    const bool written = out && std::fwrite(file.data(), 1, file.size(), out) == file.size();
    if (out && std::fclose(out) != 0) out = nullptr;
    if (!written || !out) {
        fs::remove(temp, ec);
        *why = "cannot write into " + levels_dir;
        return false;
    }
    if (!check_level_file(temp.string(), why)) {
        fs::remove(temp, ec);
        return false;
    }
    for (int n = 1; n < 1000; ++n) {
        const std::string candidate = n == 1 ? name : name + "-" + std::to_string(n);
        const fs::path dir = fs::path(levels_dir) / candidate;
        if (!valid_level_name(candidate) || fs::exists(dir, ec)) continue;
        fs::create_directories(dir, ec);
        fs::rename(temp, dir / kLevelFileName, ec);
        if (ec) {
            fs::remove(dir, ec);
            break;
        }
        *stored = candidate;
        return true;
    }
    fs::remove(temp, ec);
    *why = "cannot keep the level " + name + " in " + levels_dir;
    return false;
}

bool ensure_thumbnail(const LevelChoice& choice, std::string* why) {
    const fs::path thumb = fs::path(choice.dir) / kThumbnailName;
    if (is_file(thumb)) return true;
    if (!check_level_file(choice.file, why)) return false;
    Level level;
    PACKFILE* pf = pack_fopen(choice.file.c_str(), "rp");
    if (!pf) {
        *why = "cannot read " + choice.file;
        return false;
    }
    level.Load(pf);
    pack_fclose(pf);
    OwnedBitmap picture = make_level_thumbnail(level);
    if (!picture || save_bitmap(thumb.string().c_str(), picture.get(), nullptr) != 0) {
        *why = "cannot write " + thumb.string();
        return false;
    }
    return true;
}
