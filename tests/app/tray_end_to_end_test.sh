#!/usr/bin/env bash
# The tray menu while a reminder shows, on a real X11 notification area (trayer) on a private X screen: a right
# click on the program's icon opens the menu, and its "关闭窗口[&C]" closes the reminder window.
set -u
program=$1
source "$(dirname "$0")/x_session.sh"

prepare_program '[Main]\r\nItems=1\r\n[Item1]\r\nHour=9\r\nMinuter=31\r\nMessage=tray test\r\n'
start_screen 81
start_tray
start_program '2026-12-08 09:30:56'

[ -n "$(wait_for_window '^提醒')" ] || fail "the reminder window did not open"
icon=$(xwininfo -root -tree | awk '/\("chimewell" "chimewell"\)/ && / 22x22\+/ {print $1; exit}')
[ -n "$icon" ] || fail "the icon did not dock in the notification area"
eval "$(xdotool getwindowgeometry --shell "$icon")"
xdotool mousemove $((X + 5)) $((Y + 5)) click 3
sleep 1
xdotool key c
for _ in $(seq 50); do
    if ! xdotool search --onlyvisible --name '^提醒' >/dev/null 2>&1; then
        echo "1 passed, 0 failed"
        exit 0
    fi
    sleep 0.1
done
fail "the tray menu did not close the reminder window while it showed"
