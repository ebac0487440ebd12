#include "game/match_rules.h"

#include <allegro.h>

#include <cctype>

#include "base/hasher.h"

void MatchRules::Digest(Hasher& h) const {
    h.Int(kills);
    h.Int(minutes);
    h.Int(lives);
    h.Int(flags);
}

void MatchOutcome::Digest(Hasher& h) const {
    h.Bool(over);
    h.Int(winner);
    h.Int(static_cast<long long>(steps));
}

bool parse_match_limit(const std::string& text, int max, int* value) {
    if (text.empty() || text.size() > 4) return false;
    int v = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        v = v * 10 + (c - '0');
    }
    if (v > max) return false;
    *value = v;
    return true;
}

MatchRules configured_match_rules(std::string* warning) {
    struct Key {
        const char* name;
        int max;
        int MatchRules::*field;
    };
    int rope = 0;
    static const Key keys[] = {{"kills", MatchRules::kMaxKills, &MatchRules::kills},
                               {"minutes", MatchRules::kMaxMinutes, &MatchRules::minutes},
                               {"lives", MatchRules::kMaxLives, &MatchRules::lives},
                               {"rope", 1, nullptr}};
    MatchRules rules;
    for (const Key& key : keys) {
        const char* text = get_config_string("match", key.name, nullptr);
        if (!text) continue;
        std::string value = text;
        value.erase(0, value.find_first_not_of(" \t"));
        value.erase(value.find_last_not_of(" \t") + 1);
        if (!parse_match_limit(value, key.max, key.field ? &(rules.*key.field) : &rope)) {
            *warning = std::string("vorlin.ini: [match] ") + key.name + " must be 0 to " +
                       std::to_string(key.max) + ", not \"" + text + "\": the game is endless";
            return MatchRules();
        }
    }
    if (rope) rules.flags |= MatchRules::kFlagRope;
    return rules;
}
