#!/usr/bin/env bash
# Starts the real program in a temporary folder on a private X screen, with its clock set (from outside, by
# faketime) a few seconds before a reminder's minute, and expects the reminder window to open and the data
# file to record the firing.
set -u
program=$1
work=$(mktemp -d)
cleanup() {
    [ -n "${app:-}" ] && kill "$app" 2>/dev/null
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

cp "$program" "$work/chimewell"
# The start-with-system entry exists already, so the first start asks nothing.
mkdir -p "$work/xdg/autostart"
printf '[Desktop Entry]\nType=Application\nName=x\nExec=%s\n' "$work/chimewell" > "$work/xdg/autostart/Chimewell2.1.desktop"
printf '[Main]\r\nItems=1\r\n[Item1]\r\nYear=0\r\nMonth=0\r\nDay=0\r\nHour=9\r\nMinuter=31\r\nMethod=0\r\nMessage=end to end\r\n' \
    > "$work/reminddata.sdt"

display=97
while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do xwininfo -display ":$display" -root >/dev/null 2>&1 && break; sleep 0.1; done

(cd "$work" && DISPLAY=":$display" XDG_CONFIG_HOME="$work/xdg" ASAN_OPTIONS=detect_leaks=0:verify_asan_link_order=0 \
    QT_QPA_PLATFORM=xcb faketime -f '@2026-12-08 09:30:56' ./chimewell >"$work/log" 2>&1) &
app=$!

for _ in $(seq 300); do
    if grep -q 'Reminded=1' "$work/reminddata.sdt" 2>/dev/null &&
        xwininfo -display ":$display" -root -tree 2>/dev/null | grep -q '"提醒'; then
        # The end of the session: the program leaves as after its exit command, saving its settings.
        for pid in $(pgrep -x chimewell); do
            [ "$(readlink "/proc/$pid/cwd")" = "$work" ] && kill -TERM "$pid"
        done
        for _ in $(seq 100); do
            if grep -q 'OpenTimes=1' "$work/config.ini" 2>/dev/null; then
                echo "1 passed, 0 failed"
                exit 0
            fi
            sleep 0.1
        done
        echo "the settings were not saved when the program was asked to end"
        echo "0 passed, 1 failed"
        exit 1
    fi
    sleep 0.1
done
echo "the reminder window did not open, or Reminded was not written"
cat "$work/reminddata.sdt"; cat "$work/log"
echo "0 passed, 1 failed"
exit 1
