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
    parser.Flag("rope", &rope_);
}

bool MatchOptions::given() const {
    return !texts_[0].empty() || !texts_[1].empty() || !texts_[2].empty() || rope_;
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
    if (rope_) rules->flags |= MatchRules::kFlagRope;
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

namespace {

// One key of [match], blanks around its value aside; false with the warning for a bad one.
bool read_match_key(const char* name, int max, int* value, std::string* warning) {
    const char* text = get_config_string("match", name, nullptr);
    if (!text) return true;
    std::string v = text;
    v.erase(0, v.find_first_not_of(" \t"));
    v.erase(v.find_last_not_of(" \t") + 1);
    if (parse_match_limit(v, max, value)) return true;
    *warning = std::string("vorlin.ini: [match] ") + name + " must be 0 to " +
               std::to_string(max) + ", not \"" + text + "\": the game is endless";
    return false;
}

}  // namespace

MatchRules configured_match_rules(std::string* warning) {
    MatchRules rules;
    for (const MatchLimit& key : kMatchLimits)
        if (!read_match_key(key.name, key.max, &(rules.*key.field), warning)) return MatchRules();
    int rope = 0;
    if (!read_match_key("rope", 1, &rope, warning)) return MatchRules();
    if (rope) rules.flags |= MatchRules::kFlagRope;
    return rules;
}
