#!/bin/bash
# Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
#
# clients.sh CASE: the installed tree with a real file manager, as a person uses it. Each case
# gets an X server of its own (Xvfb), a window manager (openbox) and a D-Bus session with the
# accessibility bus; the file manager, Bitwell and the add-on run as an unprivileged user
# (bitgate-test, when run as root) with a home in a temporary folder. BUILD and CMAKE name the
# build folder and its cmake, XTOOL the on-screen tests' helper; a failing case leaves the
# screen in SHOTS. Exits 77 (skipped), saying
# why, when something the case needs is not installed.

set -u

here=$(dirname "$(readlink -f "$0")")
user=bitgate-test
python=/usr/bin/python3

skip() {
	echo "skipped: $*"
	exit 77
}

# The program each case drives.
program_of() {
	case $1 in
		thunar_* | nautilus_* | nemo_* | caja_* | dolphin_*) echo "${1%%_*}" ;;
		pcmanfm_*) echo pcmanfm-qt ;;
		*) echo "clients.sh: unknown case $1" >&2; exit 2 ;;
	esac
}

outside() {
	local case=$1 program tool
	program=$(program_of "$case") || exit 2
	command -v "$program" >/dev/null || skip "$program is not installed (scripts/install-client-deps)"
	for tool in Xvfb openbox xmessage dbus-run-session xdotool xprop setpriv; do
		command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/install-client-deps)"
	done
	"$python" -c 'import pyatspi' 2>/dev/null \
		|| skip "$python has no pyatspi (python3-pyatspi, scripts/install-client-deps)"
	if [ "$case" = caja_action ] && ! compgen -G '/usr/lib/*/caja/extensions-2.0/libcaja-actions-menu.so' \
		>/dev/null; then
		skip "caja-actions is not installed"
	fi

	work=$(mktemp -d)
	server=
	cleanup() {
		[ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
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
	# A home as a desktop session has it.
	mkdir -p "$work/home/.local/share" "$work/home/.config" "$work/home/.cache" "$work/files"
	mkdir -m 700 "$work/runtime"
	# The desktop's indexer (its GNOME 48 names beside the older ones) would start through D-Bus
	# with the first file manager and read the whole machine, slowing every folder's load down
	# to a minute: the user's own service files come first, and these fail at once.
	local service
	mkdir -p "$work/home/.local/share/dbus-1/services"
	for service in org.freedesktop.Tracker3.Miner.Files org.freedesktop.Tracker3.Miner.Extract \
		org.freedesktop.LocalSearch3 org.freedesktop.LocalSearch3.Control; do
		printf '[D-BUS Service]\nName=%s\nExec=/bin/false\n' "$service" \
			>"$work/home/.local/share/dbus-1/services/$service.service"
	done
	[ ${#as_user[@]} -gt 0 ] && chown "$user:" "$work" && chown -R "$user:" "$work/home" "$work/files" "$work/runtime"

	# The server picks a free display number and writes it once it takes connections.
	Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x800x24 3>"$work/display" >/dev/null 2>&1 &
	server=$!
	local deadline=$((SECONDS + 10))
	until grep -q '^[0-9][0-9]*$' "$work/display" 2>/dev/null; do
		kill -0 "$server" 2>/dev/null && [ $SECONDS -le $deadline ] \
			|| { echo "FAIL: Xvfb did not start"; exit 1; }
		sleep 0.02
	done

	setsid "${as_user[@]}" env -i \
		DISPLAY=":$(cat "$work/display")" \
		HOME="$work/home" USER="$user" LOGNAME="$user" \
		PATH="$work/prefix/bin:/usr/local/bin:/usr/bin:/bin" \
		XDG_RUNTIME_DIR="$work/runtime" \
		XDG_DATA_DIRS="$work/prefix/share:/usr/local/share:/usr/share" \
		XDG_CONFIG_DIRS=/etc/xdg \
		XDG_CURRENT_DESKTOP=X-Generic \
		LANG=C.UTF-8 LC_ALL=C.UTF-8 \
		QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 \
		GTK_A11Y=atspi \
		XTOOL="$XTOOL" WORK="$work" \
		dbus-run-session -- "$0" --session "$case" &
	local session=$!
	wait "$session"
	local status=$?
	if [ -n "${SHOTS-}" ] && [ -f "$work/screen.png" ] && mkdir -p "$SHOTS"; then
		cp "$work/screen.png" "$SHOTS/clients_$case.png" && echo "the screen: $SHOTS/clients_$case.png"
	fi
	# What the session started and left behind (daemons started through D-Bus) goes with it.
	kill -- -"$session" 2>/dev/null
	exit $status
}

if [ "${1-}" != --session ]; then
	[ $# -eq 1 ] || { echo "usage: clients.sh CASE" >&2; exit 2; }
	outside "$1"
fi

# From here on: inside the D-Bus session, as the test user.
# shellcheck source=session.sh
source "$here/session.sh"
"case_$2"
