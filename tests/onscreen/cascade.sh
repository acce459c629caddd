#!/bin/bash
# Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
#
# cascade.sh CASE: permissions windows opened together under a window manager (openbox), first
# on a screen it leaves wholly to windows, then below a top bar that reserves room at the top
# (a panel of the test's own), as desktops keep one. The programs come from the environment:
# HOST (run-tracker-addon), ADDON, XTOOL, STRUT_PANEL, FRAMES_ELSEWHERE, SHOTS (a folder). Exits
# 77 (skipped) without openbox or the X tools.

set -u

for tool in openbox xmessage xdotool xprop xwininfo xrdb import; do
	command -v $tool >/dev/null 2>&1 || { echo "$tool is not installed: skipped"; exit 77; }
done

# shellcheck source=../lib/helpers.sh
source "$(dirname "${BASH_SOURCE[0]}")/../lib/helpers.sh"

work=$(mktemp -d)
cleanup() {
	stop_children
	rm -rf "$work"
}
trap cleanup EXIT

# Sets area_x, area_y, area_w, area_h: the work area of the desktop in use.
work_area() {
	local desktop values
	desktop=$(xprop -root _NET_CURRENT_DESKTOP 2>/dev/null | awk -F' = ' 'NF == 2 { print $2 }')
	read -r -a values < <(xprop -root _NET_WORKAREA 2>/dev/null | awk -F' = ' 'NF == 2 { print $2 }' \
		| tr -d ,)
	local i=$((4 * ${desktop:-0}))
	[ ${#values[@]} -ge $((i + 4)) ] || return 1
	area_x=${values[i]} area_y=${values[i + 1]} area_w=${values[i + 2]} area_h=${values[i + 3]}
}

area_starts_at() {
	work_area && [ "$area_y" = "$1" ]
}

# decorated TITLE: true once a window titled TITLE is on screen in its window manager's frame;
# sets win, its inside on the screen win_x, win_y, win_w, win_h, and the frame's edges around
# it, edge_left, edge_right, edge_top, edge_bottom.
decorated() {
	local extents geometry
	win=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
	[ -n "$win" ] || return 1
	extents=$(xprop -id "$win" _NET_FRAME_EXTENTS 2>/dev/null | awk -F' = ' 'NF == 2 { print $2 }')
	[ -n "$extents" ] || return 1
	read -r edge_left edge_right edge_top edge_bottom < <(echo "$extents" | tr -d ,)
	geometry=$(xwininfo -id "$win" | awk '
		/Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 }
		/Width:/ { w = $2 } /Height:/ { h = $2 } END { print x, y, w, h }')
	read -r win_x win_y win_w win_h <<<"$geometry"
}

framed() {
	until_true 30 "no window \"$1\" in a frame" decorated "$1"
}

# The window with its frame lies in the work area.
in_work_area() {
	[ $((win_x - edge_left)) -ge "$area_x" ] && [ $((win_y - edge_top)) -ge "$area_y" ] \
		&& [ $((win_x + win_w + edge_right)) -le $((area_x + area_w)) ] \
		&& [ $((win_y + win_h + edge_bottom)) -le $((area_y + area_h)) ] \
		|| fail "$1's frame, $((win_w + edge_left + edge_right))x$((win_h + edge_top + edge_bottom)) at $((win_x - edge_left)),$((win_y - edge_top)), leaves the work area ${area_w}x$area_h at $area_x,$area_y"
}

# open_two: opens the permissions windows of "first" and "second" in one host, and waits for
# both in their frames; sets first_* and second_* (win, x, y).
open_two() {
	start host "$HOST" "$ADDON" "$work/first" "$work/second"
	framed first
	first_win=$win first_x=$win_x first_y=$win_y first_top=$((win_y - edge_top))
	in_work_area first
	framed second
	second_win=$win second_x=$win_x second_y=$win_y
	in_work_area second
}

close_two() {
	local id
	for id in "$first_win" "$second_win"; do
		"$XTOOL" close "$id"
		"$XTOOL" wait-gone "$id" 10000 || fail "window $id stayed"
	done
	exited_well "$host_pid"
}

# cascade DPI PANEL: at the scale DPI/96, with a top bar PANEL pixels high.
cascade() {
	local dpi=$1 panel=$2
	local scale=$((dpi / 96))
	touch "$work/first" "$work/second"
	start_openbox
	echo "Xft.dpi: $dpi" | xrdb -nocpp -override || fail "xrdb could not set Xft.dpi"

	# Where the window manager reserves nothing, every window opens where it asks to.
	until_true 10 "the work area is not the whole screen" area_starts_at 0
	open_two
	[ "$first_x $first_y" = "$((50 * scale)) $((50 * scale))" ] \
		|| fail "without a top bar the first window is at $first_x,$first_y"
	[ "$second_x $second_y" = "$((64 * scale)) $((64 * scale))" ] \
		|| fail "without a top bar the second window is at $second_x,$second_y"
	close_two

	start panel "$STRUT_PANEL" "$panel"
	until_true 10 "the work area does not start below the top bar" area_starts_at "$panel"
	open_two
	# The first window goes down just far enough for its title bar to clear the top bar, and
	# the second steps on from there, so that both title bars show.
	[ "$first_x" = $((50 * scale)) ] && [ "$first_top" = "$panel" ] \
		|| fail "below the top bar the first window is at $first_x,$first_y"
	[ $((second_x - first_x)) = $((14 * scale)) ] && [ $((second_y - first_y)) = $((14 * scale)) ] \
		|| fail "the second window is at $second_x,$second_y, the first at $first_x,$first_y"
	echo "$dpi dpi, top bar $panel: windows at $first_x,$first_y and $second_x,$second_y"
	mkdir -p "$SHOTS"
	import -window root "$SHOTS/cascade-$dpi.png" || fail "no screenshot"
	close_two
}


case_work_area() {
	cascade 96 40
}


# At 200% the windows ask for twice as many pixels: a top bar of 120 still covers where the
# first one's title bar would be.
case_work_area_scaled() {
	cascade 192 120
}


# Under a window manager whose title bars another program draws, and which therefore tells no
# decorations before a window is mapped: the windows still clear its top bar, and the second
# steps on from where the first really opens.
case_frames_elsewhere() {
	touch "$work/first" "$work/second"
	start manager "$FRAMES_ELSEWHERE" 32 37
	within 30 claims_screen || fail "frames_elsewhere manages no screen"
	until_true 10 "the work area does not start below the top bar" area_starts_at 32
	open_two
	[ "$first_x $first_y" = "50 69" ] && [ "$second_x $second_y" = "64 83" ] \
		|| fail "the windows are at $first_x,$first_y and $second_x,$second_y, not 50,69 and 64,83"
	close_two
}


"case_$1"
