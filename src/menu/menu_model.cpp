#include "menu/menu_model.h"

#include <algorithm>
#include <utility>

#include "level/level_choice.h"

MenuScreen::MenuScreen(std::string title, std::vector<MenuEntry> entries)
    : title_(std::move(title)), entries_(std::move(entries)) {}

void MenuScreen::Select(int index) {
    if (index >= 0 && index < static_cast<int>(entries_.size())) selected_ = index;
}

bool MenuScreen::Press(MenuKey key) {
    const int n = static_cast<int>(entries_.size());
    if (key == MenuKey::Back) return false;
    if (n == 0) return true;
    MenuEntry& entry = entries_[static_cast<std::size_t>(selected_)];
    switch (key) {
    case MenuKey::Up: selected_ = (selected_ + n - 1) % n; break;
    case MenuKey::Down: selected_ = (selected_ + 1) % n; break;
    case MenuKey::Left:
    case MenuKey::Right:
        if (entry.adjust) entry.adjust(key == MenuKey::Left ? -1 : 1);
        break;
    case MenuKey::Accept:
        if (entry.activate)
            entry.activate();
        else if (entry.adjust)
            entry.adjust(1);
        break;
    default: break;
    }
    return true;
}

bool edit_field(std::string* text, int key, std::size_t max) {
    const int c = key & 0xff;
    if (c == 8) {  // Backspace
        if (!text->empty()) text->pop_back();
        return true;
    }
    if (c < 32 || c > 126) return false;
    if (text->size() < max) text->push_back(static_cast<char>(c));
    return true;
}

std::vector<std::string> remember_address(std::vector<std::string> recent,
                                          const std::string& address, std::size_t keep) {
    recent.erase(std::remove(recent.begin(), recent.end(), address), recent.end());
    recent.insert(recent.begin(), address);
    if (recent.size() > keep) recent.resize(keep);
    return recent;
}

LevelPicker::LevelPicker(const std::vector<std::string>& folder_levels,
                         const std::string& remembered) {
    names_.push_back("");
    names_.insert(names_.end(), folder_levels.begin(), folder_levels.end());
    if (!folder_levels.empty()) names_.push_back(kRandomLevel);
    const auto at = std::find(names_.begin(), names_.end(), remembered);
    if (at != names_.end()) chosen_ = static_cast<std::size_t>(at - names_.begin());
}

std::string LevelPicker::label() const { return chosen().empty() ? "default" : chosen(); }

void LevelPicker::Step(int delta) {
    const int n = static_cast<int>(names_.size());
    chosen_ = static_cast<std::size_t>(((static_cast<int>(chosen_) + delta) % n + n) % n);
}
