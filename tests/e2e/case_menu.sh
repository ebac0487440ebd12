# The front end, driven by keys alone: `vorlin --menu` without vorlin.ini opens its menu
# (no mode dialog); a match against the computer to one kill is set up on a level of
# levels/ and played there to its results, Return plays it again, R on its results plays its replay, Escape goes back to
# the menu and Quit ends with status 0. Player 1's fire key rebound in the options to player 2's is written to vorlin.ini,
# swapped, and fires in the next game. A gamepad alone goes through the main menu into a
# game.
source "$(dirname "$E2E_LIB")/pad_lib.sh"
source "$(dirname "$E2E_LIB")/menu_lib.sh"
# A pad event written after the game closed its pipe fails with the line that wrote it,
# instead of ending the case without a word.
trap '' PIPE
prepare_arena 240 160
# A level of levels/: the arena's bitmaps under a green background of its own, which tells
# in a screenshot whether a game plays it.
GREEN=20,140,60
mkdir -p levels/meadow
cp data/*.bmp levels/meadow/
convert -size 240x160 xc:"rgb($GREEN)" -type TrueColor BMP3:levels/meadow/back.bmp
plays_meadow() { [ "$(count_colour "$1" 0 330 318 100 "$GREEN")" -gt 3000 ]; }

# The results panel's yellow title (as in the match case).
wait_results() {
    local i png
    for i in $(seq 1 90); do
        png=$(shot results)
        [ "$(count_colour "$png" 160 142 320 16 255,255,0)" -gt 50 ] && return 0
        kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended before the match did"
        sleep 0.5
    done
    fail "no results screen within 45 s"
}

start_game --menu
wait_window
wait_menu first
pgrep -x xmessage >/dev/null && fail "a message box opened"
# Against the computer, on meadow (the entry after the default level), to one kill, the
# computer at its hardest: the match starts.
press Down Return
wait_menu setup
press Up Up Up Up Up Right Down Right Down Down Down Right Down Return
wait_game_frame
start=$(shot start)
plays_meadow "$start" || fail "the game against the computer does not play meadow"
wait_results
press Return
settle 2
again=$(shot again)
expect_eq "$(count_colour "$again" 160 142 320 16 255,255,0)" "0" "results left after Return"
expect_eq "$(difference "$start" "$again" 266 450 108 30)" "0" "score box after the rematch"
# The rematch's results offer its replay (R): it plays from the start, without results.
wait_results
press r
settle 2
watching=$(shot watching)
expect_eq "$(count_colour "$watching" 160 142 320 16 255,255,0)" "0" "results over the replay"
menu_shown "$watching" && fail "R went back to the menu instead of playing the replay"
expect_eq "$(difference "$start" "$watching" 266 450 108 30)" "0" "score box as the replay starts"
plays_meadow "$watching" || fail "the replay does not play the level of its match"
hold Escape 0.5
wait_menu after-game
# Back on the match screen: to the main menu, round to Quit.
press Escape Up Up Return
expect_exit 10 "0" "exit status of Quit"
expect_eq "$(grep -c '^player 2 wins kills 1 ' "$WORK/stdout.log")" "2" "matches the computer won"
grep -q '^\[graphics\]' vorlin.ini && fail "the menu stored a graphics mode"
grep -Eq '^kills = 1$' vorlin.ini || fail "the kill limit was not stored"
grep -Eq '^skill = hard$' vorlin.ini || fail "the skill was not stored"
expect_eq "$(ls replays/*.rpl | wc -l)" "2" "replays of the two matches"
grep -Eq '^level = meadow$' vorlin.ini || fail "the level chosen against the computer was not stored"
# The games below start from the default level.
sed -i '/^level = /d' vorlin.ini

# Options, player 1's keys, Fire: the keypad's 0, player 2's fire key, which gets Alt.
start_game --menu
wait_window
wait_menu
press Up Up Return Down Down Down Return Down Down Down Down Down Return KP_0
settle 0.5
shot rebound >/dev/null
press Escape Escape Escape
expect_exit 10 "0" "exit status after the options"
grep -Eq '^player\[1\]\.fire = 37$' vorlin.ini || fail "player 1's fire key not stored"
grep -Eq '^player\[2\]\.fire = 119$' vorlin.ini || fail "player 2 did not get player 1's old key"

# The next game (two people, endless once the limit is off again): keypad 0 fires for
# player 1 (the figure of its ammunition goes down), Alt for player 2.
sed -i 's/^kills = 1$/kills = 0/' vorlin.ini
start_game --menu
wait_window
wait_menu
press Return Return
wait_game_frame
settle 1
before=$(shot before-fire)
hold KP_0 0.5
settle 0.5
after=$(shot after-p1-fire)
[ "$(difference "$before" "$after" 2 12 40 8)" -gt 0 ] || fail "keypad 0 did not fire for player 1"
# A pistol dropped from the sky onto player 2 in that second fills his up; only a figure
# that changed without the bar beyond it growing tells a shot.
p2_bar() { count_colour "$1" 340 14 90 5 0,255,255; }
if [ "$(p2_bar "$after")" -le "$(p2_bar "$before")" ]; then
    expect_eq "$(difference "$before" "$after" 323 12 40 8)" "0" "player 2's ammunition after keypad 0"
fi
hold Alt_L 0.5
settle 0.5
later=$(shot after-p2-fire)
[ "$(difference "$after" "$later" 323 12 40 8)" -gt 0 ] || fail "Alt did not fire for player 2"
hold Escape 0.5
wait_menu
press Escape Escape
expect_exit 10 "0" "exit status after the game"

# The gamepad alone: the stick down, the first button twice (the match screen opens on
# Start), and the game is on; in the options its fire button is chosen by pressing it
# (the weapon button, which had it, gets fire's old one);
# the second button goes back, and from the main menu quits.
make_pad
{ cat vorlin.ini; echo "[joystick]"; echo "joystick_device_0 = $PAD_PIPE"; } > ini.new
mv ini.new vorlin.ini
sed -i 's/^player\[1\]\.pad = .*//' vorlin.ini
sed -i 's/^\[controls\]$/[controls]\nplayer[1].pad = 0/' vorlin.ini
VORLIN_FAKEPAD="$PAD_PIPE" VORLIN_FAKEPAD_AXES=2 VORLIN_FAKEPAD_BUTTONS=4 \
    LD_PRELOAD="$FAKEPAD_LIB" ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0" \
    start_game --menu
wait_window
connect_pad
wait_menu pad-menu
pad_event axis 1 32767; settle 0.3; pad_event axis 1 0; settle 0.3
pad_event button 0 1; settle 0.3; pad_event button 0 0; settle 1
wait_menu pad-setup
pad_event button 0 1; settle 0.3; pad_event button 0 0
wait_game_frame
hold Escape 0.5
wait_menu pad-back
# Back to the main menu, up round to Options, down to player 1's gamepad, down to its fire
# button, which takes the next button pressed: 3.
pad_tap() { pad_event button "$1" 1; settle 0.3; pad_event button "$1" 0; settle 0.4; }
pad_stick() { local n; for n in $(seq 1 "$2"); do pad_event axis 1 "$1"; settle 0.3; pad_event axis 1 0; settle 0.3; done; }
pad_tap 1
pad_stick -32767 3
pad_tap 0
pad_stick 32767 5
pad_tap 0
pad_stick 32767 2
pad_tap 0
pad_tap 3
shot pad-button >/dev/null
pad_tap 1
pad_tap 1
# The game ends on the press: nothing more is written into the pipe it closes.
pad_event button 1 1
expect_exit 10 0 "exit status after the pad's way back"
disconnect_pad
grep -Eq '^player\[1\]\.pad_fire = 3$' vorlin.ini || fail "the pad's fire button was not stored"
grep -Eq '^player\[1\]\.pad_weapon = 1$' vorlin.ini || fail "the weapon button did not get fire's old button"

# Without a level (no level file, no bitmaps to build one from) the match screen says so,
# Start stays in the menu, and the menu ends normally.
mv data data.away
start_game --menu
wait_window
wait_menu
press Return
settle 0.5
press Return
settle 0.5
missing=$(shot no-level)
menu_note_shown "$missing" || fail "no reason shown for the missing level"
menu_shown "$missing" || fail "the menu left its screen without a level"
press Escape Escape
expect_exit 10 "0" "exit status without a level"
mv data.away data

# A level of levels/ chosen in the match setup: its thumbnail (its green background) is
# shown beside the entry, the choice is stored in vorlin.ini at once, and Start plays it.
start_game --menu
wait_window
wait_menu
press Return Up Up Up Up Right
settle 0.5
chosen=$(shot level-chosen)
[ "$(count_colour "$chosen" 420 100 200 110 "$GREEN")" -gt 1000 ] ||
    fail "no thumbnail of the level meadow beside the entry"
grep -Eq '^level = meadow$' vorlin.ini || fail "the level chosen was not stored"
press Down Down Down Down Return
wait_game_frame
settle 1
plays_meadow "$(shot meadow)" || fail "the game does not play meadow"
hold Escape 0.5
wait_menu level-back
press Escape Escape
expect_exit 10 "0" "exit status after the level's game"
