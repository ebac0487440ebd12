#include "sound/sound_settings.h"

#include <allegro.h>

#include <cctype>
#include <string>

#include "base/config.h"

namespace {

// 1 for a yes, 0 for a no, -1 for anything else.
int parse_switch(const char* text) {
    std::string word;
    for (const char* c = text; *c; ++c)
        word += static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
    const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!word.empty() && blank(word.back())) word.pop_back();
    while (!word.empty() && blank(word.front())) word.erase(word.begin());
    for (const char* yes : {"1", "yes", "true", "on"})
        if (word == yes) return 1;
    for (const char* no : {"0", "no", "false", "off"})
        if (word == no) return 0;
    return -1;
}

}  // namespace

SoundSettings read_sound_settings() {
    SoundSettings s;
    s.volume = config_int("sound", "volume", SoundSettings::DefaultVolume, 0, 255);
    const char* enabled = get_config_string("sound", "enabled", nullptr);
    const int on = enabled ? parse_switch(enabled) : -1;
    if (on >= 0) s.enabled = on == 1;
    return s;
}
