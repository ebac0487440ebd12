#include "replay/replay_verify.h"

#include "game/game.h"
#include "replay/replay_reader.h"
#include "replay/world_digest.h"

VerifyResult play_replay(const ReplayReader& replay, Game& game, bool compare) {
    VerifyResult result;
    ReplayDecoder entries = replay.Entries();
    StepInput step;
    std::uint64_t stored = 0;
    std::string why;
    for (;;) {
        const ReplayDecoder::Entry e = entries.Next(&step, &stored, &why);
        if (e == ReplayDecoder::Entry::Step) {
            game.Step(step, game.step_dt);
            continue;
        }
        result.steps = entries.steps();
        if (e != ReplayDecoder::Entry::Digest && e != ReplayDecoder::Entry::End) break;
        if (!compare) continue;
        const std::uint64_t now = world_digest(game);
        if (now != stored) {
            result.same = false;
            result.recorded = stored;
            result.replayed = now;
            result.digest = now;
            return result;
        }
    }
    result.digest = world_digest(game);
    return result;
}

std::string verify_line(const VerifyResult& r) {
    if (r.same) return "ok " + std::to_string(r.steps) + " steps " + digest_text(r.digest);
    return "digest differs after step " + std::to_string(r.steps) + ": recorded " +
           digest_text(r.recorded) + ", replayed " + digest_text(r.replayed);
}
