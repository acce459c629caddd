#!/bin/sh
# Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
#
# exports.sh ADDON BITWELL LIBBE: the add-on defines and exports process_refs and nothing else;
# Bitwell exports it too; the kits' library carries nothing of the tests' scripted user.
set -u
addon=$(nm -D --defined-only "$1" | awk '{print $3}')
[ "$addon" = "process_refs" ] || { echo "the add-on exports: $addon" >&2; exit 1; }
nm -D --defined-only "$2" | awk '{print $2, $3}' | grep -qx "T process_refs" \
	|| { echo "Bitwell does not export process_refs" >&2; exit 1; }
scripted=$(nm -D --defined-only -C "$3" | grep -E "Scripted|scripted_")
[ -z "$scripted" ] || { echo "libbe exports the scripted user: $scripted" >&2; exit 1; }
