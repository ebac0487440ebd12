# A gamepad for the cases, on machines without one: the joystick driver is pointed at a
# named pipe ($PAD_PIPE, through joystick_device_0 of section "joystick") and the preloaded
# fakepad library answers the driver's questions about it as a pad would. The case then
# writes the driver's event records (struct js_event) into the pipe.
PAD_PIPE="$WORK/pad0"

make_pad() { rm -f "$PAD_PIPE"; mkfifo "$PAD_PIPE"; }

# The lines of "vorlin.ini" that make the pipe pad 0.
pad_ini() { printf '[joystick]\njoystick_device_0 = %s\n' "$PAD_PIPE"; }

# start_playing with the fake pad preloaded. PAD_AXES and PAD_BUTTONS (2 and 4 when unset)
# say what it reports. A sanitizer build refuses libraries preloaded ahead of its runtime
# unless told otherwise.
start_playing_with_pad() {
    VORLIN_FAKEPAD="$PAD_PIPE" VORLIN_FAKEPAD_AXES="${PAD_AXES:-2}" \
    VORLIN_FAKEPAD_BUTTONS="${PAD_BUTTONS:-4}" LD_PRELOAD="$FAKEPAD_LIB" \
    ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0" start_playing "$@"
}

# The pipe's writing end on descriptor 3. Opened once the game reads the pipe (after its
# first frame), so that it does not wait for a reader; closing it is the pad going away.
connect_pad() { exec 3>"$PAD_PIPE"; }
disconnect_pad() { exec 3>&-; }

# pad_event <axis|button> <number> <value>: one js_event (time, value, type, number; the
# time is not read). Axes run from -32767 (left, up) to 32767; buttons are 1 or 0.
pad_event() {
    local type=1 value=$(($3 & 0xffff))
    [ "$1" = axis ] && type=2
    printf "$(printf '\\x00\\x00\\x00\\x00\\x%02x\\x%02x\\x%02x\\x%02x' \
        $((value & 255)) $((value >> 8)) "$type" "$2")" >&3
}

# pad_hold <seconds> <x> [button...]: the stick pushed to x and the buttons held together.
pad_hold() {
    local seconds=$1 x=$2 b
    shift 2
    pad_event axis 0 "$x"
    for b in "$@"; do pad_event button "$b" 1; done
    sleep "$seconds"
    pad_event axis 0 0
    for b in "$@"; do pad_event button "$b" 0; done
}

# pad_walk <from.png> <name> <y> <h>: pushes the stick one way, the other, then both ways
# while jumping (a player at rest in a hollow may be stopped on both sides), until view 2
# between rows y and y + h differs from <from.png> by more than 200 pixels. Sets `moved`
# (pixels changed) and `move` (the stick that did it); the last shot is <name>.
pad_walk() {
    local from=$1 name=$2 y=$3 h=$4 walked
    moved=0
    for move in "32767" "-32767" "32767 0" "-32767 0"; do
        pad_hold 1.5 $move
        settle 0.5
        walked=$(shot "$name")
        moved=$(difference "$from" "$walked" 321 "$y" 318 "$h")
        [ "$moved" -le 200 ] || break
    done
}
