#!/usr/bin/env bash
# manpage.sh PROGRAM OUT
#
# Writes the section 6 man page of PROGRAM into OUT from what `PROGRAM --help` and
# `PROGRAM --version` print, so the page says what the program says. The usage's shape:
#   Usage: NAME ARGS...           (more synopsis lines: "NAME ..." or indented continuations)
#   One or more lines of description; the man page's NAME line is its first clause.
#   <blank>
#     --option ARG  what it does  (continuation lines indented further)
#   <blank>
#   Closing paragraphs.
# The "Folder: ..." line names the folder of whoever runs the program and stays out.
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: manpage.sh PROGRAM OUT" >&2; exit 2; }
program=$1
out=$2
name=$(basename "$program")
version=$("$program" --version)
usage=$("$program" --help | grep -v '^Folder: ')

awk -v name="$name" -v version="$version" '
# Roff-safe text: backslashes, minus signs of options, and a leading control character.
function roff(s) {
    gsub(/\\/, "\\e", s)
    gsub(/-/, "\\-", s)
    sub(/^[.\047]/, "\\\\\\&&", s)
    return s
}
function flush_option() {
    if (tag == "") return
    print ".TP"
    print ".B " roff(tag)
    print roff(text)
    tag = ""; text = ""
}
BEGIN { state = "synopsis"; nsyn = 0; ndesc = 0; nopt = 0; ntail = 0 }
state == "synopsis" && sub(/^Usage: /, "") { syn[++nsyn] = $0; next }
state == "synopsis" && $0 ~ "^ +" name " " { sub(/^ +/, ""); syn[++nsyn] = $0; next }
state == "synopsis" && /^ / { sub(/^ +/, ""); syn[nsyn] = syn[nsyn] " " $0; next }
state == "synopsis" { state = "description" }
state == "description" && /^$/ { state = "options"; next }
state == "description" { desc[++ndesc] = $0; next }
state == "options" && /^  -/ { opt[++nopt] = $0; next }
state == "options" && /^   / { opt[nopt] = opt[nopt] "\n" $0; next }
state == "options" && /^$/ { state = "tail"; next }
{ tail[++ntail] = $0 }
END {
    summary = desc[1]
    sub(/[;.].*$/, "", summary)
    summary = tolower(substr(summary, 1, 1)) substr(summary, 2)
    printf ".TH %s 6 \"\" \"%s\" \"Games\"\n", toupper(roff(name)), roff(version)
    print ".SH NAME"
    print roff(name) " \\- " roff(summary)
    print ".SH SYNOPSIS"
    for (i = 1; i <= nsyn; i++) {
        line = syn[i]
        sub("^" name " ?", "", line)
        print ".B " roff(name)
        print roff(line)
        if (i < nsyn) print ".br"
    }
    print ".SH DESCRIPTION"
    for (i = 1; i <= ndesc; i++) print roff(desc[i])
    if (ntail) print ".PP"
    for (i = 1; i <= ntail; i++) print (tail[i] == "" ? ".PP" : roff(tail[i]))
    print ".SH OPTIONS"
    for (i = 1; i <= nopt; i++) {
        n = split(opt[i], lines, "\n")
        first = lines[1]
        sub(/^ +/, "", first)
        # The option and its argument end at the first run of two spaces.
        if (match(first, /  +/)) {
            tag = substr(first, 1, RSTART - 1)
            text = substr(first, RSTART + RLENGTH)
        } else {
            tag = first; text = ""
        }
        for (j = 2; j <= n; j++) {
            more = lines[j]
            sub(/^ +/, "", more)
            text = text (text == "" ? "" : " ") more
        }
        flush_option()
    }
}' <<<"$usage" >"$out"
