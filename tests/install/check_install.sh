#!/usr/bin/env bash
# check_install.sh BUILD_DIR
# Installs the build into a temporary DESTDIR under the prefix /usr and checks the tree:
# every file in its place, the installed game finding its shared data from there, the man
# pages holding every option of the usage, and the desktop entry and AppStream data valid
# (when desktop-file-validate and appstreamcli exist; status 77, a skip, when one is
# missing and everything else passed).
set -euo pipefail
build=$(readlink -f "$1")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
root="$tmp/root"
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null
usr="$root/usr"

expected=(
    games/vorlin games/vorlin-arena lib/vorlin/levelgen lib/vorlin/soundgen
    share/games/vorlin/data/mask.bmp share/games/vorlin/data/fore.bmp
    share/games/vorlin/data/back.bmp share/games/vorlin/data/undiggable.bmp
    share/games/vorlin/vorlin.png
    share/applications/vorlin.desktop share/metainfo/vorlin.metainfo.xml
    share/man/man6/vorlin.6.gz share/man/man6/vorlin-arena.6.gz
    share/doc/vorlin/copyright share/doc/vorlin/changelog.gz
)
for size in 48 128 256; do expected+=("share/icons/hicolor/${size}x${size}/apps/vorlin.png"); done
for sound in pistol shotgun rocket_launch flak_shot dirt_shot rocket_blast flak_burst splinter \
             dig pickup hit death respawn switch console; do
    expected+=("share/games/vorlin/data/sounds/$sound.wav")
done
for f in "${expected[@]}"; do [ -s "$usr/$f" ] || fail "missing or empty: $f"; done
for p in games/vorlin games/vorlin-arena lib/vorlin/levelgen lib/vorlin/soundgen; do
    [ -x "$usr/$p" ] || fail "not executable: $p"
done
for size in 48 128 256; do
    got=$(identify -format '%m %wx%h' "$usr/share/icons/hicolor/${size}x${size}/apps/vorlin.png")
    [ "$got" = "PNG ${size}x${size}" ] || fail "icon $size: $got"
done

# Started outside a game folder, the relocated game works in the player's folder.
mkdir -p "$tmp/elsewhere" "$tmp/home"
folder=$(cd "$tmp/elsewhere" && env -u XDG_DATA_HOME HOME="$tmp/home" "$usr/games/vorlin" --help | grep '^Folder: ')
[ "$folder" = "Folder: $tmp/home/.local/share/vorlin" ] || fail "installed game's folder: $folder"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
for program in vorlin vorlin-arena; do
    got=$("$usr/games/$program" --version)
    [ "$got" = "$program $version" ] || fail "$program --version: $got, not $program $version"
done

# The man pages say what the usage says, and not whose folder the build ran in.
for program in vorlin vorlin-arena; do
    page=$(zcat "$usr/share/man/man6/$program.6.gz")
    ! grep -q 'Folder:' <<<"$page" || fail "$program.6 names a folder"
    for option in $("$usr/games/$program" --help | grep -oE '^  --[a-z-]+'); do
        # roff escapes every minus sign of an option, those inside its name too.
        grep -qF ".B ${option//-/\\-}" <<<"$page" || fail "$program.6 lacks $option"
    done
done

# The desktop's menu opens the game's own front end, not the bare game and its mode dialog.
grep -qx 'Exec=vorlin --menu' "$usr/share/applications/vorlin.desktop" ||
    fail "the desktop entry does not start the menu"

skipped=""
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$usr/share/applications/vorlin.desktop" || fail "desktop entry"
else
    skipped+=" desktop-file-validate"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$usr/share/metainfo/vorlin.metainfo.xml" >/dev/null ||
        fail "AppStream data: $(appstreamcli validate --no-net "$usr/share/metainfo/vorlin.metainfo.xml")"
else
    skipped+=" appstreamcli"
fi
if [ -n "$skipped" ]; then
    echo "installed tree complete; not validated, missing:$skipped"
    exit 77
fi
echo "installed tree complete and valid"
