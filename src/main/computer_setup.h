#ifndef VORLIN_MAIN_COMPUTER_SETUP_H
#define VORLIN_MAIN_COMPUTER_SETUP_H

#include <memory>

#include "bot/computer_seats.h"
#include "main/options.h"

// The computer players the command line asks for, at the skill of --skill or else of
// "vorlin.ini" (read here, so after the configuration is loaded). Also the console's
// "player bot" takes that skill when it names none.
std::unique_ptr<ComputerSeats> computer_setup(const MainOptions& options);

#endif
