#include "sound/sound_stage.h"

#include <algorithm>
#include <cmath>

#include "game/game.h"
#include "game/view_camera.h"

namespace {

constexpr int kCentre = 128;

float distance_gain(float d) {
    if (d <= SoundStage::NearDistance) return 1.0f;
    if (d >= SoundStage::FarDistance) return 0.0f;
    return 1.0f -
           (d - SoundStage::NearDistance) / (SoundStage::FarDistance - SoundStage::NearDistance);
}

float burst_gain(int count) {
    if (count <= 1) return 1.0f;
    return std::min(2.0f, 1.0f + 0.25f * std::log2(static_cast<float>(count)));
}

}  // namespace

SoundStage::SoundStage(const Game& game, int screen_w, int screen_h) : screen_w_(screen_w) {
    const std::size_t n = game.players.size();
    if (n != 1 && n != 2) return;
    const int view_w = n == 1 ? screen_w : screen_w / 2;
    for (const Player& p : game.players) {
        Ear& ear = ears_[count_];
        ear.x = p.x;
        ear.y = p.y;
        ear.view_x = count_ == 0 ? 0 : screen_w / 2 + 1;
        ear.view_w = view_w;
        ear.view_h = screen_h;
        ear.camera_x = view_origin(p.x, view_w, game.level.width);
        ear.camera_y = view_origin(p.y, screen_h, game.level.height);
        ++count_;
    }
}

Voice SoundStage::Place(const SoundEvent& event, int master_volume) const {
    float gain = burst_gain(event.count);
    int pan = kCentre;
    if (count_ > 0) {
        const auto distance = [&event](const Ear& e) {
            return std::hypot(e.x - event.x, e.y - event.y);
        };
        const Ear* nearest = &ears_[0];
        for (int i = 1; i < count_; ++i)
            if (distance(ears_[i]) < distance(*nearest)) nearest = &ears_[i];
        gain *= distance_gain(distance(*nearest));
        pan = Pan(event, *nearest);
    }
    const int volume = static_cast<int>(std::lround(static_cast<float>(master_volume) * gain));
    return Voice{std::clamp(volume, 0, 255), pan};
}

bool SoundStage::ScreenColumn(const Ear& ear, float x, float y, int* column) {
    const int lx = static_cast<int>(x) - ear.camera_x;
    const int ly = static_cast<int>(y) - ear.camera_y;
    *column = ear.view_x + std::clamp(lx, 0, ear.view_w - 1);
    return lx >= 0 && lx < ear.view_w && ly >= 0 && ly < ear.view_h;
}

int SoundStage::Pan(const SoundEvent& event, const Ear& nearest) const {
    int column = 0;
    if (!ScreenColumn(nearest, event.x, event.y, &column)) {
        int elsewhere = 0;
        for (int i = 0; i < count_; ++i)
            if (&ears_[i] != &nearest && ScreenColumn(ears_[i], event.x, event.y, &elsewhere))
                column = elsewhere;
    }
    if (screen_w_ <= 1) return kCentre;
    return std::clamp(column * 255 / (screen_w_ - 1), 0, 255);
}
