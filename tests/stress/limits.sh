#!/bin/bash
# Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
#
# limits.sh: the host handed more items than it may have threads for (a low RLIMIT_NPROC, as a
# user id of its own, since root is exempt). Windows open up to the limit, one alert says the
# rest were left out, and the windows that opened go on working; the host exits with 0. The
# programs come from the environment: HOST, ADDON, XTOOL. Runs on the display in DISPLAY.

set -u

[ "$(id -u)" -eq 0 ] || { echo "runs the host as a user of its own, so needs root: skipped"; exit 77; }

# shellcheck source=../lib/helpers.sh
source "$(dirname "${BASH_SOURCE[0]}")/../lib/helpers.sh"

work=$(mktemp -d)
pid=
cleanup() {
	[ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null
	rm -rf "$work"
}
trap cleanup EXIT

items=40
# A user id nobody else runs as: the limit counts every thread of the user.
user=$((100000 + $$ % 100000))
chmod 755 "$work"
mkdir "$work/items"
for i in $(seq -w 1 $items); do
	echo data >"$work/items/item-$i"
done
chmod 644 "$work/items"/*
chown -R "$user:$user" "$work/items"

setpriv --reuid="$user" --regid="$user" --clear-groups prlimit --nproc=12 "$HOST" "$ADDON" \
	"$work/items"/* >"$work/host.out" 2>"$work/host.err" &
pid=$!
window "Bitgate Error"
alert=$win
opened=$(xdotool search --onlyvisible --name '^item-[0-9]+$' | wc -l)
[ "$opened" -gt 0 ] && [ "$opened" -lt $items ] || fail "$opened windows opened"
xdotool windowfocus --sync "$alert" key Return
"$XTOOL" wait-gone "$alert" 10000 || fail "the alert stayed"
xdotool search --onlyvisible --name '^item-[0-9]+$' >/dev/null || fail "the windows went"

# The windows still work: the later ones close, and the first, uncovered, takes Owner read off
# and "Set".
window item-01
first=$win
for each in $(xdotool search --onlyvisible --name '^item-[0-9]+$'); do
	[ "$each" = "$first" ] && continue
	"$XTOOL" close "$each"
	"$XTOOL" wait-gone "$each" 10000 || fail "window $each stayed"
done
xdotool mousemove $((win_x + 21)) $((win_y + 39)) click 1
xdotool mousemove $((win_x + 211)) $((win_y + 119)) click 1
"$XTOOL" wait-gone "$first" 10000 || fail "item-01 stayed after Set"

exited_well "$pid"
pid=
[ "$(stat -c %a "$work/items/item-01")" = 244 ] || fail "item-01 has $(stat -c %a "$work/items/item-01")"
for file in "$work/items"/item-*; do
	[ "$file" = "$work/items/item-01" ] && continue
	[ "$(stat -c %a "$file")" = 644 ] || fail "$file changed"
done
echo "$opened windows, then one alert: fine"
