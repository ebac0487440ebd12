#include "game/game.h"

#include <string>
#include <utility>

#include "game/computer_players.h"
#include "input/input_handler.h"

void Game::HandToComputer(int number, std::unique_ptr<InputHandler> handler) {
    InputHandler*& seat = inputs[number];
    if (keys_aside.count(number) || !seat)
        delete seat;
    else
        keys_aside[number].reset(seat);
    seat = handler.release();
}

bool Game::HandBack(int number) {
    auto aside = keys_aside.find(number);
    if (aside == keys_aside.end()) return false;
    InputHandler*& seat = inputs[number];
    delete seat;
    seat = aside->second.release();
    keys_aside.erase(aside);
    return true;
}

void Game::SeatComputerPlayer(int number) {
    if (!computers) return;
    std::string who;
    std::unique_ptr<InputHandler> handler = computers->AtStart(number, &who);
    if (!handler) return;
    HandToComputer(number, std::move(handler));
    console << "Player " << number << " is played by " << who << std::endl;
}
