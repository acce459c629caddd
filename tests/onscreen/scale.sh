#!/bin/bash
# Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
#
# scale.sh CASE: the windows on a desktop that publishes its scale as the X resource Xft.dpi
# (96 is 100%, 192 is 200%), on an Xvfb server of the case's own. The programs come from the
# environment: HOST (run-tracker-addon), ADDON, BITWELL, XTOOL, SPLIT_TARGET, SHOTS (a folder).
# Exits 77 (skipped) without Xvfb or xrdb.

set -u

for tool in Xvfb xrdb; do
	command -v $tool >/dev/null 2>&1 || { echo "$tool is not installed: skipped"; exit 77; }
done

# shellcheck source=../lib/helpers.sh
source "$(dirname "${BASH_SOURCE[0]}")/../lib/helpers.sh"

work=$(mktemp -d)
server=
cleanup() {
	stop_children
	[ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
	rm -rf "$work"
}
trap cleanup EXIT

# Resources live in the root window and go when the server resets, which it does when its last
# client leaves: -noreset keeps them from one program to the next.
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1280x1024x24 3>"$work/display" \
	>/dev/null 2>&1 &
server=$!
deadline=$((SECONDS + 10))
until grep -q '^[0-9][0-9]*$' "$work/display" 2>/dev/null; do
	kill -0 "$server" 2>/dev/null && [ $SECONDS -le $deadline ] || fail "Xvfb did not start"
	sleep 0.02
done
export DISPLAY=":$(cat "$work/display")"

# dpi N: what a desktop at N/96 sets; programs started afterwards take it.
dpi() {
	echo "Xft.dpi: $1" | xrdb -nocpp -override || fail "xrdb could not set Xft.dpi"
}

close() {
	"$XTOOL" close "$win"
	"$XTOOL" wait-gone "$win" 10000 || fail "window $win stayed"
}

shoot() {
	mkdir -p "$SHOTS"
	import -window "$win" "$SHOTS/$1.png" || fail "no screenshot $1"
}

# near ACTUAL EXPECTED: ACTUAL is within 3 percent of EXPECTED (text can come out a little wider
# at one size than at another, and the window with it).
near() {
	[ $(($1 * 100)) -ge $(($2 * 97)) ] && [ $(($1 * 100)) -le $(($2 * 103)) ]
}

# pixels V: logical V at the scale in percent, rounded as the display rounds edges.
pixels() { echo $((($1 * percent + 50) / 100)); }

# The share N/D of the window's width or height, in pixels: where the layout puts a view at
# any scale, given where it is at 96 dpi.
across() { echo $((win_x + win_w * $1 / $2)); }
down() { echo $((win_y + win_h * $1 / $2)); }

# Waits until FILE has LINES lines.
lines() {
	local deadline=$((SECONDS + 10))
	until [ "$(wc -l <"$1")" -ge "$2" ]; do
		[ $SECONDS -le $deadline ] || fail "only $(cat "$1") in $1"
		sleep 0.02
	done
}

# ink PNG: the box around what is not background, as "WIDTH HEIGHT X Y".
ink() {
	convert "$1" -fuzz 25% -format '%@' info: | tr 'x+' '  '
}


# A permissions window and the drop window at 100%, 125%, 150% and 200%: about as many times
# larger in pixels, at as many times their place, drawn whole.
case_sizes() {
	echo data >"$work/Read Me.txt"
	local scale base_w base_h percent
	for scale in 96:100 120:125 144:150 192:200; do
		local dpi=${scale%:*}
		percent=${scale#*:}
		dpi "$dpi"
		start host "$HOST" "$ADDON" "$work/Read Me.txt"
		window "Read Me.txt"
		[ "$win_x $win_y" = "$(pixels 50) $(pixels 50)" ] \
			|| fail "at $dpi dpi the window is at $win_x,$win_y"
		if [ "$dpi" = 96 ]; then
			base_w=$win_w
			base_h=$win_h
		fi
		near "$win_w" $((base_w * percent / 100)) && near "$win_h" $((base_h * percent / 100)) \
			|| fail "at $dpi dpi the window is $win_w x $win_h, at 96 ${base_w} x $base_h"
		echo "$dpi dpi: permissions window $win_w x $win_h"
		shoot "scale-permissions-$dpi"
		close
		exited_well "$host_pid" "the host"

		start bitwell "$BITWELL"
		window Drop
		# Its frame is 201 x 41 at 100,80.
		[ "$win_w $win_h" = "$(($(pixels 301) - $(pixels 100))) $(($(pixels 121) - $(pixels 80)))" ] \
			|| fail "at $dpi dpi the drop window is $win_w x $win_h"
		echo "$dpi dpi: drop window $win_w x $win_h"
		shoot "scale-drop-$dpi"
		close
		exited_well "$bitwell_pid" "Bitwell"
	done
}


# At 200% and 125% the pointer ticks boxes where they are drawn, and "Set" writes them.
case_click() {
	echo data >"$work/file"
	local scale
	for scale in 192:200 120:125; do
		local dpi=${scale%:*} percent=${scale#*:}
		chmod 644 "$work/file"
		dpi $dpi
		start host "$HOST" "$ADDON" "$work/file"
		window file
		near "$win_w" $((286 * percent / 100)) && near "$win_h" $((139 * percent / 100)) \
			|| fail "at $dpi dpi the window is $win_w x $win_h"
		# Group's "write", other's "execute", owner's "read" twice; at 96 dpi the window is
		# 286 x 139 and the boxes' columns are at 21, 113 and 205, their rows at 39, 62, 85.
		xdotool mousemove "$(across 113 286)" "$(down 62 139)" click 1 \
			mousemove "$(across 205 286)" "$(down 85 139)" click 1 \
			mousemove "$(across 21 286)" "$(down 39 139)" click 1 click 1
		# "Set", right of "Cancel" under the frames.
		xdotool mousemove "$(across 211 286)" "$(down 119 139)" click 1
		exited_well "$host_pid" "the host"
		[ "$(stat -c %a "$work/file")" = 665 ] \
			|| fail "at $dpi dpi the clicks made $(stat -c %a "$work/file")"
	done
}


# At 200% a drop reaches the view under the point where it was dropped, in the kits' units,
# and a click reaches a view at its own point; a real drop on Bitwell opens the file.
case_drop() {
	echo one >"$work/one"
	echo two >"$work/two"
	printf 'file://%s\r\n' "$work/one" "$work/two" >"$work/list"
	dpi 192
	start target "$SPLIT_TARGET"
	window "Split Target"
	[ "$win_w $win_h" = "600 200" ] || fail "the target is $win_w x $win_h"
	# Right of the middle, then left of it: at 1.0 the first point would be past the window.
	"$XTOOL" drop "$win" $((win_x + 450)) $((win_y + 100)) text/uri-list "$work/list" \
		| grep -qx finished || fail "the first drop was not finished"
	lines "$work/target.out" 1
	"$XTOOL" drop "$win" $((win_x + 80)) $((win_y + 160)) text/uri-list "$work/list" \
		| grep -qx finished || fail "the second drop was not finished"
	lines "$work/target.out" 2
	xdotool mousemove $((win_x + 400)) $((win_y + 60)) click 1
	lines "$work/target.out" 3
	local expected
	expected=$(printf '%s\n' "right drop 225 50 2" "left drop 40 80 2" "right down 50 30")
	[ "$(cat "$work/target.out")" = "$expected" ] || fail "got $(cat "$work/target.out")"
	close
	exited_well "$target_pid" "the drop target"

	printf 'file://%s\r\n' "$work/one" >"$work/one.list"
	start bitwell "$BITWELL"
	window Drop
	local drop=$win
	"$XTOOL" drop "$drop" $((win_x + win_w / 2)) $((win_y + win_h / 2)) text/uri-list \
		"$work/one.list" | grep -qx finished || fail "the drop on Bitwell was not finished"
	window one
	near "$win_w" 572 || fail "the permissions window is $win_w x $win_h"
	close
	win=$drop
	close
	exited_well "$bitwell_pid" "Bitwell"
}


# At 200% the drop window's line is twice as wide as at 100% and clear of every edge.
case_drop_text() {
	local dpi ink_w ink_h ink_x ink_y base_w
	for dpi in 96 192; do
		dpi $dpi
		start bitwell "$BITWELL"
		window Drop
		# The window may be mapped before its text is drawn: look until there is ink.
		local deadline=$((SECONDS + 10))
		while true; do
			shoot "scale-drop-text-$dpi"
			read -r ink_w ink_h ink_x ink_y < <(ink "$SHOTS/scale-drop-text-$dpi.png" 2>/dev/null)
			[ -n "$ink_w" ] && [ "$ink_w" -gt 0 ] && break
			[ $SECONDS -le $deadline ] || fail "no text in the drop window at $dpi dpi"
			sleep 0.05
		done
		[ "$ink_x" -gt 0 ] && [ "$ink_y" -gt 0 ] && [ $((ink_x + ink_w)) -lt "$win_w" ] \
			&& [ $((ink_y + ink_h)) -lt "$win_h" ] \
			|| fail "at $dpi dpi the text (${ink_w}x$ink_h+$ink_x+$ink_y) reaches an edge of $win_w x $win_h"
		[ "$dpi" = 96 ] && base_w=$ink_w
		near "$ink_w" $((base_w * dpi / 96)) || fail "the text is $ink_w wide at $dpi, $base_w at 96"
		close
		exited_well "$bitwell_pid" "Bitwell"
	done
}


"case_$1"
