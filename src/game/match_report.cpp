#include "game/match_report.h"

#include <cstdio>

#include "game/game.h"
#include "player/player.h"

int match_kills(const Player& p) { return p.kills - p.stats.suicides; }

namespace {

std::string number(double v) { return std::to_string(static_cast<long long>(v)); }

std::string seconds(double s) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", s);
    return text;
}

std::string verdict(const Game& game, const Player& p) {
    if (!game.outcome.over) return "plays";
    if (game.outcome.winner == 0) return "draws";
    return game.outcome.winner == p.number ? "wins" : "loses";
}

}  // namespace

const std::vector<ResultRow>& result_rows() {
    static const std::vector<ResultRow> rows = {
        {"Kills", "kills", [](const Player& p) { return std::to_string(match_kills(p)); }},
        {"Deaths", "deaths", [](const Player& p) { return std::to_string(p.deaths); }},
        {"Suicides", "suicides", [](const Player& p) { return std::to_string(p.stats.suicides); }},
        {"Shots fired", "shots", [](const Player& p) { return std::to_string(p.stats.shots); }},
        {"Hits", "hits", [](const Player& p) { return std::to_string(p.stats.hits); }},
        {"Damage dealt", "dealt", [](const Player& p) { return number(p.stats.dealt); }},
        {"Damage taken", "taken", [](const Player& p) { return number(p.stats.taken); }},
        {"Best weapon", "weapon",
         [](const Player& p) { return std::string(shot_weapon_name(p.stats.BestWeapon())); }},
        {"Longest life", "longest",
         [](const Player& p) { return seconds(p.stats.LongestLife()); }},
    };
    return rows;
}

std::string results_title(const Game& game) {
    if (!game.outcome.over) return "";
    if (game.outcome.winner == 0) return "Draw";
    return "Player " + std::to_string(game.outcome.winner) + " wins";
}

std::string figures_text(const Player& p, std::size_t from) {
    std::string text;
    const std::vector<ResultRow>& rows = result_rows();
    for (std::size_t i = from; i < rows.size(); ++i) {
        const ResultRow& row = rows[i];
        if (!text.empty()) text += ' ';
        text += std::string(row.key) + ' ' + row.value(p);
    }
    return text;
}

std::vector<std::string> results_lines(const Game& game) {
    std::vector<std::string> lines;
    for (const Player& p : game.players)
        lines.push_back("player " + std::to_string(p.number) + ' ' + verdict(game, p) + ' ' +
                        figures_text(p));
    return lines;
}

std::string outcome_line(const Game& game) {
    const std::string step = std::to_string(game.outcome.steps);
    if (!game.outcome.over) return "no winner after step " + step;
    if (game.outcome.winner == 0) return "draw at step " + step;
    return "winner player " + std::to_string(game.outcome.winner) + " at step " + step;
}
