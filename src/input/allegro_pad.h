#ifndef VORLIN_INPUT_ALLEGRO_PAD_H
#define VORLIN_INPUT_ALLEGRO_PAD_H

#include <string>

#include "input/pad_input.h"

// What the joystick driver says about one pad.
struct PadCaps {
    bool driver = false;  // a joystick driver is installed
    int pads = 0;         // pads it found
    int axes = 0;         // of the asked pad's first stick
    int buttons = 0;      // of the asked pad
    std::string name;     // the device's own name; empty when unknown
};

// Installs the joystick driver the first time it is asked (so that a game without pads
// never touches it) and describes pad `pad`.
PadCaps query_pad(int pad);

// Pad `pad` as the joystick driver reads it, polled once a reading.
class AllegroPad final : public PadReader {
public:
    explicit AllegroPad(int pad);
    PadState Read() override;

private:
    const int pad_;
    // The driver's descriptor of the device, not owned; -1 when it cannot be found, and
    // then a gone pad keeps its last state.
    const int fd_;
};

#endif
