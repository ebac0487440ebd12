#include "game/match_rules.h"

#include <allegro.h>

#include <cctype>

#include "base/hasher.h"
#include "base/option_parser.h"

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

const MatchLimit kMatchLimits[3] = {{"kills", MatchRules::kMaxKills, &MatchRules::kills},
                                    {"minutes", MatchRules::kMaxMinutes, &MatchRules::minutes},
                                    {"lives", MatchRules::kMaxLives, &MatchRules::lives}};

void MatchOptions::Declare(OptionParser& parser) {
    for (int i = 0; i < 3; ++i) parser.Value(kMatchLimits[i].name, &texts_[i]);
}

bool MatchOptions::given() const {
    return !texts_[0].empty() || !texts_[1].empty() || !texts_[2].empty();
}

bool MatchOptions::Read(MatchRules* rules, std::string* why) const {
    for (int i = 0; i < 3; ++i) {
        const MatchLimit& limit = kMatchLimits[i];
        if (texts_[i].empty() || parse_match_limit(texts_[i], limit.max, &(rules->*limit.field)))
            continue;
        *why = std::string("--") + limit.name + " takes a whole number from 0 to " +
               std::to_string(limit.max) + ", not " + texts_[i];
        return false;
    }
    return true;
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
    MatchRules rules;
    for (const MatchLimit& key : kMatchLimits) {
        const char* text = get_config_string("match", key.name, nullptr);
        if (!text) continue;
        std::string value = text;
        value.erase(0, value.find_first_not_of(" \t"));
        value.erase(value.find_last_not_of(" \t") + 1);
        if (!parse_match_limit(value, key.max, &(rules.*key.field))) {
            *warning = std::string("vorlin.ini: [match] ") + key.name + " must be 0 to " +
                       std::to_string(key.max) + ", not \"" + text + "\": the game is endless";
            return MatchRules();
        }
    }
    return rules;
}
