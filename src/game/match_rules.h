#ifndef VORLIN_GAME_MATCH_RULES_H
#define VORLIN_GAME_MATCH_RULES_H

#include <string>

class Hasher;
class OptionParser;

// How a match ends; all zero is the endless game. Limits combine: whichever is reached
// first ends the match.
struct MatchRules {
    static constexpr int kMaxKills = 999;
    static constexpr int kMaxMinutes = 999;
    static constexpr int kMaxLives = 99;

    int kills = 0;    // the first player to this many kills of others wins
    int minutes = 0;  // of game time; then the most kills win, equal kills draw
    int lives = 0;    // a player destroyed this many times is out; the last one standing wins

    // Rules beyond the limits, one bit each.
    static constexpr unsigned kFlagRope = 1u << 0;  // every player carries a grappling rope
    static constexpr unsigned kKnownFlags = kFlagRope;
    unsigned flags = 0;

    bool rope() const { return (flags & kFlagRope) != 0; }

    // No limit: nobody wins.
    bool endless() const { return kills == 0 && minutes == 0 && lives == 0; }
    // No limit and no further rule: the game as it always was, whose replays, hellos and
    // digests hold nothing of a match.
    bool plain() const { return endless() && flags == 0; }
    bool operator==(const MatchRules& o) const {
        return kills == o.kills && minutes == o.minutes && lives == o.lives && flags == o.flags;
    }
    bool operator!=(const MatchRules& o) const { return !(*this == o); }
    void Digest(Hasher& h) const;
};

// A limit's value, the whole text a whole number from 0 (no limit) to `max`.
bool parse_match_limit(const std::string& text, int max, int* value);

// The limits as options and "vorlin.ini" name them.
struct MatchLimit {
    const char* name;  // "kills", "minutes", "lives"
    int max;
    int MatchRules::*field;
};
extern const MatchLimit kMatchLimits[3];

// --kills N, --minutes M, --lives L and --rope of a command line.
class MatchOptions {
public:
    void Declare(OptionParser& parser);
    bool given() const;
    // The limits given into *rules; false with the reason for a bad value.
    bool Read(MatchRules* rules, std::string* why) const;

private:
    std::string texts_[3];
    bool rope_ = false;
};

// Section [match] of "vorlin.ini": keys kills, minutes and lives, and rope (0 or 1). A bad
// value makes the whole match endless and plain, with *warning saying which; absent keys
// are simply not limits, an absent rope no rope.
MatchRules configured_match_rules(std::string* warning);

// How the match stands: over once a limit was reached, with its winner.
struct MatchOutcome {
    bool over = false;
    int winner = 0;           // the winner's number; 0 for a draw
    unsigned long steps = 0;  // steps played in the match; the last one ended it
    void Digest(Hasher& h) const;
};

#endif
