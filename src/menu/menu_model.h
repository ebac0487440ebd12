#ifndef VORLIN_MENU_MENU_MODEL_H
#define VORLIN_MENU_MENU_MODEL_H

#include <functional>
#include <string>
#include <vector>

// What the menu's keys, the players' keys and a pad's stick and buttons all come to.
enum class MenuKey { None, Up, Down, Left, Right, Accept, Back };

// One line of a screen: a label, perhaps a value beside it that Left and Right change,
// perhaps an action for Return (without one, Return steps the value on).
struct MenuEntry {
    std::string label;
    std::function<std::string()> value;  // null: no value shown
    std::function<void(int)> adjust;     // -1 or +1; null: the value is fixed
    std::function<void()> activate;      // null: none
};

// A screen of entries, one selected. Up and Down go round the list, Back asks to leave.
class MenuScreen {
public:
    MenuScreen(std::string title, std::vector<MenuEntry> entries);

    // False when the key asks to leave the screen.
    bool Press(MenuKey key);

    const std::string& title() const { return title_; }
    const std::vector<MenuEntry>& entries() const { return entries_; }
    int selected() const { return selected_; }
    void Select(int index);
    // The footnote under the entries: a reason, the answer of a check; gone with the next
    // key.
    std::string note;
    // A line about the whole screen above it, which stays.
    std::string info;

private:
    std::string title_;
    std::vector<MenuEntry> entries_;
    int selected_ = 0;
};

// A line of text typed into a field: printable characters, Backspace, at most `max`.
// True when the key was the field's.
bool edit_field(std::string* text, int key, std::size_t max);

// The last `keep` addresses, the newest first, `address` added (a repeat moves to the
// front).
std::vector<std::string> remember_address(std::vector<std::string> recent,
                                          const std::string& address, std::size_t keep);

// The levels the match setup goes through with Left and Right: the default level (named
// ""), the levels of the levels folder in the order given (list_levels sorts them), then
// "random" when there is one to pick from. A remembered level no longer there is the
// default level.
class LevelPicker {
public:
    LevelPicker(const std::vector<std::string>& folder_levels, const std::string& remembered);

    const std::vector<std::string>& names() const { return names_; }
    // As play_level takes it: "" for the default level.
    const std::string& chosen() const { return names_[chosen_]; }
    // "default" for the default level, else its name.
    std::string label() const;
    // Goes round the list.
    void Step(int delta);

private:
    std::vector<std::string> names_;
    std::size_t chosen_ = 0;
};

#endif
