#include "game/command_router.h"

#include <iterator>
#include <sstream>

#include "game/console_commands.h"

CommandRouter::CommandRouter(Game::Console::CommandProcessor* processor, Mode mode)
    : processor_(processor), mode_(mode) {}

void CommandRouter::Process(std::istream& args, std::ostream& out) {
    const std::string line{std::istreambuf_iterator<char>(args), std::istreambuf_iterator<char>()};
    if (!Game::CommandProcessor::ChangesWorld(line)) {
        if (!processor_) return;
        std::istringstream again(line);
        processor_->Process(again, out);
        return;
    }
    if (mode_ == Mode::Refuse)
        out << "Watching a replay: that command would change the game" << std::endl;
    else if (line.size() > kMaxHeldCommand)
        out << "Too long a command" << std::endl;
    else
        held_.push_back(line);
}

std::vector<std::string> CommandRouter::TakeHeld() {
    std::vector<std::string> lines;
    lines.swap(held_);
    return lines;
}

ScopedCommandRouter::ScopedCommandRouter(Game& game, CommandRouter::Mode mode)
    : game_(game), replaced_(game.console.processor), router_(replaced_, mode) {
    game_.console.processor = &router_;
}

ScopedCommandRouter::~ScopedCommandRouter() { game_.console.processor = replaced_; }
