# The game heard through ALSA's file output: with an .asoundrc in the game's $HOME the
# default device is a file that receives everything the library's mixer plays (16-bit
# values, channels interleaved), written as the mixer runs. Nobody acting is silence;
# player 1's pistol is heard within a second of the shot; with volume = 0 nothing is.
# ALSA's own lines about a missing sound card on standard error are harmless.
# A wide arena at half speed.
prepare_arena 1000 160
"$SOUNDGEN_BIN" "$WORK/data/sounds" || fail "soundgen failed"
# Weapons drop at random times and places (the game's seed is the clock), and one that
# lands on a player is picked up with a sound while nobody acts: the pickup stays silent.
echo "not a sound" >"$WORK/data/sounds/pickup.wav"
mkdir -p "$WORK/home"

# listen <raw file>: the game's default sound device becomes that file.
listen() {
    cat >"$WORK/home/.asoundrc" <<EOF
pcm.!default { type file; slave.pcm "null"; file "$1"; format "raw" }
EOF
}

size_of() { stat -c %s "$1" 2>/dev/null || echo 0; }

# energy <file> <from> <to>: the loudest stretch of 1024 16-bit values in bytes
# [from, to), as their mean distance from silence (the file's first value, written before
# anything plays), measured round the 16-bit circle so that signed and unsigned output
# read alike. 0 is perfect silence; full scale is 32768.
energy() {
    local file=$1 from=$(($2 / 2 * 2)) to=$3 silence
    silence=$(od -An -t u2 -N 2 "$file" | tr -d ' ')
    od -An -t u2 -v -w2 -j "$from" -N "$((to - from))" "$file" | awk -v s="$silence" '
        { d = $1 - s; if (d < 0) d = -d; if (d > 32768) d = 65536 - d; sum += d }
        NR % 1024 == 0 { if (sum > most) most = sum; sum = 0 }
        END { if (sum > most) most = sum; printf "%d\n", most / 1024 }'
}

# With a device really open, ALSA's plugins keep a few small allocations that the leak
# checker of a sanitizer build can only see once the sound library has unloaded them, as
# memory of an unknown module: they are not the game's, so only this case's games leave
# them out of the count.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

# The pistol every player starts with.
fire() { hold Alt_L 0.1; }

listen "$WORK/sound.raw"
write_ini <<'INI'
[game]
speed = 0.5
[sound]
volume = 255
INI
HOME="$WORK/home" start_playing
settle 2   # nobody acts
quiet_to=$(size_of sound.raw)
[ "$quiet_to" -gt 0 ] || fail "the game opened no sound device"
quiet=$(energy sound.raw 0 "$quiet_to")

shot_from=$(size_of sound.raw)
fire
sleep 0.9
shot_to=$(size_of sound.raw)
loud=$(energy sound.raw "$shot_from" "$shot_to")
echo "energy: $quiet while nobody acts ($quiet_to bytes), $loud in the second after the shot"
[ "$quiet" -eq 0 ] || fail "sound while nobody acts (energy $quiet)"
[ "$loud" -ge 1000 ] || fail "the shot was not heard (energy $loud)"
hold Escape 0.5
expect_exit 10 "0" "exit status"

# Volume 0: the device is open and the mixer runs, but every shot stays silent. A sound
# file that is no WAV leaves its sound silent and says so.
listen "$WORK/muted.raw"
echo "not a sound" >"$WORK/data/sounds/hit.wav"
write_ini <<'INI'
[game]
speed = 0.5
[sound]
volume = 0
INI
HOME="$WORK/home" start_playing
settle 1
for i in 1 2; do fire; sleep 2.2; done  # a reload takes 2 s at half speed
muted_to=$(size_of muted.raw)
[ "$muted_to" -gt 0 ] || fail "the game opened no sound device at volume 0"
muted=$(energy muted.raw 0 "$muted_to")
echo "energy at volume 0: $muted over $muted_to bytes"
[ "$muted" -eq 0 ] || fail "sound at volume 0 (energy $muted)"
expect_grep "Sound data/sounds/hit.wav left silent: not a RIFF WAVE file" stderr.log
hold Escape 0.5
expect_exit 10 "0" "exit status at volume 0"
