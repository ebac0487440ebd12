#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "main/game_folder.h"
#include "sound/sound_files.h"
#include "support/test_support.h"

namespace fs = std::filesystem;
using testsupport::TempDir;

namespace {

void write_file(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text;
}

std::string read_file(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// An installation under `root`: PREFIX/games/vorlin and its shared level bitmaps.
std::string install_under(const TempDir& root) {
    write_file(root.file("games/vorlin"), "");
    for (const char* name : {"mask.bmp", "fore.bmp", "back.bmp", "undiggable.bmp"})
        write_file(root.file("share/games/vorlin/data/") + name, std::string("shared ") + name);
    write_file(root.file("share/games/vorlin/levels/caves-1/map.lvl"), "shared caves");
    return root.file("games/vorlin");
}

}  // namespace

// The shared folder is found from the executable's own place, so a relocated tree finds
// its own; a build tree has none, and its game never leaves the current folder.
TEST(GameFolder, AnInstalledGameLeavesOnlyAFolderThatIsNoGameFolder) {
    TempDir root, source;
    const std::string shared = shared_data_folder(install_under(root));
    EXPECT_EQ(shared, fs::canonical(root.file("share/games/vorlin")).string());
    write_file(source.file("build/vorlin"), "");
    EXPECT_EQ(shared_data_folder(source.file("build/vorlin")), "");

    struct Case {
        const char* what;
        std::function<void(const TempDir&)> make;
        bool installed;
        bool stays;
    } const cases[] = {
        {"empty, installed", [](const TempDir&) {}, true, false},
        {"vorlin.ini", [](const TempDir& d) { write_file(d.file("vorlin.ini"), ""); }, true, true},
        {"data/", [](const TempDir& d) { fs::create_directory(d.file("data")); }, true, true},
        {"empty, not installed", [](const TempDir&) {}, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir current;
        c.make(current);
        const std::string user = root.file("home/.local/share/vorlin");
        EXPECT_EQ(choose_game_folder(current.path(), c.installed ? shared : "", user),
                  c.stays ? current.path() : user);
    }
}

TEST(GameFolder, TheUsersFolderFollowsXdgDataHomeElseHome) {
    struct Case {
        const char* xdg;
        const char* home;
        const char* folder;
    } const cases[] = {
        {"/data/p", "/home/p", "/data/p/vorlin"},
        {nullptr, "/home/p", "/home/p/.local/share/vorlin"},
        {"", "/home/p", "/home/p/.local/share/vorlin"},
        {"relative/path", "/home/p", "/home/p/.local/share/vorlin"},
        {nullptr, nullptr, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.xdg ? c.xdg : "(unset)");
        EXPECT_EQ(user_folder(c.xdg, c.home), c.folder);
    }
}

// A first start makes the folder with the shared level in data/; the player's own level
// (a changed mask, a level file) is never overwritten afterwards.
TEST(GameFolder, AFirstStartMakesTheFolderWithTheSharedLevelAndLaterStartsKeepThePlayers) {
    TempDir root, home;
    const std::string shared = shared_data_folder(install_under(root));
    const std::string user = home.file(".local/share/vorlin");
    std::string why;
    ASSERT_TRUE(prepare_user_folder(user, shared, &why)) << why;
    for (const char* sub : {"data", "levels", "replays"}) EXPECT_TRUE(fs::is_directory(user + "/" + sub)) << sub;
    EXPECT_EQ(read_file(user + "/data/fore.bmp"), "shared fore.bmp");
    EXPECT_EQ(read_file(user + "/data/undiggable.bmp"), "shared undiggable.bmp");
    EXPECT_TRUE(is_game_folder(user));
    EXPECT_EQ(read_file(user + "/levels/caves-1/map.lvl"), "shared caves");

    write_file(user + "/data/mask.bmp", "the player's");
    fs::remove(user + "/data/fore.bmp");
    ASSERT_TRUE(prepare_user_folder(user, shared, &why)) << why;
    EXPECT_EQ(read_file(user + "/data/mask.bmp"), "the player's");
    EXPECT_FALSE(fs::exists(user + "/data/fore.bmp"));
    // The player's levels/ is the player's once it holds anything.
    fs::remove_all(user + "/levels/caves-1");
    write_file(user + "/levels/mine/map.lvl", "the player's level");
    ASSERT_TRUE(prepare_user_folder(user, shared, &why)) << why;
    EXPECT_FALSE(fs::exists(user + "/levels/caves-1"));

    TempDir other;
    write_file(other.file("data/map.lvl"), "level");
    ASSERT_TRUE(prepare_user_folder(other.path(), shared, &why)) << why;
    EXPECT_FALSE(fs::exists(other.file("data/mask.bmp")));

    write_file(home.file("blocked"), "");
    EXPECT_FALSE(prepare_user_folder(home.file("blocked/vorlin"), shared, &why));
    EXPECT_NE(why.find("blocked/vorlin"), std::string::npos) << why;
}

// A sound of the player's own wins over the installation's; a sound found nowhere is
// reported where the player would put it.
TEST(SoundFiles, APlayersSoundComesBeforeTheInstallations) {
    TempDir own, shared;
    write_file(own.file("pistol.wav"), "");
    write_file(shared.file("pistol.wav"), "");
    write_file(shared.file("dig.wav"), "");
    const std::vector<std::string> folders{own.path(), shared.path()};
    EXPECT_EQ(sound_file_path(folders, SK_PistolShot), own.file("pistol.wav"));
    EXPECT_EQ(sound_file_path(folders, SK_Dig), shared.file("dig.wav"));
    EXPECT_EQ(sound_file_path(folders, SK_Death), own.file("death.wav"));
}
