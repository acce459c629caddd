#!/bin/bash
# Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
#
# attack.sh CASE: the programs on an X display with a window manager, worked by clients that
# mean no good: drags naming windows that don't exist, messages of the wrong format, sources
# that go away or die halfway, windows of ours destroyed from outside, drops too large to be
# files, names made to fool the eye or the terminal, items that can't be opened. The programs
# come from the environment: HOST, ADDON, BITWELL, XTOOL.

set -u

# shellcheck source=../lib/helpers.sh
source "$(dirname "${BASH_SOURCE[0]}")/../lib/helpers.sh"

work=$(mktemp -d)
cleanup() {
	stop_children
	rm -rf "$work"
}
trap cleanup EXIT

# A window that doesn't exist.
nowhere=0x1fffff3

# The permissions window's boxes and buttons from its top-left corner, as in the on-screen cases.
columns=(21 113 205)
rows=(39 62 85)
set_x=211
buttons_y=119

click() {
	xdotool mousemove $((win_x + $1)) $((win_y + $2)) click 1
}

box() {
	click "${columns[$1]}" "${rows[$2]}"
}

mode_is() {
	local mode
	mode=$(stat -c %a "$1")
	[ "$mode" = "$2" ] || fail "$1 has mode $mode, not $2"
}

alive() {
	kill -0 "$1" 2>/dev/null || { wait "$1"; fail "$2 ended with status $? after $3"; }
}

# attack TARGET X Y WHAT...: one attack at a window of ours, at root X,Y.
attack() {
	local target=$1 x=$2 y=$3 what=$4
	case $what in
		enter) "$XTOOL" xdnd "$target" XdndEnter $nowhere ;;
		position) "$XTOOL" xdnd "$target" XdndPosition $nowhere ;;
		drop) "$XTOOL" xdnd "$target" XdndDrop $nowhere ;;
		position8) "$XTOOL" xdnd "$target" XdndPosition $nowhere 8 ;;
		enter8) "$XTOOL" xdnd "$target" XdndEnter $nowhere 8 ;;
		vanish)
			"$XTOOL" drop-vanish "$target" "$x" "$y" text/uri-list "$work/real.list" \
				| grep -qx vanished || fail "the vanishing drag did not start"
			;;
		die)
			"$XTOOL" drop-die "$target" "$x" "$y" text/uri-list "$work/large.list" ;;
		oversized|oversized-whole)
			local how=drop
			[ "$what" = oversized-whole ] && how=drop-whole
			cp "$work/$name.err" "$work/$name.err.before"
			"$XTOOL" $how "$target" "$x" "$y" text/uri-list "$work/huge.list" >"$work/drop.txt" \
				|| fail "the oversized drop failed"
			[ "$(cat "$work/drop.txt")" = "$(printf 'asked text/uri-list\nfinished\nnot accepted')" ] \
				|| fail "the oversized drop: $(cat "$work/drop.txt")"
			[ "$(diff "$work/$name.err.before" "$work/$name.err" | grep -c 'refused a drop')" -eq 1 ] \
				|| fail "no line for the oversized drop: $(cat "$work/$name.err")"
			;;
	esac
}

attacks=(enter position drop position8 enter8 vanish die oversized oversized-whole)

make_lists() {
	local i long
	echo data >"$work/real"
	chmod 600 "$work/real"
	printf 'file://%s\r\n' "$work/real" >"$work/real.list"
	long=$(printf 'x%.0s' {1..200})
	for i in $(seq 1 3000); do
		printf 'file://%s/%s%d\r\n' "$work" "$long" "$i"
	done >"$work/large.list"
	# More than 4 MiB of names.
	for i in $(seq 1 7); do
		cat "$work/large.list"
	done >"$work/huge.list"
}


# The host keeps its windows and what was ticked in them through every attack on one of them,
# and a window destroyed by another client goes as by its close box.
case_host() {
	start_openbox
	make_lists
	echo one >"$work/one"
	echo two >"$work/two"
	chmod 600 "$work/one" "$work/two"
	name=host
	start host "$HOST" "$ADDON" "$work/one" "$work/two"
	window two
	local two=$win two_x=$win_x two_y=$win_y
	window one
	local one=$win one_x=$win_x one_y=$win_y
	# The second window covers part of the first: each is raised to take its clicks.
	xdotool windowactivate --sync "$one"
	box 2 0
	win=$two win_x=$two_x win_y=$two_y
	xdotool windowactivate --sync "$two"
	box 2 1
	local what x=$((one_x + 100)) y=$((one_y + 60))
	for what in "${attacks[@]}"; do
		attack "$one" $x $y "$what"
		# The drag machinery still answers, so the attack was handled.
		"$XTOOL" drop "$one" $x $y text/uri-list "$work/real.list" | grep -qx finished \
			|| fail "no drop after the attack \"$what\""
		alive "$host_pid" host "$what"
	done
	"$XTOOL" destroy "$two" || fail "can't destroy the window"
	"$XTOOL" drop "$one" $x $y text/uri-list "$work/real.list" | grep -qx finished \
		|| fail "no drop after the window was destroyed"
	alive "$host_pid" host "the window was destroyed"
	win=$one win_x=$one_x win_y=$one_y
	xdotool windowactivate --sync "$one"
	click $set_x $buttons_y
	exited_well "$host_pid"
	mode_is "$work/one" 604
	mode_is "$work/two" 600
}


# Bitwell goes on through every attack on its drop window, and takes the next real drop.
case_bitwell() {
	start_openbox
	make_lists
	name=bitwell
	start bitwell "$BITWELL"
	window Drop
	local drop=$win x=$((win_x + 60)) y=$((win_y + 20))
	local what
	for what in "${attacks[@]}"; do
		attack "$drop" $x $y "$what"
		alive "$bitwell_pid" Bitwell "$what"
		"$XTOOL" drop "$drop" $x $y text/uri-list "$work/real.list" | grep -qx accepted \
			|| fail "the drop after the attack \"$what\" was not taken"
		window real
		"$XTOOL" close "$win"
		"$XTOOL" wait-gone "$win" 10000 || fail "the window stayed"
		alive "$bitwell_pid" Bitwell "$what"
	done
	xdotool search --name '^huge' >/dev/null && fail "a window of the oversized drop"
	[ "$(grep -c "refused a drop" "$work/bitwell.err")" -eq 2 ] \
		|| fail "said: $(cat "$work/bitwell.err")"

	# A permissions window destroyed by another client: nothing is written, and on it goes.
	"$XTOOL" drop "$drop" $x $y text/uri-list "$work/real.list" | grep -qx accepted \
		|| fail "the drop was not taken"
	window real
	box 2 0
	"$XTOOL" destroy "$win" || fail "can't destroy the window"
	"$XTOOL" wait-gone "$win" 10000 || fail "the window stayed"
	"$XTOOL" drop "$drop" $x $y text/uri-list "$work/real.list" | grep -qx accepted \
		|| fail "the drop after the destroyed window was not taken"
	window real
	box 2 0
	click $set_x $buttons_y
	"$XTOOL" wait-gone "$win" 10000 || fail "the window stayed"
	mode_is "$work/real" 604
	alive "$bitwell_pid" Bitwell "the window was destroyed"

	# The drop window destroyed: as if closed, Bitwell ends well.
	"$XTOOL" destroy "$drop" || fail "can't destroy the drop window"
	exited_well "$bitwell_pid" Bitwell
}


# close_titled TITLE: closes the window of that title and waits until it is gone.
close_titled() {
	window "$1"
	"$XTOOL" close "$win"
	"$XTOOL" wait-gone "$win" 10000 || fail "the window \"$1\" stayed"
}


# Names that would work the terminal reach it escaped in Bitwell's debugging lines.
case_names() {
	start_openbox
	local folder=$work/names
	mkdir "$folder"
	local title=$'\e]0;pwned\a' clear=$'\e[2J' csi=$'\xc2\x9b2J' slash='back\slash'
	touch "$folder/$title" "$folder/$clear" "$folder/$csi" "$folder/$slash"
	printf 'file://%s\r\n' "$folder/%1B%5D0;pwned%07" "$folder/%1B%5B2J" "$folder/%C2%9B2J" \
		"$folder/back%5Cslash" >"$work/list"
	start bitwell "$BITWELL" $'sftp://host/\e[2J'
	window Drop
	local drop=$win
	"$XTOOL" drop "$drop" $((win_x + 60)) $((win_y + 20)) text/uri-list "$work/list" \
		| grep -qx accepted || fail "the drop was not taken"
	close_titled "$title"
	close_titled "$clear"
	close_titled "$csi"
	close_titled "$slash"
	"$XTOOL" close "$drop"
	exited_well "$bitwell_pid" Bitwell
	LC_ALL=C grep -q $'[\x01-\x09\x0b-\x1f\x7f]' "$work/bitwell.out" "$work/bitwell.err" \
		&& fail "control characters written: $(od -c "$work/bitwell.out" | head -n 40)"
	LC_ALL=C grep -q $'\xc2\x9b' "$work/bitwell.out" && fail "a C1 control written"
	local name
	for name in '\x1b]0;pwned\x07' '\x1b[2J' '\xc2\x9b2J' 'back\\slash'; do
		grep -qF "name=\"$name\", path=\"$folder/$name\"" "$work/bitwell.out" \
			|| fail "no $name in: $(cat "$work/bitwell.out")"
	done
	grep -qF 'leaving out "sftp://host/\x1b[2J"' "$work/bitwell.err" \
		|| fail "said: $(cat "$work/bitwell.err")"
}


# Titles are valid UTF-8 that read as the name is, whatever its bytes; the files are still
# reached by them.
case_titles() {
	start_openbox
	local bad=$'bad\xff\xfename' bidi=$'invoice\u202efdp.exe' zero=$'a\u200b.txt'
	local isolate=$'x\u2067y\u2069\ufeff'
	touch "$work/$bad" "$work/$bidi" "$work/$zero" "$work/$isolate"
	chmod 600 "$work/$bad" "$work/$bidi" "$work/$zero" "$work/$isolate"
	start host "$HOST" "$ADDON" "$work/$bad" "$work/$bidi" "$work/$zero" "$work/$isolate"
	local shown titles=($'bad\ufffd\ufffdname' "invoice<U+202E>fdp.exe" "a<U+200B>.txt"
		"x<U+2067>y<U+2069><U+FEFF>")
	# Every window is up before the first click: one that maps later would cover the one
	# clicked, 14 pixels off.
	for shown in "${titles[@]}"; do
		window "$shown"
	done
	for shown in "${titles[@]}"; do
		window "$shown"
		local net
		net=$(xprop -id "$win" _NET_WM_NAME)
		[ "$net" = "_NET_WM_NAME(UTF8_STRING) = \"$shown\"" ] || fail "the title is $net"
		xprop -id "$win" -notype 8s _NET_WM_NAME | sed 's/^_NET_WM_NAME = "//; s/"$//' \
			| iconv -f UTF-8 -t UTF-8 >/dev/null || fail "the title of $shown is no UTF-8"
		xdotool windowactivate --sync "$win"
		box 2 0
		click $set_x $buttons_y
		"$XTOOL" wait-gone "$win" 10000 || fail "the window $shown stayed"
	done
	exited_well "$host_pid"
	mode_is "$work/$bad" 604
	mode_is "$work/$bidi" 604
	mode_is "$work/$zero" 604
	mode_is "$work/$isolate" 604
}


# An item that can't be opened keeps its alert, and a line says which and why.
case_open_failures() {
	start_openbox
	chmod 755 "$work"
	mkdir "$work/locked"
	touch "$work/locked/file" "$work/x"
	chmod 600 "$work/locked"
	chown 65534:65534 "$work/locked"
	start host setpriv --reuid=65534 --regid=65534 --clear-groups "$HOST" "$ADDON" \
		"$work/locked/file" "$work/missing" "file://$work/x?query" "$(printf 'sftp://h/\033[2J')"
	local i
	for i in 1 2; do
		window "Bitgate Error"
		xdotool windowactivate --sync "$win" key Return
		"$XTOOL" wait-gone "$win" 10000 || fail "the alert stayed"
	done
	# An alert destroyed by another client goes as if dismissed.
	window "Bitgate Error"
	"$XTOOL" destroy "$win" || fail "can't destroy the alert"

	exited_well "$host_pid"
	local expected
	expected=$(printf 'Bitgate: can'"'"'t open "%s": %s\n' "$work/locked/file" \
		"Permission denied" "$work/missing" "No such file or directory" "$work/x?query" \
		"No such file or directory")
	[ "$(cat "$work/host.out")" = "$expected" ] || fail "said: $(cat "$work/host.out")"
	# The host's own line for an item it can't hand over escapes the name too.
	grep -qF 'leaving out "sftp://h/\x1b[2J"' "$work/host.err" || fail "said: $(cat "$work/host.err")"
}


"case_$1"
