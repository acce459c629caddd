# Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
#
# The cases of clients.sh, run inside the D-Bus session as the test user, with the installed
# tree first in PATH and XDG_DATA_DIRS. WORK is the case's folder, XTOOL the X helper.

case=$2
work=$WORK
files=$work/files
atspi="/usr/bin/python3 $here/atspi.py"
# shellcheck source=../lib/helpers.sh
source "$here/../lib/helpers.sh"
trap stop_children EXIT

fail() {
	echo "FAIL: $*" >&2
	# The screen as it was, to tell why.
	import -window root "$work/screen.png" 2>/dev/null
	for log in "$work"/*.err "$work"/bitwell.out; do
		[ -s "$log" ] && { echo "--- $(basename "$log"):"; tail -n 15 "$log"; } >&2
	done
	exit 1
}

# window TITLE: waits for a visible window titled TITLE; sets win and its inside on the screen,
# win_x, win_y, win_w, win_h.
window() {
	local deadline=$((SECONDS + 30))
	until titled "$1"; do
		[ $SECONDS -le $deadline ] || fail "no window \"$1\"; there are: $(titles)"
		sleep 0.05
	done
	inside "$win"
}

titled() {
	local id
	win=
	for id in $(xdotool search --onlyvisible --name . 2>/dev/null); do
		if [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$1" ]; then
			win=$id
			return 0
		fi
	done
	return 1
}

titles() {
	local id
	for id in $(xdotool search --onlyvisible --name . 2>/dev/null); do
		printf '"%s" ' "$(xdotool getwindowname "$id")"
	done
}

# window_of PID: waits for PID's first visible window; sets win. (A search fails now and then
# when a window goes while it runs: it is simply run again.)
window_of() {
	within 30 window_of_now "$1" || fail "process $1 shows no window"
}

window_of_now() {
	win=$(xdotool search --onlyvisible --pid "$1" 2>/dev/null | head -n 1)
	[ -n "$win" ]
}

# place ID X Y WIDTH HEIGHT: asks the window manager; callers wait for the result.
place() {
	xdotool windowsize "$1" "$4" "$5" windowmove "$1" "$2" "$3"
}

# Where things are in a permissions window, from the top-left corner of its inside: the owner's
# execute box and "Set".
owner_x_box=(21 85)
set_button=(211 119)

# The selections: one file; two files; one folder. Each lies alone in a folder of its own, so
# that "select all" selects it and nothing else. The names hold a space, '%' (also as a
# sequence that would decode), '#' and non-ASCII letters.
one_file="a b%#é.txt"
two_files=("c d#1" "e%20f ünï")
a_folder="g h%#é dir"
make_selections() {
	mkdir -p "$files/one" "$files/two" "$files/folder/$a_folder"
	echo data >"$files/one/$one_file"
	for name in "${two_files[@]}"; do
		echo data >"$files/two/$name"
	done
	chmod 644 "$files/one/$one_file" "$files/two/"*
}

# start_file_manager FOLDER COMMAND...: starts the file manager on FOLDER, at the top left;
# sets fm_pid and fm_win with its geometry fm_x, fm_y, fm_w, fm_h.
start_file_manager() {
	local folder=$1
	shift
	start fm "$@" "$folder"
	window_of "$fm_pid"
	fm_win=$win
	place "$fm_win" 0 0 700 520
	until_true 10 "the file manager's window did not move" moved_to_corner
}

moved_to_corner() {
	inside "$fm_win"
	fm_x=$win_x fm_y=$win_y fm_w=$win_w fm_h=$win_h
	# Sizes differ by the frames the toolkits draw themselves.
	[ "$fm_x" -lt 40 ] && [ "$fm_y" -lt 60 ] && [ "$fm_w" -ge 600 ] && [ "$fm_h" -ge 440 ]
}

stop_file_manager() {
	kill "$fm_pid" 2>/dev/null
	until_true 10 "the file manager did not quit" gone "$fm_pid"
}

gone() {
	! kill -0 "$1" 2>/dev/null
}

# inside ID: the window's inside on the screen, whatever frame the window manager put around
# it: win_x, win_y, win_w, win_h.
inside() {
	local info
	info=$(xwininfo -id "$1") || return 1
	win_x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
	win_y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
	win_w=$(sed -n 's/.*Width: *//p' <<<"$info")
	win_h=$(sed -n 's/.*Height: *//p' <<<"$info")
}

# loaded NAME: where the file manager shows its items in the accessibility tree (item_role),
# waits for NAME's; sets item_x, item_y to its centre. Pressing keys before a folder is loaded
# can stop Nautilus loading it.
item_role=
loaded() {
	[ -n "$item_role" ] || return 0
	local x y w h
	read -r x y w h < <($atspi extents "$fm_pid" "$item_role" "$1") || fail "no item \"$1\""
	[ -n "$h" ] || fail "no item \"$1\""
	item_x=$((x + w / 2)) item_y=$((y + h / 2)) item_label_y=$((y + h - 12))
}

# Qt's context menus are outside the accessibility tree, and GTK 4.18's menu items have no
# names or places there: with menu_walk set, the menu is walked with the keyboard, each item's
# name read as it takes the focus.
menu_walk=

# context_menu ITEM SELECTED...: selects everything in the view, waits until the items
# SELECTED... are, and opens the context menu with the keyboard, until ITEM shows in it (or,
# walked, until the menu shows; the folder may still be loading at first).
context_menu() {
	local item=$1 deadline=$((SECONDS + 40)) before tries=0 name key
	shift
	while true; do
		before=$(popups)
		tries=$((tries + 1))
		# Now and then openbox leaves the keyboard on its own window, and a click on the file
		# manager's does not take it back (seen with Dolphin): given to it outright.
		xdotool windowfocus "$fm_win" windowactivate "$fm_win" 2>/dev/null
		if [ $tries -gt 1 ] && [ -n "${locate_item-}" ]; then
			# Where Ctrl+A did not take, each item is clicked until it is selected, the first
			# alone, the others with Ctrl.
			key=
			for name in "$@"; do
				$atspi locate "$fm_pid" "$item_role" "$name" "$fm_x" "$fm_y" $key >/dev/null
				key=ctrl
			done
		else
			# A click on the view's empty lower right gives it the keyboard.
			xdotool mousemove $((fm_x + fm_w - 30)) $((fm_y + fm_h - 60)) click 1 key ctrl+a
		fi
		# A menu opened before the selection took offers nothing for it.
		if selection_taken "$@"; then
			xdotool key Menu
			if [ -n "$menu_walk" ]; then
				# GTK 4.8's menu shares its window; its items have names there.
				within 3 more_popups "$before" && return
				$atspi wait "$fm_pid" "${item%%=*}" 3 && return
			else
				$atspi wait "$fm_pid" "$item" 3 && return
			fi
		fi
		# The next click closes the menu (no Escape: Nautilus stops loading the folder).
		[ $SECONDS -le $deadline ] || {
			echo "the keyboard's window: $(xdotool getwindowfocus getwindowname 2>&1)" >&2
			echo "focused and selected in the file manager:" >&2
			ATSPI_SECONDS=5 $atspi dump "$fm_pid" focused selected >&2
			fail "no \"$item\" in the context menu"
		}
	done
}

# selection_taken NAME...: waits a few seconds until the items NAME... are selected in the
# tree, where the file manager has its items there (item_role), or else until its status bar
# names the one item or tells of a selection.
selection_taken() {
	local name
	if [ -z "$item_role" ]; then
		if [ $# -eq 1 ]; then
			ATSPI_SECONDS=5 $atspi says "$fm_pid" "status bar" "\"$1\"" >/dev/null
		else
			ATSPI_SECONDS=5 $atspi says "$fm_pid" "status bar" "Selection" "selected" >/dev/null
		fi
		return
	fi
	for name in "$@"; do
		ATSPI_SECONDS=5 $atspi selected "$fm_pid" "$item_role" "$name" >/dev/null || return 1
	done
}

popups() {
	xdotool search --onlyvisible --pid "$fm_pid" 2>/dev/null | wc -l
}

more_popups() {
	[ "$(popups)" -gt "$1" ]
}

# menu_path ITEM...: activates each menu item in turn through the accessibility tree, or walks
# the menu to each.
menu_path() {
	local item
	if [ -n "$menu_walk" ]; then
		$atspi choose "$fm_pid" "$@" || fail "could not choose $* in the menu"
		return
	fi
	for item in "$@"; do
		$atspi activate "$fm_pid" "$item" || fail "could not activate \"$item\""
	done
}

# windows NAME...: the permissions windows for NAME... open; wins holds their ids.
windows() {
	local name
	wins=()
	for name in "$@"; do
		window "$name"
		wins+=("$win")
	done
}

close_windows() {
	local id
	for id in "${wins[@]}"; do
		"$XTOOL" close "$id"
	done
	for id in "${wins[@]}"; do
		until_true 10 "window $id stayed" window_gone "$id"
	done
}

window_gone() {
	! xwininfo -id "$1" 2>/dev/null | grep -q 'IsViewable'
}

# set_owner_execute ID FILE: ticks the owner's execute box in ID, presses "Set", and FILE
# becomes 744.
set_owner_execute() {
	inside "$1"
	xdotool mousemove $((win_x + owner_x_box[0])) $((win_y + owner_x_box[1])) click 1 \
		mousemove $((win_x + set_button[0])) $((win_y + set_button[1])) click 1
	until_true 10 "$2 has mode $(stat -c %a "$2"), not 744" mode_is "$2" 744
}

mode_is() {
	[ "$(stat -c %a "$1")" = "$2" ]
}

# entry MENU_ITEM... -- COMMAND...: with each selection, the file manager (COMMAND) shows the
# entry, reached through MENU_ITEM..., and it opens the selection's windows; with one file,
# "Set" changes it.
entry() {
	local -a path=()
	while [ "$1" != -- ]; do
		path+=("$1")
		shift
	done
	shift
	start_openbox
	make_selections

	start_file_manager "$files/one" "$@"
	loaded "$one_file"
	context_menu "${path[0]}" "$one_file"
	menu_path "${path[@]}"
	windows "$one_file"
	set_owner_execute "${wins[0]}" "$files/one/$one_file"
	close_windows
	stop_file_manager

	start_file_manager "$files/two" "$@"
	loaded "${two_files[0]}"
	context_menu "${path[0]}" "${two_files[@]}"
	menu_path "${path[@]}"
	windows "${two_files[@]}"
	close_windows
	stop_file_manager

	start_file_manager "$files/folder" "$@"
	loaded "$a_folder"
	context_menu "${path[0]}" "$a_folder"
	menu_path "${path[@]}"
	windows "$a_folder"
	close_windows
	stop_file_manager
	echo ok
}

user_actions() {
	bitgate-user-actions install >"$work/user-actions.out" 2>&1 \
		|| fail "bitgate-user-actions: $(cat "$work/user-actions.out")"
}

case_thunar_action() {
	user_actions
	entry "Edit Permissions" -- thunar
}

# GTK 4.18 names no menu item: Nautilus's are told by the keys they list, "Scripts" and
# "Open With…" by their mnemonics, the entry by the accelerator given to its name.
case_nautilus_script() {
	nautilus_environment
	user_actions
	mkdir -p "$HOME/.config/nautilus"
	echo "F12 Edit Permissions" >"$HOME/.config/nautilus/scripts-accels"
	entry "Scripts=Alt+s" "Edit Permissions=F12" -- nautilus --new-window
}

# Without gvfs's daemons Nautilus loads a folder sooner; with a fresh home it still takes up to
# half a minute here, before its items show. GTK 4's GL renderer runs on the processor without a
# GPU, and on a busy machine its frames (the "Loading" spinner's) starve the folder's loading:
# drawn with cairo, they don't. GTK 4 gives positions inside the window (4.18 only roughly): an
# item is found by clicking where it should be until the tree says it is selected.
nautilus_environment() {
	export GIO_USE_VFS=local GSK_RENDERER=cairo ATSPI_SECONDS=60
	item_role="table cell"
	menu_walk=1
	locate_item=1
}

case_nemo_action() {
	user_actions
	[ -e "$HOME/.local/share/nemo/scripts/Edit Permissions" ] \
		&& fail "a Nemo script beside the installed action"
	entry "Edit Permissions" -- nemo
}

# Caja's icon view has its items in the tree; Nemo's has them with no state or place.
case_caja_action() {
	item_role=icon
	entry "Caja-Actions actions" "Edit Permissions" -- caja --no-desktop
}

case_caja_script() {
	item_role=icon
	user_actions
	entry "Scripts" "Edit Permissions" -- caja --no-desktop
}

# Dolphin's view items: Qt 5's table cells, Qt 6's list items.
dolphin_environment() {
	item_role="table cell|list item"
	menu_walk=1
}

case_dolphin_servicemenu() {
	dolphin_environment
	entry "Edit Permissions" -- dolphin
}

case_pcmanfm_action() {
	item_role="list item"
	menu_walk=1
	entry "Edit Permissions" -- pcmanfm-qt
}

# start_bitwell: Bitwell from the installed tree, its "Drop" window on the right, away from the
# file manager's; sets drop_x, drop_y (its centre).
start_bitwell() {
	start bitwell Bitwell
	local deadline=$((SECONDS + 30))
	until titled Drop; do
		if ! kill -0 "$bitwell_pid" 2>/dev/null; then
			wait "$bitwell_pid"
			fail "Bitwell exited with status $? before its window showed"
		fi
		[ $SECONDS -le $deadline ] || fail "no Drop window; there are: $(titles); Bitwell's: $(bitwell_state)"
		sleep 0.05
	done
	local drop=$win
	xdotool windowmove "$drop" 900 300
	until_true 10 "the Drop window did not move" moved_right "$drop"
}

# What a Bitwell that shows no window is doing: its windows, mapped or not, and where its threads
# wait.
bitwell_state() {
	local id thread
	for id in $(xdotool search --pid "$bitwell_pid" 2>/dev/null); do
		printf '%s ' "$(xwininfo -id "$id" 2>/dev/null | sed -n 's/.*Map State: *//p')"
	done
	for thread in /proc/"$bitwell_pid"/task/*; do
		printf '%s:%s ' "$(cat "$thread/comm" 2>/dev/null)" "$(cat "$thread/wchan" 2>/dev/null)"
	done
}

moved_right() {
	inside "$1"
	drop_x=$((win_x + win_w / 2)) drop_y=$((win_y + win_h / 2))
	[ "$win_x" -ge 800 ]
}

# drag X Y: presses the pointer's button at X,Y, moves in small steps past the toolkits' drag
# thresholds, then over to the Drop window, and lets go there.
drag() {
	local x=$1 y=$2 step
	# Paced as a hand would: a busy toolkit must see the press before the moves, and the target's
	# answer must reach the source before the release, or the source gives up the drop.
	local -a moves=(mousemove "$x" "$y" sleep 0.2 mousedown 1 sleep 0.2)
	for step in 2 4 6 8 10 14 18 24 30; do
		moves+=(sleep 0.03 mousemove $((x + step)) $((y + step)))
	done
	x=$((x + 30)) y=$((y + 30))
	for step in 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20; do
		moves+=(sleep 0.03 mousemove $((x + (drop_x - x) * step / 20)) $((y + (drop_y - y) * step / 20)))
	done
	# Sources look at the target under the pointer as it stops: a few more moves on it.
	moves+=(sleep 0.05 mousemove $((drop_x + 1)) "$drop_y" sleep 0.05 mousemove "$drop_x" "$drop_y")
	moves+=(sleep 0.5 mouseup 1)
	xdotool "${moves[@]}"
}

# drop_case X_OFFSET Y_OFFSET -- COMMAND...: the file manager (COMMAND) shows a folder with one
# file; the file dragged from it onto Bitwell's "Drop" window gets its window, and "Set" there
# changes it. Where the file manager shows no items in the accessibility tree, the item lies
# at X_OFFSET, Y_OFFSET from the corner of its pane "Icon view".
drop_case() {
	local dx=$1 dy=$2
	shift 3
	start_openbox
	make_selections
	start_bitwell
	start_file_manager "$files/one" "$@"
	if [ -n "${locate_item-}" ]; then
		loaded "$one_file"
		read -r item_x item_y < <($atspi locate "$fm_pid" "$item_role" "$one_file" "$fm_x" "$fm_y") \
			|| fail "no place where a click selects \"$one_file\""
		[ -n "$item_y" ] || fail "no place where a click selects \"$one_file\""
	elif [ -n "$item_role" ]; then
		loaded "$one_file"
	else
		local x y w h
		read -r x y w h < <($atspi extents "$fm_pid" "directory pane" "Icon view") \
			|| fail "no icon view"
		item_x=$((x + dx)) item_y=$((y + dy))
	fi
	[ -n "${drag_from_label-}" ] && item_y=$item_label_y
	drag "$item_x" "$item_y"
	windows "$one_file"
	set_owner_execute "${wins[0]}" "$files/one/$one_file"
	close_windows
	echo ok
}

case_thunar_drag() {
	drop_case 40 40 -- thunar
}

case_nautilus_drag() {
	nautilus_environment
	drop_case 0 0 -- nautilus --new-window
}

case_dolphin_drag() {
	dolphin_environment
	# Without an icon theme Dolphin draws no icon: only the name can be taken.
	drag_from_label=1
	drop_case 0 0 -- dolphin
}

case_pcmanfm_drag() {
	item_role="list item"
	drop_case 0 0 -- pcmanfm-qt
}

# open_with MENU_ITEM BUTTON -- COMMAND...: the file manager's "Open With" dialog, from its
# context menu's MENU_ITEM, offers Bitwell; chosen, and the dialog's BUTTON pressed, Bitwell
# opens the file's window, where "Set" changes it. Where the dialog's list shows no rows in the
# accessibility tree (BUTTON empty), Bitwell is chosen by typing its name into the list and
# pressing Return.
open_with() {
	local item=$1 button=$2
	shift 3
	start_openbox
	make_selections
	start_file_manager "$files/one" "$@"
	loaded "$one_file"
	context_menu "$item" "$one_file"
	menu_path "$item"
	if [ -n "$button" ]; then
		local x y w h
		read -r x y w h < <($atspi extents "$fm_pid" "*" Bitwell) || fail "Bitwell is not offered"
		[ -n "$h" ] || fail "Bitwell is not offered"
		xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
		$atspi activate "$fm_pid" "$button" || fail "no button \"$button\""
	else
		$atspi extents "$fm_pid" dialog "Open File" >/dev/null || fail "no dialog"
		xdotool type --delay 50 Bitwell
		xdotool key Return
	fi
	windows "$one_file"
	set_owner_execute "${wins[0]}" "$files/one/$one_file"
	close_windows
	echo ok
}

case_thunar_open_with() {
	open_with "Open With Other Application..." Open -- thunar
}

case_nautilus_open_with() {
	nautilus_environment
	open_with "Open With…=Alt+w" "" -- nautilus --new-window
}

