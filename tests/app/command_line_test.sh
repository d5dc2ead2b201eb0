#!/usr/bin/env bash
# chimewell --help and --version answer on the terminal and end: no display is needed, and no running copy is
# asked to show its window (the answer comes before the program looks for one).
set -u
program=$1
failed=0
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ASAN_OPTIONS=detect_leaks=0 "$program" --version 2>&1)
status=$?
if [ $status -ne 0 ] || ! grep -q '^chimewell 2\.01' <<<"$out"; then
    echo "FAIL --version: status $status: $out"
    failed=$((failed + 1))
fi
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ASAN_OPTIONS=detect_leaks=0 "$program" --help 2>&1)
status=$?
if [ $status -ne 0 ] || ! grep -q '用法：chimewell' <<<"$out" || ! grep -q -- '--version' <<<"$out"; then
    echo "FAIL --help: status $status: $out"
    failed=$((failed + 1))
fi
# An output that cannot be written is said, with exit status 1, not swallowed.
for redirect in '>/dev/full' '>&-'; do
    for option in --help --version; do
        err=$(eval 'env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ASAN_OPTIONS=detect_leaks=0 "$program" $option '"$redirect" 2>&1)
        status=$?
        if [ $status -ne 1 ] || ! grep -q '无法写出' <<<"$err"; then
            echo "FAIL $option $redirect: status $status: $err"
            failed=$((failed + 1))
        fi
    done
done
echo "$((6 - failed)) passed, $failed failed"
[ $failed -eq 0 ]
