#!/usr/bin/env bash
# The tray menu while a reminder shows, on a real X11 notification area (trayer) on a private X screen: a right
# click on the program's icon opens the menu, and its "关闭窗口[&C]" closes the reminder window.
set -u
program=$1
work=$(mktemp -d)
cleanup() {
    [ -n "${app:-}" ] && kill "$app" 2>/dev/null
    [ -n "${tray:-}" ] && kill "$tray" 2>/dev/null
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "$1"
    cat "$work/log" 2>/dev/null
    echo "0 passed, 1 failed"
    exit 1
}

cp "$program" "$work/chimewell"
mkdir -p "$work/xdg/autostart"
printf '[Desktop Entry]\nType=Application\nName=x\nExec=%s\n' "$work/chimewell" > "$work/xdg/autostart/Chimewell2.1.desktop"
printf '[Main]\r\nItems=1\r\n[Item1]\r\nHour=9\r\nMinuter=31\r\nMessage=tray test\r\n' > "$work/reminddata.sdt"

display=81
while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
export DISPLAY=":$display"
Xvfb "$DISPLAY" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do xwininfo -root >/dev/null 2>&1 && break; sleep 0.1; done
trayer --edge top --align right --widthtype request --height 24 >/dev/null 2>&1 &
tray=$!
sleep 1

(cd "$work" && XDG_CONFIG_HOME="$work/xdg" ASAN_OPTIONS=detect_leaks=0:verify_asan_link_order=0 QT_QPA_PLATFORM=xcb \
    faketime -f '@2026-12-08 09:30:56' ./chimewell >"$work/log" 2>&1) &
app=$!

reminder=""
for _ in $(seq 300); do
    reminder=$(xdotool search --onlyvisible --name '^提醒' 2>/dev/null | head -n 1)
    [ -n "$reminder" ] && break
    sleep 0.1
done
[ -n "$reminder" ] || fail "the reminder window did not open"
icon=$(xwininfo -root -tree | awk '/"晴铃提醒": \("chimewell"/ && / 22x22\+/ {print $1; exit}')
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
