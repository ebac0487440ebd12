#include "menu/menu_settings.h"

#include <allegro.h>

#include <algorithm>

#include "base/config.h"
#include "input/controls.h"

namespace {

const char* const kSkills[] = {"easy", "normal", "hard", nullptr};

// The pad keys of one player and their defaults (input/pad_setup.h).
struct PadKey {
    const char* name;
    int def, lo, hi;
};
const PadKey kPadKeys[] = {
    {"pad", -1, -1, 1}, {"pad_jump", 0, 0, 31}, {"pad_fire", 1, 0, 31},
    {"pad_dig", 2, 0, 31}, {"pad_weapon", 3, 0, 31},
};

}  // namespace

MenuSettings::MenuSettings() {
    using K = Kind;
    for (int player = 1; player <= 2; ++player) {
        for (const char* action : PLAYER_ACTIONS)
            settings_.push_back({"controls", player_binding_name(player, action), K::Key, 0, 0,
                                 KEY_MAX - 1});
        for (const PadKey& pad : kPadKeys)
            settings_.push_back({"controls", player_binding_name(player, pad.name), K::Number,
                                 pad.def, pad.lo, pad.hi});
    }
    settings_.push_back({"controls", "console", K::Key, KEY_TILDE, 0, KEY_MAX - 1});
    settings_.push_back({"sound", "volume", K::Number, 160, 0, 255});
    settings_.push_back({"network", "rollback", K::Number, 1, 0, 1});
    // 0 suits rollback, the default; lockstep takes a 0 for its own default of 3.
    settings_.push_back({"network", "delay", K::Number, 0, 0, 30});
    settings_.push_back({"bot", "skill", K::Skill, 1, 0, 2});
    settings_.push_back({"match", "kills", K::Number, 0, 0, 999});
    settings_.push_back({"match", "minutes", K::Number, 0, 0, 999});
    settings_.push_back({"match", "lives", K::Number, 0, 0, 99});
    settings_.push_back({"menu", "port", K::Number, 24816, 1, 65535});
    values_.assign(settings_.size(), 0);
    for (std::size_t i = 0; i < settings_.size(); ++i) values_[i] = settings_[i].def;
    loaded_ = values_;
}

void MenuSettings::Load() {
    for (std::size_t i = 0; i < settings_.size(); ++i) {
        const Setting& s = settings_[i];
        values_[i] = s.kind == Kind::Skill
                         ? config_choice(s.section, s.key.c_str(), kSkills, s.def)
                         : config_int(s.section, s.key.c_str(), s.def, s.lo, s.hi);
    }
    loaded_ = values_;
}

void MenuSettings::Save() {
    for (std::size_t i = 0; i < settings_.size(); ++i) {
        if (values_[i] == loaded_[i]) continue;
        const Setting& s = settings_[i];
        if (s.kind == Kind::Skill)
            set_config_string(s.section, s.key.c_str(), kSkills[values_[i]]);
        else
            set_config_int(s.section, s.key.c_str(), values_[i]);
    }
    loaded_ = values_;
}

int MenuSettings::Find(const char* section, const std::string& key) const {
    for (std::size_t i = 0; i < settings_.size(); ++i)
        if (settings_[i].key == key && std::string(settings_[i].section) == section)
            return static_cast<int>(i);
    return -1;
}

int MenuSettings::Get(const char* section, const std::string& key) const {
    const int i = Find(section, key);
    return i < 0 ? 0 : values_[static_cast<std::size_t>(i)];
}

void MenuSettings::Set(const char* section, const std::string& key, int value) {
    const int i = Find(section, key);
    if (i < 0) return;
    const Setting& s = settings_[static_cast<std::size_t>(i)];
    values_[static_cast<std::size_t>(i)] = std::clamp(value, s.lo, s.hi);
}

void MenuSettings::Step(const char* section, const std::string& key, int delta) {
    Set(section, key, Get(section, key) + delta);
}

void MenuSettings::Exchange(int mine, int value,
                            const std::function<bool(const Setting&)>& shares) {
    const std::size_t at = static_cast<std::size_t>(mine);
    const int old = values_[at];
    for (std::size_t i = 0; i < settings_.size(); ++i)
        if (i != at && values_[i] == value && shares(settings_[i])) values_[i] = old;
    values_[at] = value;
}

void MenuSettings::Rebind(int player, const char* action, int scancode) {
    const int mine = Find("controls", player_binding_name(player, action));
    if (mine < 0 || scancode <= 0 || scancode >= KEY_MAX) return;
    Exchange(mine, scancode, [](const Setting& s) { return s.kind == Kind::Key; });
}

void MenuSettings::RebindButton(int player, const char* action, int button) {
    const int mine = Find("controls", player_binding_name(player, action));
    if (mine < 0 || button < 0 || button > 31) return;
    const std::string buttons = player_binding_name(player, "pad_");
    Exchange(mine, button, [&buttons](const Setting& s) {
        return s.key.rfind(buttons, 0) == 0 && s.lo == 0;  // the buttons, not the pad itself
    });
}

bool MenuSettings::changed(const char* section, const std::string& key) const {
    const int i = Find(section, key);
    return i >= 0 && values_[static_cast<std::size_t>(i)] != loaded_[static_cast<std::size_t>(i)];
}
