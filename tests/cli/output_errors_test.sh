#!/usr/bin/env bash
# chimewell-cli on a standard output that cannot take its result: closed, or a full disk. It must say so on
# standard error and end with status 1, never end silently; also when it hands the sync to its helper. And
# chimewell-cli itself loads none of the libraries of its helpers: the network's of sync, the iCalendar
# library and ICU of ics.
set -u
cli=$1
failed=0
check() {
    local name=$1 status=$2 err=$3
    if [ "$status" -ne 1 ] || ! grep -q '无法写出结果' <<<"$err"; then
        echo "FAIL $name: status $status, stderr: $err"
        failed=$((failed + 1))
    fi
}
err=$("$cli" terms 2026 2>&1 >&-); check closed $? "$err"
err=$("$cli" terms 2026 2>&1 >/dev/full); check full $? "$err"
out=$("$cli" terms 2026 2>&1); status=$?
if [ $status -ne 0 ] || [ -z "$out" ]; then echo "FAIL a normal run: $status"; failed=$((failed + 1)); fi
passed=3
if [ -x "$(dirname "$cli")/chimewell-cli-sync" ]; then
    # No settings in an empty folder: the helper fails, and says so, after the closed output was handed on.
    empty=$(mktemp -d)
    err=$("$cli" sync --dir "$empty" 2>&1 >&-); status=$?
    if [ $status -ne 1 ] || ! grep -q '无法写出结果' <<<"$err" || ! grep -q 'sync is not set up' <<<"$err"; then
        echo "FAIL closed, through the sync's helper: status $status, stderr: $err"; failed=$((failed + 1))
    fi
    rm -rf "$empty"
    passed=$((passed + 1))
fi
if ldd "$cli" | grep -E 'libQt6|qt6keychain|libdbus|libical|libicu'; then
    echo "FAIL chimewell-cli itself loads its helpers' libraries"; failed=$((failed + 1))
fi
passed=$((passed + 1))
echo "$((passed - failed)) passed, $failed failed"
[ $failed -eq 0 ]
