#include "replay/replay_recorder.h"

#include "replay/world_digest.h"

void ReplayRecorder::Checkpoint(const Game& game) {
    if (writer_.DigestDue()) writer_.AddDigest(world_digest(game));
}

bool ReplayRecorder::Finish(const Game& game) { return writer_.Finish(world_digest(game)); }
