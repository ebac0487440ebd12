#ifndef VORLIN_GAME_MATCH_REPORT_H
#define VORLIN_GAME_MATCH_REPORT_H

#include <cstddef>
#include <string>
#include <vector>

class Game;
class Player;

// Kills of other players: a kill of oneself, which every game credits, does not count
// towards a match.
int match_kills(const Player& p);

// The figures of one player that a match's results show, in their order.
struct ResultRow {
    const char* label;  // as the results screen shows it
    const char* key;    // as the results line writes it
    std::string (*value)(const Player&);
};
const std::vector<ResultRow>& result_rows();

// "Player 2 wins", "Draw", or "" while the match goes on.
std::string results_title(const Game& game);

// One line a player for scripts: "player 1 wins kills 3 deaths 1 suicides 0 ..." with
// "wins", "loses" or "draws" (a match still going on says "plays").
std::vector<std::string> results_lines(const Game& game);

// The figures alone, "kills 3 deaths 1 ...", for one player, from row `from` on.
std::string figures_text(const Player& p, std::size_t from = 0);

// "winner player 2 at step 1234", "draw at step 1234", or "no winner after step 1234"
// while the match goes on.
std::string outcome_line(const Game& game);

#endif
