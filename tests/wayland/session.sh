# Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
#
# The cases of wayland.sh, run inside the D-Bus session as the test user, with the installed
# tree first in PATH and XDG_DATA_DIRS. WORK is the case's folder. The desktop is worked through
# desk.py (pointer and keys through the compositor, screenshots, the window list); our own
# windows, X11 ones, are found and measured through Xwayland.

work=$WORK
files=$work/files
desk_socket=$work/desk.sock
# shellcheck source=../lib/helpers.sh
source "$here/../lib/helpers.sh"
trap stop_children EXIT

fail() {
	echo "FAIL: $*" >&2
	# The screen as it was, to tell why.
	[ -S "$desk_socket" ] && desk shot "$work/screen.png" 2>/dev/null
	local log
	for log in "$work"/*.err "$work"/bitwell.out; do
		[ -s "$log" ] && { echo "--- $(basename "$log"):"; tail -n 15 "$log"; } >&2
	done
	exit 1
}

desk() {
	/usr/bin/python3 "$here/desk.py" send "$desk_socket" "$@"
}

# start_desk gnome|kde: the hand on the desktop, once the compositor takes it.
start_desk() {
	start desk /usr/bin/python3 "$here/desk.py" serve "$1" "$desk_socket"
	local deadline=$((SECONDS + 60))
	until [ -S "$desk_socket" ]; do
		kill -0 "$desk_pid" 2>/dev/null || fail "desk.py ended"
		[ $SECONDS -le $deadline ] || fail "desk.py did not start"
		sleep 0.1
	done
}

x_display_up() {
	xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}

# x_display PID...: the X display that one of PID... holds the lock of; sets DISPLAY.
x_display() {
	local lock pid
	for lock in /tmp/.X*-lock; do
		[ -f "$lock" ] || continue
		read -r pid <"$lock"
		for wanted in "$@"; do
			if [ "$pid" = "$wanted" ]; then
				lock=${lock#/tmp/.X}
				export DISPLAY=":${lock%-lock}"
				return 0
			fi
		done
	done
	return 1
}

start_gnome() {
	export XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_DESKTOP=gnome
	export WAYLAND_DISPLAY=bitgate-wayland GDK_BACKEND=wayland GIO_USE_VFS=local
	export NO_AT_BRIDGE=0 GTK_A11Y=atspi
	gsettings set org.gnome.desktop.interface enable-animations false
	# The tests' extension tells where the windows are.
	local extensions=$HOME/.local/share/gnome-shell/extensions
	mkdir -p "$extensions"
	cp -r "$here/extension" "$extensions/bitgate-tests@bitgate.org"
	gsettings set org.gnome.shell enabled-extensions "['bitgate-tests@bitgate.org']"
	start pipewire pipewire
	until_true 20 "pipewire did not start" test -S "$XDG_RUNTIME_DIR/pipewire-0"
	start wireplumber wireplumber
	start shell gnome-shell --headless --wayland --wayland-display "$WAYLAND_DISPLAY" \
		--virtual-monitor "${monitor:-1280x1024}"
	local deadline=$((SECONDS + 90))
	until [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] && x_display "$shell_pid"; do
		kill -0 "$shell_pid" 2>/dev/null || fail "gnome-shell ended"
		[ $SECONDS -le $deadline ] || fail "gnome-shell did not start"
		sleep 0.1
	done
	local auth
	for auth in "$XDG_RUNTIME_DIR"/.mutter-Xwaylandauth.*; do
		[ -f "$auth" ] && export XAUTHORITY=$auth
	done
	until_true 60 "Xwayland did not start" x_display_up
	start_desk gnome
	until_true 30 "the tests' shell extension does not answer" desk windows >/dev/null 2>&1
	# The shell starts in the overview; the first press in a fresh session never arrives.
	desk key Escape sleep 0.5 move 1270 1010 down up sleep 0.2 >/dev/null || fail "no input"
}

start_kde() {
	export XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=KDE KDE_FULL_SESSION=true
	export WAYLAND_DISPLAY=bitgate-wayland QT_QPA_PLATFORM=wayland
	export KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1
	export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1
	export QT_LOGGING_RULES="kwin_scripting.debug=true;js.debug=true;qml.debug=true"
	export KWIN_LOG=$work/kwin.err
	# KWin starts this once Xwayland runs, with the displays in its environment.
	printf '#!/bin/sh\nenv >"%s/kwin.env.new" && mv "%s/kwin.env.new" "%s/kwin.env"\nexec sleep 100000\n' \
		"$work" "$work" "$work" >"$work/announce"
	chmod 755 "$work/announce"
	start kwin "$work/kwin_wayland" --virtual --xwayland --socket "$WAYLAND_DISPLAY" \
		--width "${width:-1280}" --height "${height:-1024}" ${scale:+--scale "$scale"} "$work/announce"
	local deadline=$((SECONDS + 90))
	until [ -f "$work/kwin.env" ]; do
		kill -0 "$kwin_pid" 2>/dev/null || fail "kwin_wayland ended"
		[ $SECONDS -le $deadline ] || fail "kwin_wayland did not start"
		sleep 0.1
	done
	DISPLAY=$(sed -n 's/^DISPLAY=//p' "$work/kwin.env")
	XAUTHORITY=$(sed -n 's/^XAUTHORITY=//p' "$work/kwin.env")
	export DISPLAY XAUTHORITY
	until_true 60 "Xwayland did not start" x_display_up
	start_desk kde
}

# x_window TITLE: waits for a visible X window titled TITLE; sets win and its inside on the
# screen, win_x, win_y, win_w, win_h.
x_window() {
	local deadline=$((SECONDS + 30))
	until titled "$1"; do
		[ $SECONDS -le $deadline ] || fail "no window \"$1\"; there are: $(titles)"
		sleep 0.05
	done
	until_true 10 "window \"$1\" has no place" inside "$win"
}

titled() {
	local id
	win=
	for id in $(xdotool search --onlyvisible --name . 2>/dev/null); do
		# The compositor's frame windows carry the client's name: the client has WM_STATE.
		if [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$1" ] \
			&& xprop -id "$id" WM_STATE 2>/dev/null | grep -q 'window state'; then
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

# inside ID: the window's inside on the screen, whatever frame is around it: win_x, win_y,
# win_w, win_h.
inside() {
	local info
	info=$(xwininfo -id "$1" 2>/dev/null) || return 1
	grep -q IsViewable <<<"$info" || return 1
	win_x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
	win_y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
	win_w=$(sed -n 's/.*Width: *//p' <<<"$info")
	win_h=$(sed -n 's/.*Height: *//p' <<<"$info")
}

window_gone() {
	! xwininfo -id "$1" 2>/dev/null | grep -q 'IsViewable'
}

# desktop_window CLASS: waits for the Wayland window of CLASS; sets its inside on the screen,
# dw_x, dw_y, dw_w, dw_h, and dw_focus (1 when it has the keyboard).
desktop_window() {
	local deadline=$((SECONDS + 60)) line
	while true; do
		line=$(desk windows | awk -v class="$1" 'tolower($1) == tolower(class) && $4 > 0 { print; exit }')
		if [ -n "$line" ]; then
			read -r _ dw_x dw_y dw_w dw_h dw_focus _ <<<"$line"
			return 0
		fi
		[ $SECONDS -le $deadline ] || fail "no window of $1; there are: $(desk windows | tr '\n' ';')"
		sleep 0.2
	done
}

# Where things are in a permissions window, from the top-left corner of its inside: the owner's
# execute box and "Set".
owner_x_box=(21 85)
set_button=(211 119)

one_file="a b%#é.txt"
two_files=("c d#1" "e%20f ünï")
make_selections() {
	mkdir -p "$files/one" "$files/two"
	echo data >"$files/one/$one_file"
	for name in "${two_files[@]}"; do
		echo data >"$files/two/$name"
	done
	chmod 644 "$files/one/$one_file" "$files/two/"*
}

mode_is() {
	[ "$(stat -c %a "$1")" = "$2" ]
}

click() {
	desk move "$1" "$2" sleep 0.1 down sleep 0.05 up sleep 0.1 >/dev/null || fail "no click"
}

# set_owner_execute ID FILE: ticks the owner's execute box in ID, presses "Set", and FILE
# becomes 744.
set_owner_execute() {
	inside "$1" || fail "window $1 is gone"
	click $((win_x + owner_x_box[0])) $((win_y + owner_x_box[1]))
	click $((win_x + set_button[0])) $((win_y + set_button[1]))
	until_true 10 "$2 has mode $(stat -c %a "$2"), not 744" mode_is "$2" 744
	until_true 10 "the window stayed after \"Set\"" window_gone "$1"
}

# has_keyboard ID: the X window ID is the active one and has the X input focus.
has_keyboard() {
	local active focus
	active=$(xprop -root _NET_ACTIVE_WINDOW 2>/dev/null | sed -n 's/.*# *//p')
	focus=$(xdotool getwindowfocus 2>/dev/null)
	[ -n "$active" ] && [ $((active)) -eq "$1" ] && [ "$focus" -eq "$1" ]
}

# start_bitwell X Y: Bitwell from the installed tree, its "Drop" window moved to X,Y; sets
# drop_x, drop_y (its centre).
start_bitwell() {
	start bitwell Bitwell
	local deadline=$((SECONDS + 30))
	until titled Drop; do
		if ! kill -0 "$bitwell_pid" 2>/dev/null; then
			wait "$bitwell_pid"
			fail "Bitwell exited with status $? before its window showed"
		fi
		[ $SECONDS -le $deadline ] || fail "no Drop window; there are: $(titles)"
		sleep 0.05
	done
	drop_win=$win
	xdotool windowmove "$drop_win" "$1" "$2"
	until_true 10 "the Drop window did not move to $1,$2" moved_to "$drop_win" "$1" "$2"
	drop_x=$((win_x + win_w / 2)) drop_y=$((win_y + win_h / 2))
}

moved_to() {
	inside "$1" && [ $((win_x - $2)) -le 60 ] && [ $((win_x - $2)) -ge -60 ] \
		&& [ $((win_y - $3)) -le 80 ] && [ $((win_y - $3)) -ge -80 ]
}

# drag X Y: presses the pointer's button at X,Y, moves in small steps past the toolkits' drag
# thresholds, then over to the Drop window in steps 40 ms apart, and lets go there.
drag() {
	local x=$1 y=$2 step
	local -a moves=(move "$x" "$y" sleep 0.2 down sleep 0.2)
	for step in 2 4 6 8 10 14 18 24 30; do
		moves+=(move $((x + step)) $((y + step)) sleep 0.04)
	done
	x=$((x + 30)) y=$((y + 30))
	for step in $(seq 1 20); do
		moves+=(move $((x + (drop_x - x) * step / 20)) $((y + (drop_y - y) * step / 20)) sleep 0.04)
	done
	moves+=(move $((drop_x + 1)) "$drop_y" sleep 0.05 move "$drop_x" "$drop_y" sleep 0.5 up)
	desk "${moves[@]}" >/dev/null || fail "the drag did not go"
}

# file_manager CLASS FOLDER COMMAND...: starts the file manager on FOLDER and waits for its
# window; sets fm_pid and its inside dw_*.
file_manager() {
	local class=$1 folder=$2
	shift 2
	start fm "$@" "$folder"
	desktop_window "$class"
	desk place "$class" 0 40 700 520 >/dev/null || fail "the file manager's window was not placed"
	until_true 10 "the file manager's window did not move to the top left corner" \
		placed_in_corner "$class"
}

placed_in_corner() {
	desktop_window "$1"
	# Below a title bar, under KDE.
	[ "$dw_x" -lt 40 ] && [ "$dw_y" -lt 100 ] && [ "$dw_w" -ge 600 ] && [ "$dw_h" -ge 440 ]
}

# item NAME: where the file manager shows NAME, on the screen; sets item_x, item_y (its
# centre). The tree gives places inside the window.
item() {
	local x y w h
	read -r x y w h < <(/usr/bin/python3 "$here/tree.py" extents "$fm_pid" "$1" 60) \
		|| fail "no item \"$1\" in the file manager"
	[ -n "$h" ] || fail "no item \"$1\" in the file manager"
	item_x=$((dw_x + x + w / 2)) item_y=$((dw_y + y + h / 2))
	# Without an icon theme of its own Dolphin draws no icon, and a press there starts a rubber
	# band: the name is what can be taken.
	[ -n "${grab_label-}" ] && item_y=$((dw_y + y + h - 12))
}

# drop_case CLASS COMMAND...: the file manager shows a folder with one file; the file dragged
# from it onto Bitwell's "Drop" window gets its window, and "Set" there changes it.
drop_case() {
	local class=$1
	shift
	make_selections
	file_manager "$class" "$files/one" "$@"
	item "$one_file"
	start_bitwell 900 300
	drag "$item_x" "$item_y"
	x_window "$one_file"
	set_owner_execute "$win" "$files/one/$one_file"
	echo ok
}

# entry_case CLASS -- ITEM... -- COMMAND...: the file manager shows a folder with one file;
# with it selected, the Menu key opens the context menu, and the menu is walked down to each
# ITEM in turn (as the clients' tests do: NAME, or NAME=KEY for an item that only lists its
# keys in the tree); our window opens with the keyboard, and "Set" there changes the file.
entry_case() {
	local class=$1
	shift 2
	local -a path=()
	while [ "$1" != -- ]; do
		path+=("$1")
		shift
	done
	shift
	make_selections
	file_manager "$class" "$files/one" "$@"
	item "$one_file"
	click "$item_x" "$item_y"
	desk sleep 0.5 key Menu sleep 0.5 >/dev/null || fail "the Menu key did not go"
	ATSPI_PRESS="/usr/bin/python3 $here/desk.py send $desk_socket key" \
		/usr/bin/python3 "$here/../clients/atspi.py" choose "$fm_pid" "${path[@]}" \
		|| fail "could not choose ${path[*]} in the menu"
	x_window "$one_file"
	local id=$win
	until_true 10 "our window does not have the keyboard (active: $(xprop -root _NET_ACTIVE_WINDOW), focus: $(xdotool getwindowfocus 2>&1))" \
		has_keyboard "$id"
	set_owner_execute "$id" "$files/one/$one_file"
	echo ok
}

# cascade_case: the add-on's host opens two windows; the second's inside lies 14,14 (times the
# scale) right and down of the first's, and both frames lie inside the desktop's work area.
cascade_case() {
	make_selections
	start host run-tracker-addon Bitgate-AddOn "$files/two/${two_files[0]}" "$files/two/${two_files[1]}"
	x_window "${two_files[0]}"
	local first=$win x1=$win_x y1=$win_y
	x_window "${two_files[1]}"
	local second=$win x2=$win_x y2=$win_y
	desk shot "$work/cascade.png" >/dev/null
	local scale=${scale:-1}
	local -a area
	read -r -a area < <(xprop -root _NET_WORKAREA | sed -n 's/.*= *//p' | sed 's/,//g')
	if [ ${#area[@]} -lt 4 ]; then
		# KWin publishes none to Xwayland: the work area is the screen.
		read -r -a area < <(xwininfo -root | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print 0, 0, w, h }')
		echo "no _NET_WORKAREA: the screen, ${area[*]}"
	fi
	local id left right top bottom
	for id in "$first" "$second"; do
		left=0 right=0 top=0 bottom=0
		read -r left right top bottom < <(xprop -id "$id" _NET_FRAME_EXTENTS | sed -n 's/.*= *//p' | sed 's/,//g')
		inside "$id"
		echo "window $id: inside at $win_x,$win_y ${win_w}x$win_h, frame $left $right $top $bottom"
		[ $((win_x - ${left:-0})) -ge "${area[0]}" ] && [ $((win_y - ${top:-0})) -ge "${area[1]}" ] \
			&& [ $((win_x + win_w + ${right:-0})) -le $((area[0] + area[2])) ] \
			&& [ $((win_y + win_h + ${bottom:-0})) -le $((area[1] + area[3])) ] \
			|| fail "the frame of window $id ($((win_x - ${left:-0})),$((win_y - ${top:-0})) $((win_w + ${left:-0} + ${right:-0}))x$((win_h + ${top:-0} + ${bottom:-0}))) is not inside the work area ${area[*]}"
	done
	[ $((x2 - x1)) -eq $((14 * scale)) ] && [ $((y2 - y1)) -eq $((14 * scale)) ] \
		|| fail "the second window lies $((x2 - x1)),$((y2 - y1)) from the first (at $x1,$y1), not $((14 * scale)),$((14 * scale))"
	echo ok
}

# The scripts, ours with a key of its own: GTK 4.18 gives Nautilus's menu items no names, only
# their keys.
nautilus_scripts() {
	bitgate-user-actions install >"$work/user-actions.out" 2>&1 \
		|| fail "bitgate-user-actions: $(cat "$work/user-actions.out")"
	mkdir -p "$HOME/.config/nautilus"
	echo "F12 Edit Permissions" >"$HOME/.config/nautilus/scripts-accels"
}

case_gnome_drag() {
	start_gnome
	drop_case org.gnome.Nautilus nautilus --new-window
}

case_gnome_entry() {
	start_gnome
	nautilus_scripts
	entry_case org.gnome.Nautilus -- "Scripts=Alt+s" "Edit Permissions=F12" -- nautilus --new-window
}

case_gnome_cascade() {
	start_gnome
	cascade_case
}

case_kde_drag() {
	start_kde
	grab_label=1
	drop_case org.kde.dolphin dolphin
}

case_kde_entry() {
	start_kde
	grab_label=1
	entry_case org.kde.dolphin -- "Edit Permissions" -- dolphin
}

case_kde_cascade() {
	start_kde
	cascade_case
}
