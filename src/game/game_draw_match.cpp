#include <allegro.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "game/game.h"
#include "game/match_report.h"
#include "game/scaled_text.h"
#include "player/player.h"

namespace {

constexpr int kRow = 10;  // the score box's line pitch, pixels

int grey_fill() { return makecol(32, 32, 32); }
int grey_edge() { return makecol(128, 128, 128); }
int white() { return makecol(255, 255, 255); }

void draw_box(BITMAP* target, int x0, int y0, int x1, int y1) {
    rectfill(target, x0, y0, x1, y1, grey_fill());
    rect(target, x0, y0, x1, y1, grey_edge());
}

std::string kills_text(const MatchRules& rules, const Player& p) {
    char text[32];
    if (rules.kills)
        std::snprintf(text, sizeof text, "%2d/%d", match_kills(p), rules.kills);
    else
        std::snprintf(text, sizeof text, "%2d", match_kills(p));
    return text;
}

std::string lives_text(const MatchRules& rules, const Player& p) {
    if (!rules.lives) return "";
    const int left = std::max(0, rules.lives - p.deaths);
    if (left == 0) return "  out";
    return "  " + std::to_string(left) + (left == 1 ? " life" : " lives");
}

std::string time_text(const MatchRules& rules, const MatchOutcome& outcome, double dt) {
    const double left = std::max(0.0, rules.minutes * 60.0 - outcome.steps * dt);
    // Whole seconds, rounded up: "0:00" only once the time is up.
    const int whole = static_cast<int>(left) + (left > static_cast<int>(left) ? 1 : 0);
    char text[48];
    std::snprintf(text, sizeof text, "Time left %d:%02d", whole / 60, whole % 60);
    return text;
}

}  // namespace

void Game::DrawScoreBox(BITMAP* target) const {
    const int W = target->w;
    const int H = target->h;
    const Player& one = players.front();
    const Player& two = *std::next(players.begin());
    if (rules.endless()) {
        draw_box(target, W / 2 - 50, H - 30, W / 2 + 50, H);
        textprintf_ex(target, font, W / 2 - 48, H - 28, white(), -1, "Player 1 %2d", one.kills);
        textprintf_ex(target, font, W / 2 - 48, H - 18, white(), -1, "Player 2 %2d", two.kills);
        return;
    }
    // The same box, grown to what the match counts: a line for the time left, the kills
    // of the limit and the lives left.
    std::vector<std::string> lines;
    if (rules.minutes) lines.push_back(time_text(rules, outcome, step_dt));
    for (const Player& p : {std::cref(one), std::cref(two)})
        lines.push_back("Player " + std::to_string(p.number) + " " + kills_text(rules, p) +
                        lives_text(rules, p));
    int width = 100;
    for (const std::string& line : lines)
        width = std::max(width, text_length(font, line.c_str()) + 4);
    const int x0 = W / 2 - width / 2;
    const int y0 = H - kRow * static_cast<int>(lines.size()) - 10;
    draw_box(target, x0, y0, x0 + width, H);
    for (std::size_t i = 0; i < lines.size(); ++i)
        textout_ex(target, font, lines[i].c_str(), x0 + 2, y0 + 2 + kRow * static_cast<int>(i),
                   white(), -1);
}

void Game::DrawResults(BITMAP* target) const {
    const int W = target->w;
    const int H = target->h;
    constexpr int kLabels = 120;  // width of the figures' names
    constexpr int kColumn = 90;   // width of a player's column
    constexpr int kLine = 12;
    const int rows = static_cast<int>(result_rows().size());
    const int width = kLabels + kColumn * static_cast<int>(players.size()) + 20;
    const int height = 60 + kLine * (rows + 1) + 36;
    const int x0 = (W - width) / 2;
    const int y0 = (H - height) / 2;
    draw_box(target, x0, y0, x0 + width, y0 + height);

    const int yellow = makecol(255, 255, 0);
    const int cyan = makecol(0, 255, 255);
    draw_scaled_text(target, results_title(*this), W / 2, y0 + 10, 2, yellow, 0);

    int y = y0 + 44;
    int column = x0 + 10 + kLabels + kColumn;
    for (const Player& p : players) {
        const int colour = p.number == outcome.winner ? yellow : cyan;
        textprintf_right_ex(target, font, column, y, colour, -1, "Player %d", p.number);
        column += kColumn;
    }
    for (const ResultRow& row : result_rows()) {
        y += kLine;
        textout_ex(target, font, row.label, x0 + 10, y, white(), -1);
        column = x0 + 10 + kLabels + kColumn;
        for (const Player& p : players) {
            textout_right_ex(target, font, row.value(p).c_str(), column, y, white(), -1);
            column += kColumn;
        }
    }

    const std::string keys = watch_offered     ? "Return: rematch  R: replay  Esc: menu"
                             : rematch_offered ? "Return: rematch    Escape: end"
                                               : "Escape: end";
    textout_centre_ex(target, font, keys.c_str(), W / 2, y0 + height - 30, white(), -1);
    if (!replay_note.empty())
        textout_centre_ex(target, font, replay_note.c_str(), W / 2, y0 + height - 16, grey_edge(),
                          -1);
}
