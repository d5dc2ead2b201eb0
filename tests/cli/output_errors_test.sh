#!/usr/bin/env bash
# chimewell-cli on a standard output that cannot take its result: closed, or a full disk. It must say so on
# standard error and end with status 1, never end silently.
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
echo "$((3 - failed)) passed, $failed failed"
[ $failed -eq 0 ]
