#ifndef VORLIN_REPLAY_REPLAY_FOLDER_H
#define VORLIN_REPLAY_REPLAY_FOLDER_H

#include <cstddef>
#include <ctime>
#include <string>

// replays/ of the game's folder holds the replay of every match, named by the local time
// it began ("2026-12-07_21-30-05.rpl"; a second match in the same second adds "-2").
constexpr const char* kReplayFolder = "replays";
constexpr std::size_t kKeptReplays = 20;

// The path of a new match replay in `dir`, which is made when missing; no file of that
// name exists yet. False with the reason.
bool next_match_replay(const std::string& dir, std::time_t when, std::string* path,
                       std::string* why);

// Deletes the oldest match replays of `dir` beyond the `keep` newest. Only files named as
// next_match_replay names them are touched; failures are ignored.
void prune_match_replays(const std::string& dir, std::size_t keep);

#endif
