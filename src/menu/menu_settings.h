#ifndef VORLIN_MENU_MENU_SETTINGS_H
#define VORLIN_MENU_MENU_SETTINGS_H

#include <functional>
#include <string>
#include <vector>

// The settings of "vorlin.ini" the menu edits, each in the section the game reads it from.
// A value that is missing, unreadable or out of range shows as its default; a value is
// written back only when the menu changed it, so what a player wrote by hand elsewhere in
// the file stays as it was.
class MenuSettings {
public:
    enum class Kind { Number, Key, Skill };
    struct Setting {
        const char* section;
        std::string key;
        Kind kind;
        int def, lo, hi;
    };

    // Every setting, with the defaults the game itself uses.
    MenuSettings();

    // Reads every value from the configuration now loaded.
    void Load();
    // Writes the changed values into the configuration (Allegro writes the file on exit
    // or on flush_config_file) and forgets that they changed.
    void Save();

    // The index of section/key; -1 when the menu has no such setting.
    int Find(const char* section, const std::string& key) const;
    int Get(const char* section, const std::string& key) const;
    // Clamped into the setting's range.
    void Set(const char* section, const std::string& key, int value);
    // Steps a number by `delta` within its range (a skill through its three).
    void Step(const char* section, const std::string& key, int delta);

    // Binds player N's action to `scancode`; a key already bound elsewhere (to either
    // player or the console) takes this action's old key, so no key is lost.
    void Rebind(int player, const char* action, int scancode);

    // Player N's pad button for `action` ("pad_fire", say); a button the player's pad
    // already uses elsewhere takes the old one.
    void RebindButton(int player, const char* action, int button);

    bool changed(const char* section, const std::string& key) const;
    const std::vector<Setting>& settings() const { return settings_; }

private:
    // Gives setting `mine` the value; the other settings `shares` says hold the same value
    // get its old one.
    void Exchange(int mine, int value, const std::function<bool(const Setting&)>& shares);

    std::vector<Setting> settings_;
    std::vector<int> values_;
    std::vector<int> loaded_;
};

#endif
