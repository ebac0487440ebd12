#ifndef VORLIN_LEVEL_LEVEL_CHOICE_H
#define VORLIN_LEVEL_LEVEL_CHOICE_H

#include <cstdint>
#include <string>
#include <vector>

// Where the game finds its levels: the default level in data/, and a folder of further
// levels, levels/NAME/, each holding the four level bitmaps (mask, fore, back and,
// optionally, undiggable) and/or its level file map.lvl, built from the bitmaps on first
// use as data/ is.
constexpr const char* kDefaultLevelDir = "data";
constexpr const char* kLevelsFolder = "levels";
constexpr const char* kLevelFileName = "map.lvl";
constexpr const char* kDefaultLevelFile = "data/map.lvl";
constexpr const char* kThumbnailName = "thumb.bmp";
// "--level random": one of the levels folder, picked by the game's seed.
constexpr const char* kRandomLevel = "random";

// A level's name as replays and the network carry it: 1 to kMaxLevelName printable
// characters, no slash, not "." or "..": a folder name of the levels folder and nothing
// else.
constexpr std::size_t kMaxLevelName = 64;
bool valid_level_name(const std::string& name);

struct LevelChoice {
    std::string name;                     // as replays and the network name it; empty for
                                          // the default level
    std::string dir = kDefaultLevelDir;   // the folder of its bitmaps
    std::string file = kDefaultLevelFile;  // its level file
};

// The level folders of `levels_dir` (those holding a level file or a mask), sorted by
// name; none when the folder is missing.
std::vector<std::string> list_levels(const std::string& levels_dir);

// `what`: empty for the default level; a name in `levels_dir`; a folder or a level file
// given by its path; or "random", a level of `levels_dir` picked by `seed`. False with the
// reason when there is no such level.
bool choose_level(const std::string& what, const std::string& levels_dir, std::uint32_t seed,
                  LevelChoice* choice, std::string* why);

// Builds the level file from the folder's bitmaps when it is missing. A folder that
// cannot be written gets its level built into a temporary file instead, which `choice`
// then names, and *notice says so. False with the reason when the bitmaps are missing or
// refused. The default level is not prepared here: it keeps its own start-up.
bool prepare_level(LevelChoice* choice, std::string* notice, std::string* why);

// Keeps a level file received from elsewhere as levels_dir/NAME/map.lvl, checked first
// (check_level_file); a folder of that name already there is never touched: the level
// goes beside it, as NAME-2, NAME-3, ... *stored is the name it got. False with the
// reason, and nothing written, when the file is no level or cannot be written.
bool store_level(const std::string& levels_dir, const std::string& name,
                 const std::vector<unsigned char>& file, std::string* stored, std::string* why);

// The folder's thumbnail, made from its level file when missing. False with the reason.
bool ensure_thumbnail(const LevelChoice& choice, std::string* why);

#endif
