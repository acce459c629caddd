# Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
#
# Helpers of the shell tests that drive our programs on an X display, sourced by them: programs
# in the background with their output kept, and waits with a deadline. The sourcing script sets
# work (its folder) before it calls them, and XTOOL for window. A script may define its own fail
# after sourcing this file.

children=()

# stop_children: kills what start started; for the sourcing script's EXIT trap.
stop_children() {
	local child
	for child in "${children[@]}"; do
		kill "$child" 2>/dev/null
	done
}

# fail MESSAGE: says why, with the end of what each program said, and ends the test.
fail() {
	echo "FAIL: $*" >&2
	local log
	for log in "$work"/*.err; do
		[ -s "$log" ] && { echo "--- $(basename "$log"):"; tail -n 20 "$log"; } >&2
	done
	exit 1
}

# start NAME COMMAND...: runs COMMAND in the background, output in $work/NAME.out and .err; sets
# NAME_pid.
start() {
	local name=$1
	shift
	"$@" >"$work/$name.out" 2>"$work/$name.err" &
	children+=($!)
	eval "${name}_pid=$!"
}

# finish PID: waits (with a deadline) for PID to exit and sets status.
finish() {
	local pid=$1 deadline=$((SECONDS + 15))
	while kill -0 "$pid" 2>/dev/null; do
		[ $SECONDS -le $deadline ] || fail "process $pid did not exit"
		sleep 0.02
	done
	wait "$pid"
	status=$?
}

# exited_well PID [WHAT]: waits for PID to exit, and fails unless it exited with 0.
exited_well() {
	finish "$1"
	[ "$status" -eq 0 ] || fail "${2:-the host} exited with $status"
}

# window TITLE: waits for the window; sets win, win_x, win_y, win_w, win_h (pixels).
window() {
	read -r win win_x win_y win_w win_h < <("$XTOOL" wait-window "$1" 10000) \
		|| fail "no window \"$1\""
	[ -n "$win" ] || fail "no window \"$1\""
}

# within SECONDS COMMAND...: runs COMMAND until it succeeds; false if it didn't in SECONDS.
within() {
	local deadline=$((SECONDS + $1))
	shift
	until "$@"; do
		[ $SECONDS -le $deadline ] || return 1
		sleep 0.05
	done
}

# until_true SECONDS WHAT COMMAND...: runs COMMAND until it succeeds, failing after SECONDS.
until_true() {
	local seconds=$1 what=$2
	shift 2
	within "$seconds" "$@" || fail "$what"
}
