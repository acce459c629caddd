#!/bin/bash
# Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
#
# launch.sh CASE: single launch, end to end. PROBE is a single-launch application without
# windows, CLIENT a peer that talks to its socket; the bitwell case needs an X display. The
# helpers (start, finish, window, fail, $work) are the on-screen tests'.

set -u

case_none() {
	:
}
# shellcheck source=../onscreen/onscreen.sh
source "$ONSCREEN" none

# Each case has a runtime folder of its own, so that instances of other tests are never met.
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
probe_socket() {
	echo "$1/be-launch/application_x-vnd.test-probe"
}
socket=$(probe_socket "$XDG_RUNTIME_DIR")

# said FILE LINE: waits until FILE holds LINE.
said() {
	local deadline=$((SECONDS + 10))
	until grep -qxF -- "$2" "$1" 2>/dev/null; do
		[ $SECONDS -le $deadline ] || fail "no \"$2\" in $1: $(cat "$1")"
		sleep 0.02
	done
}

# run NAME COMMAND...: runs COMMAND to its end; sets status.
run() {
	local name=$1
	shift
	start "$name" "$@"
	finish "$(eval echo "\$${name}_pid")"
}


case_handover() {
	unset DISPLAY
	touch "$work/a" "$work/b c" "$work/100%" "$work/quit"
	start first "$PROBE" "$work/a"
	said "$work/first.out" ready
	said "$work/first.out" "ref a"
	[ -S "$socket" ] || fail "no socket at $socket"
	[ "$(stat -c %a "$socket") $(stat -c %a "$(dirname "$socket")")" = "600 700" ] \
		|| fail "socket and folder are $(stat -c %a "$socket" "$(dirname "$socket")")"
	grep -q differs "$work/first.err" && fail "warned: $(cat "$work/first.err")"

	# A later start hands its items over, a relative one taken from its own folder, and exits.
	# A name that names nothing in an existing folder is left out as well.
	(cd "$work" && exec "$PROBE" "b c" "file://$work/100%25" nowhere/x missing) \
		>"$work/second.out" 2>"$work/second.err"
	[ $? -eq 0 ] || fail "the second start exited with $?: $(cat "$work/second.err")"
	said "$work/first.out" "ref b c"
	said "$work/first.out" "ref 100%"
	[ ! -s "$work/second.out" ] || fail "the second start ran: $(cat "$work/second.out")"
	grep -q 'leaving out "nowhere/x"' "$work/second.err" || fail "said $(cat "$work/second.err")"
	grep -q 'leaving out "missing": No such file or directory' "$work/second.err" \
		|| fail "said $(cat "$work/second.err")"

	# Without items it only finds the first one running.
	run third "$PROBE"
	[ "$status" -eq 0 ] && [ ! -s "$work/third.out" ] || fail "the third start ran"

	run last "$PROBE" "$work/quit"
	[ "$status" -eq 0 ] || fail "the last start exited with $status"
	finish "$first_pid"
	[ "$status" -eq 0 ] || fail "the first one exited with $status"
	[ "$(grep -c '^ref ' "$work/first.out")" -eq 4 ] || fail "got $(cat "$work/first.out")"
	[ ! -e "$socket" ] || fail "the socket stayed"
}


# count_refs NAME: how many times the first instance was handed NAME.
count_refs() {
	grep -cxF -- "ref $1" "$work/first.out"
}


case_silent_clients() {
	unset DISPLAY
	touch "$work/a" "$work/quit"
	start first "$PROBE"
	said "$work/first.out" ready
	# Two peers connect and send nothing; their standard input never ends.
	mkfifo "$work/hold"
	exec 3<>"$work/hold"
	start silent1 "$CLIENT" "$socket" silent <&3
	start silent2 "$CLIENT" "$socket" silent <&3
	said "$work/silent1.out" connected
	said "$work/silent2.out" connected

	# A start meanwhile is served at once, not after the silent ones gave up.
	run second "$PROBE" "$work/a"
	[ "$status" -eq 0 ] || fail "the second start exited with $status: $(cat "$work/second.err")"
	[ ! -s "$work/second.out" ] || fail "the second start ran: $(cat "$work/second.out")"
	said "$work/first.out" "ref a"

	run last "$PROBE" "$work/quit"
	finish "$first_pid"
	[ "$status" -eq 0 ] || fail "the first one exited with $status"
	[ "$(count_refs a)" -eq 1 ] || fail "got $(cat "$work/first.out")"
}


case_stopped() {
	unset DISPLAY
	touch "$work/b" "$work/c" "$work/marker" "$work/later" "$work/quit"
	start first "$PROBE"
	said "$work/first.out" ready
	kill -STOP "$first_pid"

	# The running one doesn't answer: the new start gives up on it and opens its file itself.
	start second "$PROBE" "$work/b"
	said "$work/second.out" "ref b"
	grep -q "doesn't answer" "$work/second.err" || fail "said $(cat "$work/second.err")"
	kill -CONT "$first_pid"

	# Once it runs again, it does not open the file the new start gave up on. Connections are
	# served in the order they came, so once the marker is in, the earlier one is decided.
	[ "$("$CLIENT" "$socket" refs "$work/marker")" = acknowledged ] || fail "the marker was refused"
	said "$work/first.out" "ref marker"
	[ "$(count_refs b)" -eq 0 ] || fail "b opened twice: $(cat "$work/first.out")"

	# A peer that goes after the acknowledgement without confirming hands nothing over.
	[ "$("$CLIENT" "$socket" uncommitted "$work/c")" = acknowledged ] || fail "c was refused"
	[ "$("$CLIENT" "$socket" refs "$work/later")" = acknowledged ] || fail "later was refused"
	said "$work/first.out" "ref later"
	[ "$(count_refs c)" -eq 0 ] || fail "c was taken: $(cat "$work/first.out")"

	[ "$("$CLIENT" "$socket" refs "$work/quit")" = acknowledged ] || fail "quit was refused"
	finish "$first_pid"
	[ "$status" -eq 0 ] || fail "the first one exited with $status"
	kill "$second_pid"
}


case_stale() {
	unset DISPLAY
	touch "$work/a" "$work/quit"
	start first "$PROBE"
	said "$work/first.out" ready
	kill -KILL "$first_pid"
	finish "$first_pid"
	[ -S "$socket" ] || fail "no socket was left behind"

	# The next start takes the place of the dead one instead of handing its files to nobody.
	start second "$PROBE" "$work/a"
	said "$work/second.out" ready
	said "$work/second.out" "ref a"
	run third "$PROBE" "$work/quit"
	[ "$status" -eq 0 ] || fail "the third start exited with $status"
	finish "$second_pid"
	[ "$status" -eq 0 ] || fail "the second one exited with $status"
}


case_other_user() {
	unset DISPLAY
	[ "$(id -u)" -eq 0 ] || { echo "runs the instance as another user, so needs root: skipped"; exit 77; }
	setpriv --reuid=65534 --regid=65534 --clear-groups test -x "$PROBE" \
		|| { echo "the probe can't be run by another user here: skipped"; exit 77; }
	local runtime
	runtime=$(mktemp -d)
	chown 65534:65534 "$runtime"
	trap 'cleanup; rm -rf "$runtime"' EXIT
	touch "$work/a"
	start first setpriv --reuid=65534 --regid=65534 --clear-groups \
		env XDG_RUNTIME_DIR="$runtime" "$PROBE"
	said "$work/first.out" ready
	local theirs
	theirs=$(probe_socket "$runtime")
	[ -S "$theirs" ] || fail "no socket at $theirs"

	# Root gets past the socket's mode, not past the check of who is calling.
	[ "$("$CLIENT" "$theirs" refs "$work/a")" = refused ] || fail "another user's files were taken"
	said "$work/first.err" "application/x-vnd.test-probe: refused a connection from another user"
	grep -q '^ref' "$work/first.out" && fail "got $(cat "$work/first.out")"
	kill "$first_pid"
}


case_bad_peers() {
	unset DISPLAY
	touch "$work/a" "$work/quit"
	start first "$PROBE"
	said "$work/first.out" ready
	for kind in garbage oversize short other-what; do
		[ "$("$CLIENT" "$socket" "$kind" "$work/a")" = refused ] || fail "$kind was taken"
	done
	[ "$("$CLIENT" "$socket" no-refs)" = refused ] || fail "a message without refs was taken"
	grep -q '^ref' "$work/first.out" && fail "got $(cat "$work/first.out")"

	# It still serves a well-behaved start afterwards.
	[ "$("$CLIENT" "$socket" refs "$work/a")" = acknowledged ] || fail "the refs were refused"
	said "$work/first.out" "ref a"
	[ "$("$CLIENT" "$socket" refs "$work/quit")" = acknowledged ] || fail "quit was refused"
	finish "$first_pid"
	[ "$status" -eq 0 ] || fail "the first one exited with $status"
}


case_signature() {
	unset DISPLAY
	touch "$work/quit"
	PROBE_SIGNATURE=application/x-vnd.test-other run other "$PROBE" "$work/quit"
	[ "$status" -eq 0 ] || fail "exited with $status"
	[ "$(cat "$work/other.err")" = "launch_probe: the signature \"application/x-vnd.test-other\" differs from \"application/x-vnd.test-probe\" in BEOS:APP_SIG" ] \
		|| fail "said $(cat "$work/other.err")"
}


case_bitwell() {
	touch "$work/one" "$work/two"
	start bitwell "$BITWELL" "$work/one"
	window one
	local first=$win
	# The same display by another name is the same instance's.
	run second env DISPLAY="unix$DISPLAY.0" "$BITWELL" "$work/two"
	[ "$status" -eq 0 ] || fail "the second start exited with $status: $(cat "$work/second.err")"
	[ ! -s "$work/second.out" ] || fail "the second start ran: $(cat "$work/second.out")"
	# The running one takes the file once the earlier window is closed, as if it had been opened
	# with it.
	"$XTOOL" close "$first"
	"$XTOOL" wait-gone "$first" 10000 || fail "the first window stayed"
	window two
	"$XTOOL" close "$win"
	"$XTOOL" wait-gone "$win" 10000 || fail "the second window stayed"
	window Drop
	"$XTOOL" close "$win"
	finish "$bitwell_pid"
	[ "$status" -eq 0 ] || fail "Bitwell exited with $status"
	[ "$(grep -c '^My PrintToStream():' "$work/bitwell.out")" -eq 2 ] \
		|| fail "dumps: $(cat "$work/bitwell.out")"
	grep -q 'name="two"' "$work/bitwell.out" || fail "no two: $(cat "$work/bitwell.out")"
}



# A hang on quit: the running one waits for its drop window's lock to forward a file when the
# drop window is closed. The window quits once its permissions window is gone; the wait ends
# with it, the file is dropped, and Bitwell exits with 0.
case_bitwell_quit_while_forwarding() {
	touch "$work/one" "$work/two"
	start bitwell "$BITWELL" "$work/one"
	window one
	local first=$win
	run second "$BITWELL" "$work/two"
	[ "$status" -eq 0 ] || fail "the second start exited with $status: $(cat "$work/second.err")"
	local deadline=$((SECONDS + 10))
	until [ "$(grep -c '^Your PrintToStream():' "$work/bitwell.out")" -eq 2 ]; do
		[ $SECONDS -le $deadline ] || fail "two was not forwarded: $(cat "$work/bitwell.out")"
		sleep 0.02
	done
	window Drop
	"$XTOOL" close "$win"
	"$XTOOL" close "$first"
	"$XTOOL" wait-gone "$first" 10000 || fail "the first window stayed"
	finish "$bitwell_pid"
	[ "$status" -eq 0 ] || fail "Bitwell exited with $status"
	[ "$(grep -c "^DropView's PrintToStream()" "$work/bitwell.out")" -eq 1 ] \
		|| fail "two was opened: $(cat "$work/bitwell.out")"
}


# Started with a low soft limit of descriptors, Bitwell raises it to the hard one.
case_bitwell_descriptors() {
	start bitwell prlimit --nofile=64:4096 "$BITWELL"
	window Drop
	local limits
	limits=$(grep "Max open files" "/proc/$bitwell_pid/limits")
	[ "$(echo "$limits" | awk '{ print $4 " " $5 }')" = "4096 4096" ] || fail "limits: $limits"
	"$XTOOL" close "$win"
	finish "$bitwell_pid"
	[ "$status" -eq 0 ] || fail "Bitwell exited with $status"
}


"case_$1"
