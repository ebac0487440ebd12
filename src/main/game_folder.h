#ifndef VORLIN_MAIN_GAME_FOLDER_H
#define VORLIN_MAIN_GAME_FOLDER_H

#include <string>
#include <vector>

#include "main/options.h"

// The folder the game works in ("vorlin.ini", data/, replays) and the installation's
// shared data it falls back on. A game that is not installed (run from the build tree, as
// ./run.sh does) always works in the current folder. An installed one does too when the
// current folder is a game folder; elsewhere it works in the player's own folder under
// $XDG_DATA_HOME, made on its first start.
struct GameFolder {
    std::string work;    // absolute
    std::string shared;  // share/games/vorlin of the installation; empty when not installed
};

// A folder the game has run in, or one made to run in: it holds "vorlin.ini" or data/.
bool is_game_folder(const std::string& dir);

// The shared data of the installation `executable` belongs to: ../share/games/vorlin
// from the folder holding it, when that exists (so a DESTDIR-relocated tree finds its
// own); empty otherwise.
std::string shared_data_folder(const std::string& executable);

// $XDG_DATA_HOME/vorlin, or HOME/.local/share/vorlin when XDG_DATA_HOME is unset, empty or
// not absolute (which the XDG rules ignore). Either argument may be null; empty when
// neither gives a folder.
std::string user_folder(const char* xdg_data_home, const char* home);

// `current` when the game is not installed or `current` is a game folder, else `user`.
std::string choose_game_folder(const std::string& current, const std::string& shared,
                               const std::string& user);

// Makes the player's folder on a first start and completes it later: data/ (with the
// shared level bitmaps copied in while it has neither a level file nor a mask, so the
// level file is built there and the player can edit them), levels/ (with the shared
// levels copied in while it is empty) and replays/. False
// with the reason when a folder or a copy cannot be made.
bool prepare_user_folder(const std::string& dir, const std::string& shared, std::string* why);

// The choice for this process: its executable, current folder and environment. Changes
// nothing.
GameFolder find_game_folder();

// Makes and enters the chosen folder. Files named on the command line stay relative to
// the folder the game was started in. False with the reason when the folder cannot be
// made or entered.
bool enter_game_folder(MainOptions* options, std::string* why);

// The folders a sound is looked for in, first found first: data/sounds of the working
// folder, then the installation's shared sounds.
std::vector<std::string> sound_folders();

#endif
