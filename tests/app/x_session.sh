# Sourced by the end-to-end trials: the real program in a portable folder of its own, on a private X screen
# with what a desktop brings (a window manager, a notification area), its clock set from outside by faketime.
# The caller sets `program`; everything started here ends, and the folder goes, when the trial exits.

work=$(mktemp -d)
started=()
cleanup() {
    for ((i = ${#started[@]} - 1; i >= 0; i--)); do kill "${started[i]}" 2>/dev/null; done
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

# The program and its reminders (INI bytes) in the folder; the start-with-system entry exists already, so the
# first start asks nothing.
prepare_program() {
    cp "$program" "$work/chimewell"
    mkdir -p "$work/xdg/autostart"
    printf '[Desktop Entry]\nType=Application\nName=x\nExec=%s\n' "$work/chimewell" \
        >"$work/xdg/autostart/Chimewell2.1.desktop"
    printf '%b' "$1" >"$work/reminddata.sdt"
}

# A private screen from display number $1 up, exported as DISPLAY.
start_screen() {
    local display=$1
    while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
    export DISPLAY=":$display"
    Xvfb "$DISPLAY" -screen 0 1024x768x24 >/dev/null 2>&1 &
    started+=($!)
    for _ in $(seq 50); do xwininfo -root >/dev/null 2>&1 && break; sleep 0.1; done
}

start_window_manager() {
    command -v openbox >/dev/null || fail "openbox is not installed"
    openbox --config-file /dev/null >/dev/null 2>&1 &
    started+=($!)
    sleep 0.5
}

start_tray() {
    trayer --edge top --align right --widthtype request --height 24 >/dev/null 2>&1 &
    started+=($!)
    sleep 1
}

# The program, its clock starting at the moment $1 ("YYYY-MM-DD HH:MM:SS").
start_program() {
    (cd "$work" && XDG_CONFIG_HOME="$work/xdg" ASAN_OPTIONS=detect_leaks=0:verify_asan_link_order=0 QT_QPA_PLATFORM=xcb \
        faketime -f "@$1" ./chimewell >"$work/log" 2>&1) &
    started+=($!)
}

# The id of the first visible window whose name matches $1, waited for up to 30 seconds; empty when none came.
wait_for_window() {
    local found=""
    for _ in $(seq 300); do
        found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
        [ -n "$found" ] && break
        sleep 0.1
    done
    echo "$found"
}
