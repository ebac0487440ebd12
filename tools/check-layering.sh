#!/usr/bin/env bash
# Fails when a file in src/ includes a header against the layers of ARCHITECTURE.md.
set -euo pipefail

usage() {
    cat <<'EOF'
Usage: check-layering.sh [--root DIR]

Checks every #include of the .h and .cpp files under DIR/src against the layer table and
the table of allowed includes in DIR/ARCHITECTURE.md. Exits 0 when every include keeps
to the order, 1 listing each one that does not.

  --root DIR   the source tree (default: the one this script lies in)
  --help       this text
EOF
}

root="$(cd "$(dirname "$0")/.." && pwd)"
while [ $# -gt 0 ]; do
    case "$1" in
        --help) usage; exit 0 ;;
        --root)
            [ $# -ge 2 ] || { usage >&2; exit 2; }
            root=$2; shift 2 ;;
        --root=*) root=${1#--root=}; shift ;;
        *) usage >&2; exit 2 ;;
    esac
done

doc="$root/ARCHITECTURE.md"
[ -f "$doc" ] || { echo "check-layering: no $doc" >&2; exit 1; }
[ -d "$root/src" ] || { echo "check-layering: no $root/src" >&2; exit 1; }

cd "$root"
folders=$(find src -mindepth 1 -maxdepth 1 -type d -printf '%f\n' | sort)
# file:line:text of every include, in a stable order.
includes=$(find src -type f \( -name '*.h' -o -name '*.cpp' \) -print0 | LC_ALL=C sort -z |
           xargs -0 -r grep -HnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]' || true)

awk -v folders="$folders" -v doc="$doc" '
    # Backticked words of one table cell.
    function words(cell, out,    n, parts, i, w) {
        n = 0
        split(cell, parts, "`")
        for (i = 2; i <= length(parts); i += 2) {
            w = parts[i]
            if (w != "") out[++n] = w
        }
        return n
    }
    BEGIN {
        while ((getline line < doc) > 0) {
            ncell = split(line, cell, "|")
            if (ncell < 4) continue
            if (cell[2] ~ /^[ \t]*[0-9]+[ \t]*$/) {          # | layer | folders | within |
                layer = cell[2] + 0
                n = words(cell[3], f)
                for (i = 1; i <= n; i++) {
                    ++layered
                    layer_of[f[i]] = layer
                    mutual[f[i]] = (cell[4] ~ /each other/)
                }
            } else if (cell[3] ~ /`[a-z_]+\/[^`]+`/) {       # | folders | header | why |
                n = words(cell[2], f)
                m = words(cell[3], h)
                for (i = 1; i <= n; i++)
                    for (j = 1; j <= m; j++) allowed[f[i] SUBSEP h[j]] = 1
            }
        }
        close(doc)
        if (!layered) {
            print "check-layering: no layer table in " doc
            failed = 1
            exit 1
        }
        nf = split(folders, list, "\n")
        for (i = 1; i <= nf; i++) {
            is_folder[list[i]] = 1
            if (!(list[i] in layer_of)) {
                print "src/" list[i] ": folder without a layer in ARCHITECTURE.md"
                bad++
            }
        }
    }
    NF == 0 { next }
    {
        # src/FOLDER/...:LINE:#include "HEADER"
        file = $0; sub(/:.*/, "", file)
        rest = substr($0, length(file) + 2)
        line = rest; sub(/:.*/, "", line)
        header = rest; sub(/^[^"<]*["<]/, "", header); sub(/[">].*$/, "", header)
        ++checked
        if (split(file, path, "/") < 3) {
            print file ": outside every folder of src"
            bad++
            next
        }
        from = path[2]
        if (header ~ /(^|\/)\.\.\//) {
            print file ":" line ": includes " header " by a relative path"
            bad++
            next
        }
        if (header !~ /\//) next                            # its own folder
        to = header; sub(/\/.*/, "", to)
        if (!(to in is_folder) && !(to in layer_of)) next   # a library header
        if (to == from || !(from in layer_of) || !(to in layer_of)) next
        if (layer_of[to] < layer_of[from]) next
        if (layer_of[to] == layer_of[from] && mutual[from]) next
        if ((from SUBSEP header) in allowed) next
        print file ":" line ": includes " header ", but " to " (layer " layer_of[to] \
              ") is not below " from " (layer " layer_of[from] ")"
        bad++
    }
    END {
        if (failed) exit 1
        if (bad) {
            print "check-layering: " bad " place(s) against the layers of ARCHITECTURE.md"
            exit 1
        }
        print "check-layering: " checked " includes keep to the order of ARCHITECTURE.md"
    }
' <<<"$includes"
