#include "game/console_commands.h"

#include <memory>
#include <sstream>
#include <string>
#include <utility>

#include "game/computer_players.h"
#include "game/match_report.h"
#include "input/input_handler.h"

namespace {

const char* ControlName(int control) {
    switch (control) {
        case PC_None: return "PC_None";
        case PC_Normal: return "PC_Normal";
        case PC_Flying: return "PC_Flying";
        default: return "Unknown";
    }
}

const char* StateName(int state) {
    switch (state) {
        case PS_Normal: return "PS_Normal";
        case PS_Falling: return "PS_Falling";
        case PS_Flying: return "PS_Flying";
        default: return "Unknown";
    }
}

// The player line always uses the default float format, whatever the reply stream's
// flags were left at.
std::string InfoLine(const Player& p) {
    std::ostringstream s;
    s << "Player " << p.number << " (" << p.x << ", " << p.y << ") (" << p.vx << ", " << p.vy
      << ") " << ControlName(p.control) << " " << StateName(p.state);
    return s.str();
}

}  // namespace

Game::CommandProcessor::CommandProcessor(Game* game_) : game(game_) {}

bool Game::CommandProcessor::ChangesWorld(const std::string& line) {
    std::istringstream args(line);
    std::string word, sub;
    args >> word >> sub;
    return word == "select" ||
           (word == "player" && (sub == "health" || sub == "bot" || sub == "human"));
}

void Game::CommandProcessor::Process(std::istream& args, std::ostream& out) {
    std::string word = NextWord(args);
    if (word == "quit") {
        game->quit = true;
        return;
    }
    if (word == "select") return SelectPlayer(args, out);
    if (word == "player") {
        word = NextWord(args);
        if (PlayerCommand(word, args, out)) return;
        // Any other sub-command is taken as a command of its own.
    }
    if (word == "stats") return Stats(args, out);
    out << "Unrecognized command: " << word << std::endl;
}

std::string Game::CommandProcessor::NextWord(std::istream& args) {
    std::string word;
    args >> word;
    return word;
}

void Game::CommandProcessor::SelectPlayer(std::istream& args, std::ostream& out) {
    int n = 0;
    if (args >> n) {
        for (Player& p : game->players) {
            if (p.number != n) continue;
            game->selected = &p;
            out << "Selected player " << p.number << std::endl;
            return;
        }
    }
    out << "Couldn't find that player" << std::endl;
}

bool Game::CommandProcessor::PlayerCommand(const std::string& sub, std::istream& args,
                                           std::ostream& out) {
    Player* selected = game->selected;
    if (sub.empty()) {
        if (selected)
            out << "Current selected player: " << selected->number << std::endl;
        else
            out << "No selected player" << std::endl;
    } else if (!selected) {
        out << "Select a player first" << std::endl;
    } else if (sub == "info") {
        out << InfoLine(*selected) << std::endl;
    } else if (sub == "health") {
        int h = 0;
        if (args >> h) selected->health = static_cast<float>(h);
    } else if (sub == "bot") {
        HandToComputer(*selected, NextWord(args), out);
    } else if (sub == "human") {
        if (game->HandBack(selected->number))
            out << "Player " << selected->number << " is back on its keys" << std::endl;
        else
            out << "Player " << selected->number << " is on its keys already" << std::endl;
    } else {
        return false;
    }
    return true;
}

void Game::CommandProcessor::HandToComputer(const Player& player, const std::string& skill,
                                            std::ostream& out) {
    if (!game->computers) {
        out << "No computer players in this game" << std::endl;
        return;
    }
    std::string who;
    std::unique_ptr<InputHandler> handler = game->computers->HandOver(player.number, skill, &who);
    if (!handler) {
        out << who << std::endl;
        return;
    }
    game->HandToComputer(player.number, std::move(handler));
    out << "Player " << player.number << " is played by " << who << std::endl;
}

void Game::CommandProcessor::Stats(std::istream& args, std::ostream& out) {
    const std::string category = NextWord(args);
    if (category == "timing")
        game->show_timing = !game->show_timing;
    else if (category == "match")
        MatchTable(out);
    else if (!category.empty())
        out << "Unrecognized category: " << category << std::endl;
    else
        ScoreTable(out);
}

void Game::CommandProcessor::ScoreTable(std::ostream& out) const {
    out << "Player  \tKills\tDeaths" << std::endl;
    for (const Player& p : game->players)
        out << "Player " << p.number << "\t" << p.kills << "\t" << p.deaths << std::endl;
}

void Game::CommandProcessor::MatchTable(std::ostream& out) const {
    const MatchRules& r = game->rules;
    if (r.endless()) {
        out << "Endless game" << std::endl;
    } else {
        out << "Match: kills " << r.kills << " minutes " << r.minutes << " lives " << r.lives
            << ", step " << game->outcome.steps;
        if (game->outcome.over) out << ", " << results_title(*game);
        out << std::endl;
    }
    for (const Player& p : game->players)
        out << "Player " << p.number << " " << figures_text(p) << std::endl;
}
