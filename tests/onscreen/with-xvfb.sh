#!/bin/sh
# Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
#
# with-xvfb.sh COMMAND...: runs COMMAND with DISPLAY set to an Xvfb server of its own, on the
# first free display from :90 on, and stops the server afterwards. Exits 77 (skipped) when
# Xvfb is not installed.

command -v Xvfb >/dev/null 2>&1 || { echo "Xvfb is not installed: skipped"; exit 77; }

server=
cleanup() {
	[ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
}
trap cleanup EXIT INT TERM

number=90
while [ "$number" -le 140 ]; do
	if [ ! -e "/tmp/.X$number-lock" ] && [ ! -e "/tmp/.X11-unix/X$number" ]; then
		Xvfb ":$number" -nolisten tcp -screen 0 1024x768x24 >/dev/null 2>&1 &
		server=$!
		# Ready once it takes connections; a server that lost the race for the number is gone.
		deadline=$(($(date +%s) + 10))
		while kill -0 "$server" 2>/dev/null && [ "$(date +%s)" -le "$deadline" ]; do
			if DISPLAY=":$number" xdpyinfo >/dev/null 2>&1; then
				DISPLAY=":$number" "$@"
				exit $?
			fi
			sleep 0.05
		done
		cleanup
		server=
	fi
	number=$((number + 1))
done
echo "no free X display number" >&2
exit 1
