#!/bin/sh
# Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
#
# with-xvfb.sh COMMAND...: runs COMMAND with DISPLAY set to an Xvfb server of its own and stops
# the server afterwards. Exits 77 (skipped) when Xvfb is not installed.

command -v Xvfb >/dev/null 2>&1 || { echo "Xvfb is not installed: skipped"; exit 77; }

numberFile=$(mktemp)
server=
cleanup() {
	[ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
	rm -f "$numberFile"
}
trap cleanup EXIT INT TERM

# The server picks a free display number itself and writes it once it takes connections, so
# tests running side by side never share one.
Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$numberFile" >/dev/null 2>&1 &
server=$!
deadline=$(($(date +%s) + 10))
until grep -q '^[0-9][0-9]*$' "$numberFile" 2>/dev/null; do
	if ! kill -0 "$server" 2>/dev/null || [ "$(date +%s)" -gt "$deadline" ]; then
		echo "Xvfb did not start" >&2
		exit 1
	fi
	sleep 0.02
done
DISPLAY=":$(cat "$numberFile")" "$@"
status=$?
exit $status
