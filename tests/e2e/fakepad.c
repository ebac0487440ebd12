/* A gamepad for machines without one, preloaded into the game (LD_PRELOAD).
 *
 * The joystick driver opens the path named by joystick_device_N in the configuration; the
 * test makes that path a named pipe and writes struct js_event records into it. A pipe
 * cannot answer the joystick ioctls, so this library answers them for every descriptor
 * opened on the path in VORLIN_FAKEPAD, as a pad with VORLIN_FAKEPAD_AXES axes (2 when
 * unset) and VORLIN_FAKEPAD_BUTTONS buttons (4) would. Everything else passes through. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <linux/joystick.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <unistd.h>

#define MAX_FAKE_FDS 64

static const char PAD_NAME[] = "Vorlin test pad";
static int fake_fds[MAX_FAKE_FDS];
static int fake_count;

static int is_fake_fd(int fd) {
    for (int i = 0; i < fake_count; ++i)
        if (fake_fds[i] == fd) return 1;
    return 0;
}

static void remember(const char* path, int fd) {
    const char* pad = getenv("VORLIN_FAKEPAD");
    if (fd < 0 || !pad || !path || strcmp(path, pad) != 0 || fake_count == MAX_FAKE_FDS) return;
    fake_fds[fake_count++] = fd;
}

static unsigned char count_from(const char* variable, unsigned char def) {
    const char* text = getenv(variable);
    return text && *text ? (unsigned char)atoi(text) : def;
}

static int opened(const char* path, int flags, va_list args, const char* real_name) {
    mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? va_arg(args, mode_t) : 0;
    int (*real)(const char*, int, ...) = (int (*)(const char*, int, ...))dlsym(RTLD_NEXT, real_name);
    int fd = real(path, flags, mode);
    remember(path, fd);
    return fd;
}

int open(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    int fd = opened(path, flags, args, "open");
    va_end(args);
    return fd;
}

int open64(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    int fd = opened(path, flags, args, "open64");
    va_end(args);
    return fd;
}

int close(int fd) {
    static int (*real)(int);
    if (!real) real = (int (*)(int))dlsym(RTLD_NEXT, "close");
    for (int i = 0; i < fake_count; ++i)
        if (fake_fds[i] == fd) fake_fds[i] = fake_fds[--fake_count];
    return real(fd);
}

/* The joystick requests as the kernel answers them; 0 on success. */
static int answer(unsigned long request, void* arg) {
    if (request == JSIOCGVERSION) {
        *(__u32*)arg = 0x020100;
        return 0;
    }
    if (request == JSIOCGAXES) {
        *(__u8*)arg = count_from("VORLIN_FAKEPAD_AXES", 2);
        return 0;
    }
    if (request == JSIOCGBUTTONS) {
        *(__u8*)arg = count_from("VORLIN_FAKEPAD_BUTTONS", 4);
        return 0;
    }
    if (_IOC_TYPE(request) == 'j' && _IOC_NR(request) == _IOC_NR(JSIOCGNAME(0))) {
        size_t len = _IOC_SIZE(request);
        if (len == 0) return 0;
        strncpy((char*)arg, PAD_NAME, len);
        ((char*)arg)[len - 1] = '\0';
        return (int)strlen((char*)arg);
    }
    return -1;
}

int ioctl(int fd, unsigned long request, ...) {
    va_list args;
    va_start(args, request);
    void* arg = va_arg(args, void*);
    va_end(args);
    if (is_fake_fd(fd)) {
        int result = answer(request, arg);
        if (result >= 0) return result;
    }
    int (*real)(int, unsigned long, ...) = (int (*)(int, unsigned long, ...))dlsym(RTLD_NEXT, "ioctl");
    return real(fd, request, arg);
}
