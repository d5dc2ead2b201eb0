#!/usr/bin/env bash
# A reminder pops up while the user types in another program, under a real window manager (openbox) with a
# real notification area: the reminder window comes up on top, and the keys typed after it still reach the
# other program. The typing target is xev, which logs every key it gets.
set -u
program=$1
source "$(dirname "$0")/x_session.sh"

prepare_program '[Main]\r\nItems=1\r\n[Item1]\r\nHour=9\r\nMinuter=31\r\nMessage=focus test\r\n'
start_screen 71
start_window_manager
start_tray
xev -name typer -geometry 400x300+10+300 -event keyboard >"$work/keys" 2>&1 &
started+=($!)
target=$(wait_for_window '^typer$')
[ -n "$target" ] || fail "the typing window did not open"

start_program '2026-12-08 09:30:52'
sleep 2
xdotool windowactivate --sync "$target" 2>/dev/null || xdotool windowfocus --sync "$target"
xdotool type --delay 50 "before "

[ -n "$(wait_for_window '^提醒$')" ] || fail "the reminder window did not open"
sleep 1
active=$(xprop -root _NET_ACTIVE_WINDOW | awk '{print $NF}')
[ "$((active))" -eq "$target" ] || fail "the reminder took the focus: the active window is $active, not $target"
before=$(wc -l <"$work/keys")
xdotool type --delay 50 "after"
sleep 0.5
# xev logs each key twice, as pressed and as released: the presses count.
typed=$(tail -n +$((before + 1)) "$work/keys" | awk '/^KeyPress/ {press = 1} /^KeyRelease/ {press = 0}
    press && /XLookupString gives 1 bytes/ && match($0, /"."$/) {printf "%s", substr($0, RSTART + 1, 1)}')
[ "$typed" = "after" ] || fail "the other program got \"$typed\" instead of \"after\""
xdotool search --onlyvisible --name '^提醒$' >/dev/null 2>&1 || fail "the reminder window went away"
echo "1 passed, 0 failed"
