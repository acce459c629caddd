#!/bin/sh
# Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
#
# no-display.sh HOST ADDON: the host without a display, and with add-ons it can't use.

host=$1
addon=$2

out=$(env -u DISPLAY "$host" "$addon" /tmp 2>&1)
status=$?
[ "$status" -eq 1 ] || { echo "FAIL: exit status $status without a display"; exit 1; }
[ "$(printf '%s\n' "$out" | wc -l)" -eq 1 ] || { echo "FAIL: said: $out"; exit 1; }
case "$out" in
	*"can't open the X display"*) ;;
	*) echo "FAIL: said: $out"; exit 1 ;;
esac

DISPLAY=:1023 "$host" "$addon" /tmp 2>/dev/null
status=$?
[ "$status" -eq 1 ] || { echo "FAIL: exit status $status with a display that isn't there"; exit 1; }

"$host" /nonexistent/add-on /tmp 2>/dev/null
status=$?
[ "$status" -eq 2 ] || { echo "FAIL: exit status $status for a missing add-on"; exit 1; }
"$host" /bin/sh 2>/dev/null
status=$?
[ "$status" -eq 2 ] || { echo "FAIL: exit status $status for a library that is no add-on"; exit 1; }
echo "ok"
