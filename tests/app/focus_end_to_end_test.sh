#!/usr/bin/env bash
# A reminder pops up while the user types in another program, under a real window manager (openbox) with a
# real notification area: the reminder window comes up on top, and the keys typed after it still reach the
# other program. The typing target is xev, which logs every key it gets.
set -u
program=$1
work=$(mktemp -d)
cleanup() {
    for pid in ${app:-} ${typer:-} ${tray:-} ${wm:-} ${xvfb:-}; do kill "$pid" 2>/dev/null; done
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
command -v openbox >/dev/null || fail "openbox is not installed"

cp "$program" "$work/chimewell"
mkdir -p "$work/xdg/autostart"
printf '[Desktop Entry]\nType=Application\nName=x\nExec=%s\n' "$work/chimewell" > "$work/xdg/autostart/Chimewell2.1.desktop"
printf '[Main]\r\nItems=1\r\n[Item1]\r\nHour=9\r\nMinuter=31\r\nMessage=focus test\r\n' > "$work/reminddata.sdt"

display=71
while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
export DISPLAY=":$display"
Xvfb "$DISPLAY" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do xwininfo -root >/dev/null 2>&1 && break; sleep 0.1; done
openbox --config-file /dev/null >/dev/null 2>&1 &
wm=$!
sleep 0.5
trayer --edge top --align right --widthtype request --height 24 >/dev/null 2>&1 &
tray=$!
xev -name typer -geometry 400x300+10+300 -event keyboard >"$work/keys" 2>&1 &
typer=$!
target=""
for _ in $(seq 50); do
    target=$(xdotool search --onlyvisible --name '^typer$' 2>/dev/null | head -n 1)
    [ -n "$target" ] && break
    sleep 0.1
done
[ -n "$target" ] || fail "the typing window did not open"

(cd "$work" && XDG_CONFIG_HOME="$work/xdg" ASAN_OPTIONS=detect_leaks=0:verify_asan_link_order=0 QT_QPA_PLATFORM=xcb \
    faketime -f '@2026-12-08 09:30:52' ./chimewell >"$work/log" 2>&1) &
app=$!
sleep 2
xdotool windowactivate --sync "$target" 2>/dev/null || xdotool windowfocus --sync "$target"
xdotool type --delay 50 "before "

reminder=""
for _ in $(seq 300); do
    reminder=$(xdotool search --onlyvisible --name '^提醒$' 2>/dev/null | head -n 1)
    [ -n "$reminder" ] && break
    sleep 0.1
done
[ -n "$reminder" ] || fail "the reminder window did not open"
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
