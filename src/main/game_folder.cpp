#include "main/game_folder.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "sound/sound_files.h"

namespace fs = std::filesystem;

namespace {

// The installation's layout: the games in PREFIX/games, their data in
// PREFIX/share/games/vorlin.
const char* const kSharedFromGames = "../share/games/vorlin";
// The level bitmaps inside data/, as the game's level bootstrap reads them.
const char* const kLevelBitmaps[] = {"mask.bmp", "fore.bmp", "back.bmp", "undiggable.bmp"};
const char* const kUserSubfolders[] = {"data", "levels", "replays"};

bool is_dir(const fs::path& p) {
    std::error_code ec;
    return fs::is_directory(p, ec);
}

bool is_file(const fs::path& p) {
    std::error_code ec;
    return fs::exists(p, ec);
}

// A copy of the shared bitmaps only while the player's data/ has no level of its own: a
// level file or a mask there is the player's, never overwritten.
bool copy_level_bitmaps(const fs::path& data, const fs::path& shared_data, std::string* why) {
    if (is_file(data / "map.lvl") || is_file(data / "mask.bmp")) return true;
    for (const char* name : kLevelBitmaps) {
        const fs::path from = shared_data / name;
        if (!is_file(from)) continue;  // undiggable.bmp is optional
        std::error_code ec;
        fs::copy_file(from, data / name, fs::copy_options::skip_existing, ec);
        if (ec) {
            *why = "cannot copy " + from.string() + " to " + data.string() + ": " + ec.message();
            return false;
        }
    }
    return true;
}

std::string current_folder() {
    std::error_code ec;
    const fs::path p = fs::current_path(ec);
    return ec ? std::string(".") : p.string();
}

std::string own_executable() {
    std::error_code ec;
    const fs::path p = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : p.string();
}

// A file named relative to the folder the game started in, for use after leaving it.
void anchor(std::string* file, const fs::path& start) {
    if (!file->empty() && fs::path(*file).is_relative()) *file = (start / *file).string();
}

}  // namespace

bool is_game_folder(const std::string& dir) {
    return is_file(fs::path(dir) / "vorlin.ini") || is_dir(fs::path(dir) / "data");
}

std::string shared_data_folder(const std::string& executable) {
    if (executable.empty()) return std::string();
    const fs::path shared = fs::path(executable).parent_path() / kSharedFromGames;
    if (!is_dir(shared)) return std::string();
    std::error_code ec;
    const fs::path canonical = fs::canonical(shared, ec);
    return ec ? shared.lexically_normal().string() : canonical.string();
}

std::string user_folder(const char* xdg_data_home, const char* home) {
    if (xdg_data_home && fs::path(xdg_data_home).is_absolute())
        return (fs::path(xdg_data_home) / "vorlin").string();
    if (home && *home) return (fs::path(home) / ".local/share/vorlin").string();
    return std::string();
}

std::string choose_game_folder(const std::string& current, const std::string& shared,
                               const std::string& user) {
    if (shared.empty() || user.empty() || is_game_folder(current)) return current;
    return user;
}

// The shared levels, while the player's levels/ holds none: the player's own are never
// touched, nor those deleted afterwards brought back while others remain.
bool copy_shared_levels(const fs::path& levels, const fs::path& shared_levels, std::string* why) {
    std::error_code ec;
    if (!is_dir(shared_levels) || !fs::is_empty(levels, ec) || ec) return true;
    fs::copy(shared_levels, levels, fs::copy_options::recursive | fs::copy_options::skip_existing,
             ec);
    if (ec) *why = "cannot copy the levels of " + shared_levels.string() + ": " + ec.message();
    return !ec;
}

bool prepare_user_folder(const std::string& dir, const std::string& shared, std::string* why) {
    for (const char* sub : kUserSubfolders) {
        std::error_code ec;
        fs::create_directories(fs::path(dir) / sub, ec);
        if (ec) {
            *why = "cannot make " + (fs::path(dir) / sub).string() + ": " + ec.message();
            return false;
        }
    }
    return copy_level_bitmaps(fs::path(dir) / "data", fs::path(shared) / "data", why) &&
           copy_shared_levels(fs::path(dir) / "levels", fs::path(shared) / "levels", why);
}

GameFolder find_game_folder() {
    GameFolder folder;
    folder.shared = shared_data_folder(own_executable());
    folder.work = choose_game_folder(current_folder(), folder.shared,
                                     user_folder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME")));
    return folder;
}

bool enter_game_folder(MainOptions* options, std::string* why) {
    const GameFolder folder = find_game_folder();
    const fs::path start = current_folder();
    if (folder.work == start.string()) return true;
    if (!prepare_user_folder(folder.work, folder.shared, why)) return false;
    anchor(&options->record, start);
    anchor(&options->replay, start);
    std::error_code ec;
    fs::current_path(folder.work, ec);
    if (ec) *why = "cannot enter " + folder.work + ": " + ec.message();
    return !ec;
}

std::vector<std::string> sound_folders() {
    std::vector<std::string> folders{kSoundDir};
    const std::string shared = shared_data_folder(own_executable());
    if (!shared.empty()) folders.push_back((fs::path(shared) / kSoundDir).string());
    return folders;
}
