#!/bin/bash
# Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
#
# killed.sh: the host and Bitwell killed (SIGTERM, SIGKILL) while permissions windows are open,
# one with a box already ticked. No file may change mode on its own, what they printed until
# then must be in their output, and the next start must open its window and exit normally. The
# programs come from the environment: HOST, ADDON, BITWELL, XTOOL. Runs on the display in DISPLAY
# (with-xvfb.sh gives it one).

set -u

# shellcheck source=../lib/helpers.sh
source "$(dirname "${BASH_SOURCE[0]}")/../lib/helpers.sh"

work=$(mktemp -d)
pid=
cleanup() {
	[ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null
	rm -rf "$work"
}
trap cleanup EXIT

# The owner's read box and the "Cancel" button, from a window's top-left corner.
box_x=21
box_y=39
cancel_x=73
buttons_y=119

# gone PID: waits (with a deadline) for PID to exit and sets status.
gone() {
	finish "$1"
	pid=
}

modes_are() {
	local mode
	for file in one two; do
		mode=$(stat -c %a "$work/$file")
		[ "$mode" = "$1" ] || fail "$file has mode $mode after $2, not $1"
	done
}

# open_both PROGRAM...: starts a program with the two files and waits for the first one's window.
open_both() {
	"$@" "$work/one" "$work/two" >"$work/program.out" 2>"$work/program.err" &
	pid=$!
	window one
}

# said FILE PATTERN: waits until a line of FILE matches PATTERN.
said() {
	local deadline=$((SECONDS + 10))
	until grep -q -- "$2" "$1" 2>/dev/null; do
		[ $SECONDS -le $deadline ] || fail "no \"$2\" in $1: $(cat "$1")"
		sleep 0.02
	done
}

echo one >"$work/one"
echo two >"$work/two"
chmod 640 "$work/one" "$work/two"

# Through a pipe, each debugging line arrives when it is printed, not when the program ends.
"$BITWELL" "$work/one" > >(cat >"$work/piped") 2>"$work/program.err" &
pid=$!
window one
said "$work/piped" "^DropView's PrintToStream()"
kill -TERM "$pid"
gone "$pid"

for program in host bitwell; do
	for signal in TERM KILL; do
		# The host's second window comes up over the first: its box is the one ticked.
		if [ $program = host ]; then
			open_both "$HOST" "$ADDON"
			window two
		else
			open_both "$BITWELL"
		fi
		xdotool mousemove $((win_x + box_x)) $((win_y + box_y)) click 1
		kill -$signal "$pid"
		gone "$pid"
		[ "$status" -ne 0 ] || fail "$program exited with 0 after SIG$signal"
		modes_are 640 "$program got SIG$signal"
		# What it printed before it was killed is in the file.
		if [ $signal = TERM ]; then
			if [ $program = host ]; then
				said "$work/program.out" "^Hey: _offset was"
			else
				said "$work/program.out" "^My PrintToStream():"
				said "$work/program.out" "^DropView's PrintToStream()"
			fi
		fi
	done

	# The next start works as ever: a window, a "Cancel", a normal exit for the host.
	if [ $program = host ]; then
		open_both "$HOST" "$ADDON"
		first=$win
		window two
		xdotool mousemove $((win_x + cancel_x)) $((win_y + buttons_y)) click 1
		"$XTOOL" wait-gone "$win" 10000 || fail "the second window stayed after a restart"
		"$XTOOL" close "$first"
		gone "$pid"
		[ "$status" -eq 0 ] || fail "the host exited with $status after a restart"
	else
		open_both "$BITWELL"
		xdotool mousemove $((win_x + cancel_x)) $((win_y + buttons_y)) click 1
		"$XTOOL" wait-gone "$win" 10000 || fail "Bitwell's window stayed after a restart"
		window Drop
		"$XTOOL" close "$win"
		gone "$pid"
		[ "$status" -eq 0 ] || fail "Bitwell exited with $status after a restart"
	fi
	modes_are 640 "$program started again"
done
echo "killed and started again: fine"
