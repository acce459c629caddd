#!/bin/bash
# Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
#
# listres.sh LISTRES BITWELL ADDON PLAIN: the deliverables' records as listres shows them, one
# record's bytes, and files without records or with damaged ones.

set -u
listres=$1 bitwell=$2 addon=$3 plain=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
	echo "FAIL: $*" >&2
	exit 1
}

expected="'MIMS'      1       30  BEOS:APP_SIG
'MIMS'      2       34  BEOS:TYPE
'APPF'      1        4  BEOS:APP_FLAGS
'APPV'      1      680  BEOS:APP_VERSION
'MSGG'      1       65  BEOS:FILE_TYPES
'ICON'    101     1024  BEOS:L:STD_ICON
'MICN'    101      256  BEOS:M:STD_ICON"
for file in "$bitwell" "$addon"; do
	listing=$("$listres" "$file") || fail "listres $file exited with $?"
	[ "$listing" = "$expected" ] || fail "$file lists: $listing"
done

"$listres" "$bitwell" MIMS 1 >"$work/signature" || fail "no signature"
printf 'application/x-vnd.vrm-Bitwell\0' | cmp -s - "$work/signature" \
	|| fail "signature $(od -c "$work/signature")"
"$listres" "$addon" MIMS 1 | cmp -s - <(printf 'application/x-vnd.vrm-Bitgate\0') \
	|| fail "the add-on's signature"
"$listres" "$bitwell" APPF 1 | cmp -s - <(printf '\0\0\0\0') || fail "launch flags"
[ "$("$listres" "$bitwell" APPV 1 | head -c 66 | tail -c 46)" \
	= "Drop files on me to change POSIX permissions." ] || fail "the short description"

# Files without records, damaged ones and wrong requests: a message and status 1, no crash.
expect_refusal() {
	local what=$1 pattern=$2
	shift 2
	"$listres" "$@" >"$work/out" 2>"$work/err"
	local status=$?
	[ $status -eq 1 ] || fail "$what: status $status"
	[ ! -s "$work/out" ] || fail "$what: wrote $(cat "$work/out")"
	grep -q "$pattern" "$work/err" || fail "$what: said $(cat "$work/err")"
}
expect_refusal "no records" "has no resources" "$plain"
expect_refusal "missing" "doesn't exist" "$work/missing"
echo text >"$work/text"
expect_refusal "text" "neither an ELF image" "$work/text"
expect_refusal "no such record" "has no resource 'ICON' 7" "$bitwell" ICON 7
# A FIFO with no writer, a folder and a device are refused at once, without waiting.
mkfifo "$work/fifo"
expect_refusal "a FIFO" "is not a regular file" "$work/fifo"
expect_refusal "a folder" "is not a regular file" "$work"
expect_refusal "a device" "is not a regular file" /dev/null
size=$(stat -c %s "$bitwell")
for cut in 1 100 1000 2000 2500; do
	head -c $((size - cut)) "$bitwell" >"$work/cut"
	expect_refusal "cut by $cut" "damaged" "$work/cut"
done
cp "$bitwell" "$work/sum"
# The checksum is the second to last word of the file.
printf '\xde\xad' | dd of="$work/sum" bs=1 seek=$((size - 8)) conv=notrunc status=none
expect_refusal "a wrong checksum" "damaged" "$work/sum"

"$listres" >/dev/null 2>&1
[ $? -eq 2 ] || fail "usage"
echo ok
