# The console: opens over both views, answers "stats", switches the timing line on and
# ends the game with "quit".
prepare_bitmaps
write_ini </dev/null
start_playing
closed=$(shot closed)
hold grave 0.2
settle 0.5
open=$(shot open)
# An opaque black strip a quarter of the screen high, across both views.
expect_eq "$(pixel "$open" 600 60)" "0,0,0" "console over view 2"
expect_eq "$(pixel "$open" 20 100)" "0,0,0" "console over view 1"
expect_eq "$(pixel "$open" 300 108)" "255,255,255" "separator line"
console_command "stats"
settle 0.5
stats=$(shot stats)
# The reply lines appear at the bottom of the scroll-back.
lit=$(count_colour "$stats" 0 70 300 38 "255,255,255")
[ "$lit" -gt 60 ] || fail "no stats table in the console ($lit lit pixels)"
console_command "stats timing"
settle 0.5
timing=$(shot timing)
lit=$(count_colour "$timing" 0 468 300 12 "255,255,255")
[ "$lit" -gt 40 ] || fail "no timing line at the bottom left ($lit lit pixels)"
console_command "quit"
expect_exit 10 "0" "exit status after quit"
