#!/bin/bash
# Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
#
# What the real-desktop cases share: a workspace with the installed tree and a home as a desktop
# session has it, for a user who is not root.

# desktop_workspace WORK USER: installs BUILD (with CMAKE) into WORK/prefix, and makes WORK/home,
# WORK/files and WORK/runtime. Run as root, the programs are to run as USER (made when missing):
# the caller's as_user array is set to the command that runs as that user, and left empty
# otherwise. The folders stay the caller's to hand over.
desktop_workspace() {
	local work=$1 user=$2 service
	chmod 755 "$work"
	"$CMAKE" --install "$BUILD" --prefix "$work/prefix" >"$work/install.log" 2>&1 \
		|| { cat "$work/install.log"; echo "FAIL: cmake --install"; exit 1; }

	as_user=()
	if [ "$(id -u)" -eq 0 ]; then
		id "$user" >/dev/null 2>&1 || useradd --system --user-group --no-create-home \
			--home-dir /nonexistent --shell /usr/sbin/nologin "$user" \
			|| { echo "FAIL: no user $user"; exit 1; }
		as_user=(setpriv --reuid="$(id -u "$user")" --regid="$(id -g "$user")" --clear-groups)
	fi
	mkdir -p "$work/home/.local/share" "$work/home/.config" "$work/home/.cache" "$work/files"
	mkdir -m 700 "$work/runtime"
	# The desktop's indexer (its GNOME 48 names beside the older ones) would start through D-Bus
	# with the first file manager and read the whole machine, slowing every folder's load down
	# to a minute: the user's own service files come first, and these fail at once.
	mkdir -p "$work/home/.local/share/dbus-1/services"
	for service in org.freedesktop.Tracker3.Miner.Files org.freedesktop.Tracker3.Miner.Extract \
		org.freedesktop.LocalSearch3 org.freedesktop.LocalSearch3.Control; do
		printf '[D-BUS Service]\nName=%s\nExec=/bin/false\n' "$service" \
			>"$work/home/.local/share/dbus-1/services/$service.service"
	done
}
