#include "input/allegro_pad.h"

#include <allegro.h>

#include <string>

#ifdef __linux__
#include <dirent.h>
#include <fcntl.h>
#include <linux/joystick.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#endif

static_assert(MAX_JOYSTICK_BUTTONS <= PAD_MAX_BUTTONS, "a reading holds every button");

namespace {

#ifdef __linux__

// The device the Linux joystick driver opens for pad n: joystick_device_n of section
// "joystick" (for pad 0 also joystick_device), else /dev/input/jsN, else /dev/jsN.
std::string device_path(int pad) {
    const std::string key = "joystick_device_" + std::to_string(pad);
    const char* configured = get_config_string("joystick", key.c_str(), nullptr);
    if (!configured && pad == 0)
        configured = get_config_string("joystick", "joystick_device", nullptr);
    if (configured) return configured;
    const std::string input = "/dev/input/js" + std::to_string(pad);
    return access(input.c_str(), F_OK) == 0 ? input : "/dev/js" + std::to_string(pad);
}

// The driver keeps its descriptors to itself; the process's descriptor table says which
// one is open on the device. -1 when none is.
int descriptor_of(const std::string& path) {
    char wanted[PATH_MAX];
    if (!realpath(path.c_str(), wanted)) return -1;
    DIR* dir = opendir("/proc/self/fd");
    if (!dir) return -1;
    int found = -1;
    while (const dirent* entry = readdir(dir)) {
        const std::string link = std::string("/proc/self/fd/") + entry->d_name;
        char target[PATH_MAX];
        const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
        if (n <= 0) continue;
        target[n] = '\0';
        if (std::string(target) == wanted) {
            found = std::atoi(entry->d_name);
            break;
        }
    }
    closedir(dir);
    return found;
}

// An unplugged joystick device, or a pipe whose writer has gone, hangs up; the driver
// reads nothing from it any more and keeps the last state.
bool hung_up(int fd) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL));
}

std::string device_name(int fd) {
    char name[128] = {};
    if (fd < 0 || ioctl(fd, JSIOCGNAME(sizeof name - 1), name) < 0) return "";
    return name;
}

#else

std::string device_path(int) { return ""; }
int descriptor_of(const std::string&) { return -1; }
bool hung_up(int) { return false; }
std::string device_name(int) { return ""; }

#endif

PadState state_of(const JOYSTICK_INFO& info) {
    PadState state;
    if (info.num_sticks > 0) {
        const JOYSTICK_STICK_INFO& stick = info.stick[0];
        if (stick.num_axis > 0) state.x = stick.axis[0].pos;
        if (stick.num_axis > 1) state.y = stick.axis[1].pos;
    }
    for (int b = 0; b < info.num_buttons && b < MAX_JOYSTICK_BUTTONS; ++b)
        if (info.button[b].b) state.buttons |= 1u << b;
    return state;
}

}  // namespace

PadCaps query_pad(int pad) {
    PadCaps caps;
    // Returns at once when installed; a failed attempt is tried again, and fails again.
    caps.driver = install_joystick(JOY_TYPE_AUTODETECT) == 0;
    if (!caps.driver) return caps;
    caps.pads = num_joysticks;
    if (pad < 0 || pad >= num_joysticks) return caps;
    const JOYSTICK_INFO& info = joy[pad];
    caps.axes = info.num_sticks > 0 ? info.stick[0].num_axis : 0;
    caps.buttons = info.num_buttons;
    caps.name = device_name(descriptor_of(device_path(pad)));
    return caps;
}

AllegroPad::AllegroPad(int pad) : pad_(pad), fd_(descriptor_of(device_path(pad))) {}

PadState AllegroPad::Read() {
    poll_joystick();
    if (pad_ >= num_joysticks || (fd_ >= 0 && hung_up(fd_))) {
        PadState gone;
        gone.answering = false;
        return gone;
    }
    return state_of(joy[pad_]);
}
