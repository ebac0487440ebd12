#!/usr/bin/env bash
# check-package.sh [DEB]
#
# The Debian package's round trip on this machine (needs root, installs and removes the
# package, adds and deletes a user): builds the package with tools/package.sh unless DEB is
# given, installs it with apt-get, plays as a new user who is not root, started in a
# folder that is no game folder, under a virtual display: a first start that picks a
# window in the mode dialog and watches two computer players, then a second, recorded
# one that vorlin-arena verifies. Then it removes the package and checks that none of its
# files is left and that the player's folder is. Exit status 0 when all of that holds.
set -euo pipefail
cd "$(dirname "$0")/.."
[ "$(id -u)" -eq 0 ] || { echo "check-package.sh: run it as root (apt-get, useradd)" >&2; exit 1; }

work=$(mktemp -d)
user="vorlin-check-$$"
display=":$((200 + $$ % 500))"
xvfb=""
cleanup() {
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
    id "$user" >/dev/null 2>&1 && userdel -r "$user" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
say() { echo "== $*"; }

deb=${1:-}
if [ -z "$deb" ]; then
    ./tools/package.sh "$work" >"$work/package.log" 2>&1 || { tail -n 30 "$work/package.log"; fail "package.sh"; }
    deb=$(ls "$work"/vorlin_*.deb)
fi
deb=$(readlink -f "$deb")
say "package $(basename "$deb"): $(stat -c %s "$deb") bytes, $(dpkg-deb -c "$deb" | grep -vc '/$') files"
say "depends: $(dpkg-deb --field "$deb" Depends)"
dpkg-deb -c "$deb" | awk '{print substr($6, 2)}' | grep -v '/$' >"$work/files"

DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >"$work/apt.log" 2>&1 ||
    { cat "$work/apt.log"; fail "apt-get install"; }
while read -r f; do [ -e "$f" ] || fail "not installed: $f"; done <"$work/files"
say "installed: $(wc -l <"$work/files") files in place"

useradd --create-home --shell /bin/bash "$user"
home=$(getent passwd "$user" | cut -d: -f6)
folder="$home/.local/share/vorlin"
as_user() { runuser -u "$user" -- env -i HOME="$home" PATH=/usr/games:/usr/bin:/bin DISPLAY="$display" "$@"; }
as_user mkdir "$home/elsewhere"
[ "$(as_user bash -c 'cd ~/elsewhere && vorlin --help' | tail -n 1)" = "Folder: $folder" ] ||
    fail "vorlin --help names another folder"

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp -noreset -ac >/dev/null 2>&1 &
xvfb=$!
sleep 1
export DISPLAY=$display
window() {
    local i w
    for i in $(seq 1 100); do
        w=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
        [ -n "$w" ] && { xdotool windowfocus "$w" 2>/dev/null || true; return 0; }
        sleep 0.1
    done
    fail "no window named $1"
}
press() { local k; for k in "$@"; do xdotool keydown "$k"; sleep 0.08; xdotool keyup "$k"; sleep 0.15; done; }
# Starts the game as the user in ~/elsewhere; its pid in $game.
start() {
    as_user bash -c 'cd ~/elsewhere && exec vorlin "$@"' vorlin "$@" >"$work/game.log" 2>&1 &
    game=$!
}
finish() {
    sleep "$1"
    xwd -root -silent | convert xwd:- "$work/$2.png"
    window Vorlin
    press Escape
    local status=0
    wait "$game" || status=$?
    [ "$status" -eq 0 ] || { cat "$work/game.log"; fail "the game ended with status $status"; }
}

say "first start: the mode dialog, then a bot game"
start --bots
window Vorlin
sleep 2
# The dialog: "Auto windowed" in the driver list, 640x480 in the size list.
press Down Down Tab Down Down Down Return
sleep 2
finish 5 first
for f in vorlin.ini data/map.lvl data/mask.bmp data/fore.bmp data/back.bmp levels replays; do
    [ -e "$folder/$f" ] || fail "first start made no $folder/$f"
done
[ "$(stat -c %U "$folder/vorlin.ini")" = "$user" ] || fail "vorlin.ini is not the player's"
grep -q '^width = 640' "$folder/vorlin.ini" || fail "the chosen mode was not stored"
say "made: $(cd "$folder" && find . -mindepth 1 | sort | tr '\n' ' ')"

say "second start: the stored mode, a recorded bot game"
start --bots --record game.rpl
finish 6 second
[ -s "$home/elsewhere/game.rpl" ] || fail "the replay is not in the folder the game started in"
verdict=$(as_user bash -c 'cd ~/elsewhere && vorlin-arena --replay game.rpl --verify --level ~/.local/share/vorlin/data/map.lvl') ||
    fail "vorlin-arena: $verdict"
say "replay verified: $verdict"

DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq vorlin >>"$work/apt.log" 2>&1 ||
    { cat "$work/apt.log"; fail "apt-get remove"; }
left=0
while read -r f; do [ -e "$f" ] && { echo "left behind: $f"; left=$((left + 1)); }; done <"$work/files"
[ "$left" -eq 0 ] || fail "$left files of the package left"
for d in /usr/share/games/vorlin /usr/lib/vorlin /usr/share/doc/vorlin; do
    [ ! -e "$d" ] || fail "left behind: $d"
done
[ -s "$folder/data/map.lvl" ] && [ -s "$folder/vorlin.ini" ] || fail "the player's folder went with the package"
say "removed: none of the $(wc -l <"$work/files") files left; the player's folder kept"
for s in first second; do cp "$work/$s.png" "/tmp/vorlin-check-$s.png"; done
echo "PASS"
