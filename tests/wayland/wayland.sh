#!/bin/bash
# Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
#
# wayland.sh CASE: the installed tree in a Wayland session of today's desktops, GNOME (gnome-shell
# headless, with Nautilus) or KDE (kwin_wayland on a virtual screen, with Dolphin), as a person
# uses it: the file managers are Wayland programs, ours run through Xwayland. Each case gets a
# desktop of its own, run as an unprivileged user (bitgate-test, when run as root) with a home in
# a temporary folder, inside a D-Bus session, with a second bus standing in for the system's.
# BUILD and CMAKE name the build folder and its cmake; a failing case leaves the screen in SHOTS.
# Exits 77 (skipped), saying why, when something the case needs is not installed.

set -u

here=$(dirname "$(readlink -f "$0")")
user=bitgate-test

skip() {
	echo "skipped: $*"
	exit 77
}

needs() {
	local tool
	for tool in "$@"; do
		command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/install-wayland-deps)"
	done
}

outside() {
	local case=$1
	case $case in
		gnome_*) needs gnome-shell pipewire wireplumber nautilus ;;
		kde_*) needs kwin_wayland dolphin ;;
		*) echo "wayland.sh: unknown case $case" >&2; exit 2 ;;
	esac
	needs dbus-run-session xdotool xwininfo xprop setpriv python3 convert
	/usr/bin/python3 -c 'import dbus, pyatspi' 2>/dev/null \
		|| skip "python3 has no dbus or pyatspi (scripts/install-wayland-deps)"

	work=$(mktemp -d)
	cleanup() {
		rm -rf "$work"
	}
	trap cleanup EXIT INT TERM
	chmod 755 "$work"
	"$CMAKE" --install "$BUILD" --prefix "$work/prefix" >"$work/install.log" 2>&1 \
		|| { cat "$work/install.log"; echo "FAIL: cmake --install"; exit 1; }

	local -a as_user=()
	if [ "$(id -u)" -eq 0 ]; then
		id "$user" >/dev/null 2>&1 || useradd --system --user-group --no-create-home \
			--home-dir /nonexistent --shell /usr/sbin/nologin "$user" \
			|| { echo "FAIL: no user $user"; exit 1; }
		as_user=(setpriv --reuid="$(id -u "$user")" --regid="$(id -g "$user")" --clear-groups)
	fi
	mkdir -p "$work/home/.local/share" "$work/home/.config" "$work/home/.cache" "$work/files"
	mkdir -m 700 "$work/runtime"
	# The desktop's indexer would start through D-Bus with the file manager and read the whole
	# machine: the user's own service files come first, and these fail at once.
	local service
	mkdir -p "$work/home/.local/share/dbus-1/services"
	for service in org.freedesktop.Tracker3.Miner.Files org.freedesktop.Tracker3.Miner.Extract \
		org.freedesktop.LocalSearch3 org.freedesktop.LocalSearch3.Control; do
		printf '[D-BUS Service]\nName=%s\nExec=/bin/false\n' "$service" \
			>"$work/home/.local/share/dbus-1/services/$service.service"
	done
	# KWin copied without the file capability that a container may refuse it.
	if [[ $case == kde_* ]]; then
		cp "$(command -v kwin_wayland)" "$work/kwin_wayland"
	fi
	# The installed tree stays root's, as in /usr: Dolphin takes service menus only from root's
	# files or executable ones.
	[ ${#as_user[@]} -gt 0 ] && chown "$user:" "$work" && chown -R "$user:" "$work/home" \
		"$work/files" "$work/runtime"
	# The compositors' Xwayland puts its socket there, as any X server does; a fresh machine
	# that never ran one lacks the folder.
	if [ ! -d /tmp/.X11-unix ]; then
		mkdir -m 1777 /tmp/.X11-unix 2>/dev/null && chmod 1777 /tmp/.X11-unix \
			|| skip "/tmp/.X11-unix is missing, and only root makes it"
	fi

	setsid "${as_user[@]}" env -i \
		HOME="$work/home" USER="$user" LOGNAME="$user" \
		PATH="$work/prefix/bin:/usr/local/bin:/usr/bin:/bin" \
		XDG_RUNTIME_DIR="$work/runtime" \
		XDG_DATA_DIRS="$work/prefix/share:/usr/local/share:/usr/share" \
		XDG_CONFIG_DIRS=/etc/xdg \
		LANG=C.UTF-8 LC_ALL=C.UTF-8 \
		WORK="$work" \
		dbus-run-session -- "$0" --system "$case" &
	local session=$!
	wait "$session"
	local status=$?
	if [ -n "${SHOTS-}" ] && [ -f "$work/screen.png" ] && mkdir -p "$SHOTS"; then
		cp "$work/screen.png" "$SHOTS/wayland_$case.png" && echo "the screen: $SHOTS/wayland_$case.png"
	fi
	# What the session started and left behind goes with it.
	kill -- -"$session" 2>/dev/null
	exit $status
}

case ${1-} in
	--system)
		# The outer bus is the desktop's system bus; the session's is a bus of its own.
		export DBUS_SYSTEM_BUS_ADDRESS=$DBUS_SESSION_BUS_ADDRESS
		unset DBUS_SESSION_BUS_ADDRESS
		exec dbus-run-session -- "$0" --session "$2"
		;;
	--session)
		# shellcheck source=session.sh
		source "$here/session.sh"
		"case_$2"
		;;
	*)
		[ $# -eq 1 ] || { echo "usage: wayland.sh CASE" >&2; exit 2; }
		outside "$1"
		;;
esac
