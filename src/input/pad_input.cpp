#include "input/pad_input.h"

#include <ostream>
#include <utility>

namespace {

bool held(const PadState& state, int button) {
    return button >= 0 && button < PAD_MAX_BUTTONS && (state.buttons >> button & 1u);
}

}  // namespace

int pad_bits(const PadState& state, const PadBinding& binding, bool& weapon_held) {
    int bits = 0;
    const bool weapon = held(state, binding.weapon);
    if (weapon && !weapon_held) bits |= ACT_WEAPON;
    weapon_held = weapon;

    if (binding.walk) {
        if (state.x < -PAD_DEAD_ZONE)
            bits |= ACT_LEFT;
        else if (state.x > PAD_DEAD_ZONE)
            bits |= ACT_RIGHT;
    }
    if (binding.aim) {
        if (state.y < -PAD_DEAD_ZONE)
            bits |= ACT_UP;
        else if (state.y > PAD_DEAD_ZONE)
            bits |= ACT_DOWN;
    }
    if (held(state, binding.jump)) bits |= ACT_JUMP;
    if (held(state, binding.fire)) bits |= ACT_FIRE;
    if (held(state, binding.dig)) bits |= ACT_DIG;
    return bits;
}

PadInput::PadInput(int player, int pad, const PadBinding& binding,
                   std::unique_ptr<PadReader> reader, std::ostream& console)
    : player_(player), pad_(pad), binding_(binding), reader_(std::move(reader)), console_(console) {}

int PadInput::Handle(Player& player, Game&, WeaponSlot& next_weapon) {
    if (lost_) return 0;
    const PadState state = reader_->Read();
    if (!state.answering) {
        // The driver keeps a gone pad's last state: a stick held at that moment would
        // walk forever.
        lost_ = true;
        console_ << "Player " << player_ << ": pad " << pad_
                 << " stopped answering, its actions are unbound" << std::endl;
        return 0;
    }
    int bits = pad_bits(state, binding_, weapon_held_);
    if (bits & ACT_WEAPON) next_weapon = next_weapon_of(player);
    const bool rope = held(state, binding_.rope);
    if (rope && !rope_held_) bits |= ACT_ROPE;
    rope_held_ = rope;
    return bits;
}
