#include "particle/sound_events.h"

void SoundEvents::Add(SoundKind kind, float x, float y) { Add(SoundEvent{kind, x, y, 1}); }

void SoundEvents::Add(const SoundEvents& more) {
    for (const SoundEvent& e : more) Add(e);
}

void SoundEvents::Add(const SoundEvent& event) {
    const SoundKind kind = event.kind;
    const float x = event.x, y = event.y;
    SoundEvent* first_of_kind = nullptr;
    for (std::size_t i = 0; i < size_; ++i) {
        SoundEvent& e = events_[i];
        if (e.kind != kind) continue;
        if (!first_of_kind) first_of_kind = &e;
        const float dx = e.x - x, dy = e.y - y;
        if (dx * dx + dy * dy <= MergeDistance * MergeDistance) {
            e.count += event.count;
            return;
        }
    }
    if (size_ < Capacity) {
        events_[size_++] = event;
    } else if (first_of_kind) {
        first_of_kind->count += event.count;
    }
}

