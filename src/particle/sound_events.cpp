#include "particle/sound_events.h"

void SoundEvents::Add(SoundKind kind, float x, float y) {
    SoundEvent* first_of_kind = nullptr;
    for (std::size_t i = 0; i < size_; ++i) {
        SoundEvent& e = events_[i];
        if (e.kind != kind) continue;
        if (!first_of_kind) first_of_kind = &e;
        const float dx = e.x - x, dy = e.y - y;
        if (dx * dx + dy * dy <= MergeDistance * MergeDistance) {
            ++e.count;
            return;
        }
    }
    if (size_ < Capacity) {
        events_[size_++] = SoundEvent{kind, x, y, 1};
    } else if (first_of_kind) {
        ++first_of_kind->count;
    }
}

