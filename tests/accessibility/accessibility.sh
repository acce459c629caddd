#!/bin/sh
# Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
#
# accessibility.sh CASE: one case of tree.py in a session bus of its own, where the desktop's
# accessibility bus and registry start on demand. Run it on an X display (with-xvfb.sh).
# Exits 77 (skipped) when the accessibility tools are not installed.

command -v dbus-run-session >/dev/null 2>&1 \
	|| { echo "dbus-run-session is not installed (dbus): skipped"; exit 77; }
[ -x /usr/libexec/at-spi-bus-launcher ] && [ -x /usr/libexec/at-spi2-registryd ] \
	|| { echo "the accessibility bus is not installed (at-spi2-core): skipped"; exit 77; }
# Debian's Python, which has the bindings, whatever python3 comes first in PATH.
/usr/bin/python3 -c 'import pyatspi' >/dev/null 2>&1 \
	|| { echo "pyatspi is not installed (python3-pyatspi): skipped"; exit 77; }
if [ "$1" = orca ] && ! command -v orca >/dev/null 2>&1; then
	echo "orca is not installed: skipped"
	exit 77
fi

unset NO_AT_BRIDGE
exec dbus-run-session -- /usr/bin/python3 "$(dirname "$0")/tree.py" "$1"
