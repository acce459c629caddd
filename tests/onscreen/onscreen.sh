#!/bin/bash
# Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
#
# onscreen.sh CASE: one end-to-end case of the editor on an X display, driven as a person
# would, with real pointer clicks and key presses. The programs come from the environment:
# HOST (run-tracker-addon), ADDON, XTOOL, DROP_TARGET, FAILING_STAT, SHOTS (a folder).

set -u

# shellcheck source=../lib/helpers.sh
source "$(dirname "${BASH_SOURCE[0]}")/../lib/helpers.sh"

work=$(mktemp -d)
cleanup() {
	stop_children
	rm -rf "$work"
}
trap cleanup EXIT

# Where things are in a permissions window, from its top-left corner: the check boxes' columns
# (owner, group, other) and rows (read, write, execute), and the two buttons, as the layout of
# three labeled frames over a row of two buttons puts them with DejaVu Sans at 12 pixels.
columns=(21 113 205)
rows=(39 62 85)
cancel_x=73
set_x=211
buttons_y=119

click() {
	xdotool mousemove $((win_x + $1)) $((win_y + $2)) click 1
}

box() {
	click "${columns[$1]}" "${rows[$2]}"
}

keys() {
	xdotool windowfocus --sync "$win" key --delay 20 "$@"
}

mode_is() {
	local mode
	mode=$(stat -c %a "$1")
	[ "$mode" = "$2" ] || fail "$1 has mode $mode, not $2"
}

shoot() {
	mkdir -p "$SHOTS"
	import -window "$win" "$SHOTS/$1.png" || fail "no screenshot $1"
}

# Waits until FILE holds a line "end" (a drop target's report).
report() {
	local deadline=$((SECONDS + 10))
	until grep -qx end "$1" 2>/dev/null; do
		[ $SECONDS -le $deadline ] || fail "no report in $1"
		sleep 0.02
	done
}


case_pointer() {
	echo data >"$work/file"
	chmod 644 "$work/file"
	start host "$HOST" "$ADDON" "$work/file"
	window file
	[ "$win_x $win_y" = "50 50" ] || fail "window at $win_x,$win_y"
	box 1 1
	box 2 2
	box 0 0
	box 0 0
	click $set_x $buttons_y
	exited_well "$host_pid"
	mode_is "$work/file" 665
}


case_keyboard() {
	echo data >"$work/file"
	chmod 600 "$work/file"
	start host "$HOST" "$ADDON" "$work/file"
	window file
	# Escape does nothing to a window; focus starts on the first box.
	keys Escape space Tab Tab space
	# On to "Set" past the six boxes of group and other and "Cancel", pressed with Return.
	keys Tab Tab Tab Tab Tab Tab Tab Tab Return
	exited_well "$host_pid"
	mode_is "$work/file" 300
}


case_space_on_button() {
	echo data >"$work/file"
	chmod 640 "$work/file"
	start host "$HOST" "$ADDON" "$work/file"
	window file
	keys Tab Tab Tab Tab space
	# Past the rest of the boxes and "Cancel" to "Set", pressed with the space bar.
	keys Tab Tab Tab Tab Tab Tab space
	exited_well "$host_pid"
	mode_is "$work/file" 660
}


case_cancel() {
	echo data >"$work/file"
	chmod 640 "$work/file"
	start host "$HOST" "$ADDON" "$work/file"
	window file
	click $cancel_x $buttons_y
	exited_well "$host_pid"
	mode_is "$work/file" 640

	# With a change, Cancel warns first; the alert's button goes with Return.
	start host "$HOST" "$ADDON" "$work/file"
	window file
	box 2 0
	click $cancel_x $buttons_y
	window "Bitgate Error"
	keys Return
	exited_well "$host_pid"
	mode_is "$work/file" 640
}


case_close_box() {
	echo data >"$work/file"
	chmod 640 "$work/file"
	start host "$HOST" "$ADDON" "$work/file"
	window file
	box 2 0
	"$XTOOL" close "$win"
	"$XTOOL" wait-gone "$win" 10000 || fail "the window stayed"
	exited_well "$host_pid"
	mode_is "$work/file" 640
}


case_alert() {
	start host "$HOST" "$ADDON" "$work/missing"
	window "Bitgate Error"
	grep -q "Woah" <(xdotool getwindowname "$win") && fail "the title is the text"
	# Centred across the screen, a third of the way down.
	local screen_w screen_h
	read -r screen_w screen_h < <(xdpyinfo | awk '/dimensions:/ { sub("x", " ", $2); print $2 }')
	[ $((2 * win_x + win_w - screen_w)) -ge -3 ] && [ $((2 * win_x + win_w - screen_w)) -le 3 ] \
		|| fail "the alert is at x $win_x, $win_w wide, on a screen $screen_w wide"
	[ $((3 * win_y + win_h - screen_h)) -ge -4 ] && [ $((3 * win_y + win_h - screen_h)) -le 4 ] \
		|| fail "the alert is at y $win_y, $win_h high, on a screen $screen_h high"
	shoot alert
	keys Return
	exited_well "$host_pid"

	# Items that make no refs are left out, said so; without items the add-on complains.
	# Escape works as well as Return.
	start host "$HOST" "$ADDON" sftp://host/tmp/x "$work/no folder/x"
	window "Bitgate Error"
	keys Escape
	exited_well "$host_pid"
	[ "$(grep -c "leaving out" "$work/host.err")" -eq 2 ] || fail "said $(cat "$work/host.err")"
}


case_two_windows() {
	echo one >"$work/one"
	echo two >"$work/two"
	start host "$HOST" "$ADDON" "$work/one" "file://$work/two"
	window one
	[ "$win_x $win_y" = "50 50" ] || fail "first window at $win_x,$win_y"
	local first=$win
	window two
	[ "$win_x $win_y" = "64 64" ] || fail "second window at $win_x,$win_y"
	# The first one stays usable while the second is open.
	"$XTOOL" close "$first"
	"$XTOOL" wait-gone "$first" 10000 || fail "the first window stayed"
	click $cancel_x $buttons_y
	exited_well "$host_pid"
}


case_drop() {
	local folder="$work/drop ü"
	mkdir "$folder"
	touch "$folder/a b.txt" "$folder/100%" "$folder/#hash" "$folder/caf$(printf '\xe9')"
	start target "$DROP_TARGET"
	window "Drop Target"
	local x=$((win_x + 40)) y=$((win_y + 30))
	local base="file://${work// /%20}/drop%20%C3%BC"
	printf '%s\r\n' "# from a test" "$base/a%20b.txt" "" "$base/100%25" \
		"file://localhost${work}/drop%20%C3%BC/%23hash" "${folder}/caf$(printf '\xe9')" \
		>"$work/list"
	# The same items as bare paths, as file managers offer them beside the list, plus one that
	# only the paths would name.
	printf '%s\n' "$folder/a b.txt" "$folder/100%" "$folder/#hash" "$folder/caf$(printf '\xe9')" \
		"$folder" >"$work/paths"
	local expected
	expected=$(printf '%s\n' "what DATA" "ref a b.txt" "ref 100%" "ref #hash" \
		"ref caf$(printf '\xe9')" end)
	# The list is asked for whichever way the types come: first of three, last of three, and
	# among more than three (named in a list of the source's).
	local offers
	for offers in "text/uri-list $work/list text/plain;charset=utf-8 $work/paths" \
		"text/plain;charset=utf-8 $work/paths UTF8_STRING $work/paths text/uri-list $work/list" \
		"UTF8_STRING $work/paths text/plain $work/paths STRING $work/paths text/uri-list $work/list"
	do
		: >"$work/target.out"
		# shellcheck disable=SC2086 # the offers are split into types and files on purpose
		"$XTOOL" drop "$win" $x $y $offers >"$work/drop.txt" || fail "the drop failed"
		grep -qx finished "$work/drop.txt" || fail "the drop was not finished"
		[ "$(grep '^asked ' "$work/drop.txt")" = "asked text/uri-list" ] \
			|| fail "offered $offers, $(grep '^asked ' "$work/drop.txt")"
		report "$work/target.out"
		[ "$(cat "$work/target.out")" = "$expected" ] || fail "got $(cat "$work/target.out")"
	done

	# A drop too large to be handed over at once comes in pieces.
	mkdir "$folder/many"
	local long i
	long=$(printf 'x%.0s' {1..180})
	for i in $(seq 1000 2499); do
		echo "$folder/many/$long$i"
	done | xargs -d '\n' touch
	for i in $(seq 1000 2499); do
		printf '%s\r\n' "$base/many/$long$i"
	done >"$work/list"
	: >"$work/target.out"
	"$XTOOL" drop "$win" $x $y text/uri-list "$work/list" | grep -qx finished \
		|| fail "the large drop was not finished"
	report "$work/target.out"
	[ "$(grep -c "^ref $long" "$work/target.out")" -eq 1500 ] \
		&& [ "$(sed -n 2p "$work/target.out")" = "ref ${long}1000" ] \
		&& [ "$(tail -n 2 "$work/target.out" | head -n 1)" = "ref ${long}2499" ] \
		|| fail "got $(head -n 3 "$work/target.out")"

	# Text, and a file on another host, are no files.
	: >"$work/target.out"
	printf 'hello, world\nfile://elsewhere/etc/passwd\n' >"$work/text"
	"$XTOOL" drop "$win" $x $y UTF8_STRING "$work/text" | grep -qx finished \
		|| fail "the text drop was not finished"
	report "$work/target.out"
	grep -qx "what MIME" "$work/target.out" || fail "got $(cat "$work/target.out")"
	grep -qx "text hello, world" "$work/target.out" || fail "got $(cat "$work/target.out")"
	grep -q "^ref " "$work/target.out" && fail "text came as refs"

	# Names that don't exist make no refs; the others still do.
	: >"$work/target.out"
	printf '%s\r\n' "file://$work/gone" "$base/a%20b.txt" "file://$work/no%20folder/x" >"$work/list"
	"$XTOOL" drop "$win" $x $y text/uri-list "$work/list" | grep -qx finished \
		|| fail "the drop with missing names was not finished"
	report "$work/target.out"
	[ "$(cat "$work/target.out")" = "$(printf '%s\n' "what DATA" "ref a b.txt" end)" ] \
		|| fail "got $(cat "$work/target.out")"
	"$XTOOL" close "$win"
	finish "$target_pid"
	[ "$status" -eq 0 ] || fail "the drop target exited with $status"
}


case_screenshots() {
	echo data >"$work/Read Me.txt"
	chmod 754 "$work/Read Me.txt"
	start host "$HOST" "$ADDON" "$work/Read Me.txt"
	window "Read Me.txt"
	shoot permissions
	click $cancel_x $buttons_y
	exited_well "$host_pid"

	echo data >"$work/unreadable"
	# A host built with AddressSanitizer needs its runtime loaded before anything else.
	local preload=$FAILING_STAT asan
	asan=$(ldd "$HOST" | awk '/libasan/ { print $3 }')
	[ -n "$asan" ] && preload="$asan:$preload"
	start host env LD_PRELOAD="$preload" FAILING_STAT_NAME=/unreadable "$HOST" "$ADDON" \
		"$work/unreadable"
	window "Bitgate Error"
	shoot unreadable-alert
	keys Return
	window unreadable
	shoot unreadable
	click $cancel_x $buttons_y
	exited_well "$host_pid"
}


case_bitwell() {
	echo one >"$work/one"
	echo two >"$work/two"
	chmod 640 "$work/one" "$work/two"
	start bitwell "$BITWELL"
	window Drop
	[ "$win_x $win_y $win_w $win_h" = "100 80 201 41" ] || fail "drop window at $win_x,$win_y"
	local drop=$win
	shoot drop-before
	printf 'file://%s\r\n' "$work/one" "$work/two" >"$work/list"
	"$XTOOL" drop "$drop" $((win_x + 60)) $((win_y + 20)) text/uri-list "$work/list" \
		| grep -qx finished || fail "the drop was not finished"
	window one
	local first=$win
	window two
	box 2 0
	click $set_x $buttons_y
	"$XTOOL" wait-gone "$win" 10000 || fail "the second window stayed"
	mode_is "$work/two" 644
	"$XTOOL" close "$first"
	"$XTOOL" wait-gone "$first" 10000 || fail "the first window stayed"
	mode_is "$work/one" 640
	win=$drop
	shoot drop-after
	"$XTOOL" close "$drop"
	finish "$bitwell_pid"
	[ "$status" -eq 0 ] || fail "Bitwell exited with $status"
	grep -q "^DropView's PrintToStream()" "$work/bitwell.out" \
		&& grep -q 'name="two"' "$work/bitwell.out" || fail "no dump: $(cat "$work/bitwell.out")"
}


case_bitwell_items() {
	touch "$work/a" "$work/b" "$work/c"
	start bitwell "$BITWELL" "sftp://host/x" "$work/a" "$work/b" "file://$work/c"
	window a
	local permissions=$win
	xdotool search --name '^(b|c)$' >/dev/null && fail "more than the first item opened"
	"$XTOOL" close "$permissions"
	"$XTOOL" wait-gone "$permissions" 10000 || fail "the window stayed"
	xdotool search --name '^(b|c)$' >/dev/null && fail "more than the first item opened"
	window Drop
	"$XTOOL" close "$win"
	finish "$bitwell_pid"
	[ "$status" -eq 0 ] || fail "Bitwell exited with $status"
	grep -q "^My PrintToStream():" "$work/bitwell.out" || fail "no dump: $(cat "$work/bitwell.out")"
	grep -q 'leaving out "sftp://host/x"' "$work/bitwell.err" || fail "said $(cat "$work/bitwell.err")"
}


# Drops on Bitwell as file managers make them: the bare paths offered beside the list, names
# that are gone by the time they land, and lists with nothing in them.
case_bitwell_drops() {
	start bitwell "$BITWELL"
	window Drop
	local drop=$win x=$((win_x + 60)) y=$((win_y + 20))

	# Each drop is answered, also when it names nothing that exists.
	: >"$work/empty"
	"$XTOOL" drop "$drop" $x $y text/uri-list "$work/empty" text/plain "$work/empty" \
		>"$work/drop.txt" || fail "the empty drop failed"
	grep -qx finished "$work/drop.txt" || fail "the empty drop was not finished"
	printf 'file://%s\r\n' "$work/gone" "$work/never/there" >"$work/list"
	"$XTOOL" drop "$drop" $x $y text/uri-list "$work/list" | grep -qx finished \
		|| fail "the drop of missing names was not finished"
	"$XTOOL" drop "$drop" $x $y text/uri-list - | grep -qx finished \
		|| fail "the drop whose data was refused was not finished"

	# A name holding a newline, whose two lines as bare paths would name two other files.
	local real="$work/n"$'\n'"$work/decoy"
	mkdir -p "$(dirname "$real")"
	touch "$real" "$work/n" "$work/decoy"
	chmod 600 "$real" "$work/n" "$work/decoy"
	printf '%s\n' "$real" >"$work/paths"
	printf 'file://%s\r\n' "$work/n%0A$work/decoy" >"$work/list"
	"$XTOOL" drop "$drop" $x $y text/plain\;charset=utf-8 "$work/paths" text/uri-list \
		"$work/list" >"$work/drop.txt" || fail "the drop failed"
	grep -qx finished "$work/drop.txt" || fail "the drop was not finished"
	grep -qx "asked text/uri-list" "$work/drop.txt" || fail "$(cat "$work/drop.txt")"
	window decoy
	box 2 0
	click $set_x $buttons_y
	"$XTOOL" wait-gone "$win" 10000 || fail "the window stayed"
	mode_is "$real" 604
	mode_is "$work/n" 600
	mode_is "$work/decoy" 600

	# Missing names among existing ones: only the existing ones open, with no alerts.
	touch "$work/a b" "$work/100%" "$work/#hash" "$work/café"
	printf 'file://%s\r\n' "$work/gone" "$work/a%20b" "$work/also%20gone" "$work/100%25" \
		"$work/never/there" "$work/%23hash" "$work/caf%C3%A9" >"$work/list"
	"$XTOOL" drop "$drop" $x $y text/uri-list "$work/list" | grep -qx finished \
		|| fail "the drop was not finished"
	local name windows=()
	for name in "a b" "100%" "#hash" "café"; do
		window "$name"
		windows+=("$win")
	done
	xdotool search --name '^Bitgate Error$' >/dev/null && fail "an alert for a missing name"
	for win in "${windows[@]}"; do
		"$XTOOL" close "$win"
		"$XTOOL" wait-gone "$win" 10000 || fail "a window stayed"
	done

	"$XTOOL" close "$drop"
	finish "$bitwell_pid"
	[ "$status" -eq 0 ] || fail "Bitwell exited with $status"
	# The view saw refs in the last two drops only: one, then four.
	[ "$(grep -oE "entry +refs, type='RREF', c=[0-9]+," "$work/bitwell.out" \
		| grep -oE "c=[0-9]+" | tr '\n' ' ')" = "c=1 c=4 " ] \
		|| fail "dropped: $(cat "$work/bitwell.out")"
}


"case_$1"
