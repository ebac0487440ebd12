#include <allegro.h>

#include "game/game.h"
#include "game/match_report.h"
#include "player/player.h"

namespace {

// The player ahead on kills; 0 when several share the lead.
int leader_by_kills(const std::list<Player>& players) {
    int best = -1, leader = 0;
    for (const Player& p : players) {
        const int k = match_kills(p);
        if (k > best) {
            best = k;
            leader = p.number;
        } else if (k == best) {
            leader = 0;
        }
    }
    return leader;
}

bool kill_limit_reached(const MatchRules& rules, const std::list<Player>& players) {
    if (rules.kills == 0) return false;
    for (const Player& p : players)
        if (match_kills(p) >= rules.kills) return true;
    return false;
}

// Players destroyed as often as they had lives stay down.
void put_out_the_lifeless(const MatchRules& rules, std::list<Player>& players) {
    if (rules.lives == 0) return;
    for (Player& p : players)
        if (p.deaths >= rules.lives) p.out = true;
}

// The last one standing, 0 for none; -1 while more than one stands.
int last_standing(const std::list<Player>& players) {
    int standing = 0, who = 0;
    for (const Player& p : players) {
        if (p.out) continue;
        ++standing;
        who = p.number;
    }
    return standing > 1 ? -1 : who;
}

bool time_is_up(const MatchRules& rules, unsigned long steps, double dt) {
    return rules.minutes != 0 && static_cast<double>(steps) * dt >= rules.minutes * 60.0;
}

// Button `b` of any pad the game has opened.
bool pad_button_down(int b) {
    if (num_joysticks <= 0 || poll_joystick() != 0) return false;
    for (int i = 0; i < num_joysticks; ++i)
        if (joy[i].num_buttons > b && joy[i].button[b].b) return true;
    return false;
}

}  // namespace

// In the same step the kill limit is judged first, then the lives, then the time.
void Game::JudgeMatch(double dt) {
    if (rules.endless() || outcome.over) return;
    ++outcome.steps;
    put_out_the_lifeless(rules, players);
    const int standing = rules.lives != 0 ? last_standing(players) : -1;
    if (kill_limit_reached(rules, players)) {
        outcome.winner = leader_by_kills(players);
    } else if (standing >= 0) {
        outcome.winner = standing;
    } else if (time_is_up(rules, outcome.steps, dt)) {
        outcome.winner = leader_by_kills(players);
    } else {
        return;
    }
    outcome.over = true;
}

bool Game::ServeResults() {
    // A front end's screens go back with a pad's second button as with Escape.
    if (key[KEY_ESC] || (watch_offered && pad_button_down(1))) return false;
    const bool again = key[KEY_ENTER] || key[KEY_ENTER_PAD] || pad_button_down(0);
    const bool see = watch_offered && key[KEY_R];
    if (!again && !see) {
        return_seen_up_ = true;
        return true;
    }
    if (!return_seen_up_) return true;
    if (see) {
        watch = true;
        return false;
    }
    if (!rematch_offered) return true;
    rematch = true;
    return false;
}
