#!/bin/bash
# Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
#
# install.sh CASE: the installed tree. BUILD is the build folder, CMAKE and CPACK its tools,
# LISTRES the resource lister; the onscreen cases need an X display and take the on-screen
# tests' helpers (start, finish, window, fail, $work) from ONSCREEN.

set -u

case_none() {
	:
}
# shellcheck source=../onscreen/onscreen.sh
source "$ONSCREEN" none

export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
prefix="$work/prefix"
app_id=org.bitgate.Bitwell

install_tree() {
	"$CMAKE" --install "$BUILD" --prefix "$prefix" --strip >"$work/install.log" 2>&1 \
		|| fail "cmake --install: $(cat "$work/install.log")"
}

# The selection every action gets: names with a space, a '%' and a newline, in a folder with a
# space.
folder="$work/sel dir"
names=("a b" "100%done" $'new\nline')
make_selection() {
	mkdir -p "$folder"
	for name in "${names[@]}"; do
		echo data >"$folder/$name"
	done
}

# The selection's windows open, one per item; closed, the host exits with 0.
expect_windows() {
	local what=$1 windows=()
	for name in "${names[@]}"; do
		window "$name"
		windows+=("$win")
	done
	for id in "${windows[@]}"; do
		"$XTOOL" close "$id"
		"$XTOOL" wait-gone "$id" 10000 || fail "$what: a window stayed"
	done
	finish "$host_pid"
	[ "$status" -eq 0 ] || fail "$what: the host exited with $status: $(cat "$work/host.err")"
}

# Quoted as GLib's g_shell_quote does it.
shell_quote() {
	printf "'%s'" "${1//\'/\'\\\'\'}"
}

# Escaped as Nemo escapes unquoted paths: a backslash before blanks, quotes, backslashes and
# '#', and a newline in single quotes.
nemo_escape() {
	local text=$1 out="" c i
	for ((i = 0; i < ${#text}; i++)); do
		c=${text:i:1}
		case $c in
			' ' | $'\t' | "'" | '"' | '\' | '#') out+="\\$c" ;;
			$'\n') out+="'"$'\n'"'" ;;
			*) out+=$c ;;
		esac
	done
	printf '%s' "$out"
}

uri_encode() {
	local text=$1 out="" c i
	for ((i = 0; i < ${#text}; i++)); do
		c=${text:i:1}
		case $c in
			[a-zA-Z0-9/._~-]) out+=$c ;;
			*) out+=$(printf '%%%02X' "'$c") ;;
		esac
	done
	printf 'file://%s' "$out"
}

# exec_line FILE: the command of a desktop-style file.
exec_line() {
	sed -n 's/^Exec=//p' "$1"
}

# expand TEMPLATE QUOTER: %F replaced by the selection's paths, each through QUOTER.
expand() {
	local paths="" name
	for name in "${names[@]}"; do
		paths+=" $("$2" "$folder/$name")"
	done
	printf '%s' "${1//%F/${paths# }}"
}

# Split as g_spawn_command_line_async does (shell rules, no expansion of variables).
run_command_line() {
	local line=$1
	local -a argv
	eval "argv=($line)"
	start host "${argv[@]}"
}


case_tree() {
	install_tree
	for file in bin/Bitwell bin/run-tracker-addon bin/bitgate-user-actions \
		lib/bitgate/libbe.so lib/bitgate/liblayout.so lib/bitgate/Bitgate-AddOn \
		"share/applications/$app_id.desktop" "share/metainfo/$app_id.metainfo.xml" \
		share/nemo/actions/bitgate-permissions.nemo_action \
		share/kio/servicemenus/bitgate-permissions.desktop \
		share/file-manager/actions/bitgate-permissions.desktop \
		share/doc/bitgate/copyright share/doc/bitgate/changelog.gz; do
		[ -f "$prefix/$file" ] || fail "no $file"
	done
	file "$prefix/bin/Bitwell" | grep -q ", stripped" || fail "Bitwell was not stripped"
	# Stripped, and carrying its records again.
	for file in bin/Bitwell lib/bitgate/Bitgate-AddOn; do
		[ "$("$LISTRES" "$prefix/$file" | wc -l)" -eq 7 ] || fail "$file lost its records"
	done
	"$LISTRES" "$prefix/bin/Bitwell" MIMS 1 | cmp -s - <(printf 'application/x-vnd.vrm-Bitwell\0') \
		|| fail "the signature"
	[ "$(nm -D --defined-only "$prefix/lib/bitgate/Bitgate-AddOn" | awk '{print $3}')" \
		= process_refs ] || fail "the add-on exports more than process_refs"

	for size in 16 32 48 64 128 256; do
		local icon="$prefix/share/icons/hicolor/${size}x$size/apps/$app_id.png"
		[ "$(identify -format '%w %h' "$icon")" = "$size $size" ] || fail "icon $size"
	done
	# Sharp: the 48 pixel icon repeats the small one's pixels three times each way.
	[ "$(convert "$prefix/share/icons/hicolor/48x48/apps/$app_id.png" -sample 16x16 png:- \
		| compare -metric AE - "$prefix/share/icons/hicolor/16x16/apps/$app_id.png" null: 2>&1)" \
		= 0 ] || fail "the 48 pixel icon is not the small one enlarged"

	desktop-file-validate "$prefix/share/applications/$app_id.desktop" || fail "desktop file"
	grep -q '^MimeType=' "$prefix/share/applications/$app_id.desktop" && fail "a MimeType line"
	appstreamcli validate --no-net "$prefix/share/metainfo/$app_id.metainfo.xml" \
		>"$work/appstream.log" 2>&1 || fail "metainfo: $(cat "$work/appstream.log")"
	grep -q '<release version="4.0.0"' "$prefix/share/metainfo/$app_id.metainfo.xml" \
		|| fail "the version"
	echo ok
}


case_onscreen() {
	install_tree
	# Moved, the tree still works: every run path is relative.
	mv "$prefix" "$work/moved"
	prefix="$work/moved"
	export PATH="$prefix/bin:$PATH"
	make_selection

	start bitwell Bitwell "$folder/a b"
	window "a b"
	"$XTOOL" close "$win"
	"$XTOOL" wait-gone "$win" 10000 || fail "the window stayed"
	window Drop
	xprop -id "$win" WM_CLASS | grep -q "\"$(sed -n 's/^StartupWMClass=//p' \
		"$prefix/share/applications/$app_id.desktop")\"" || fail "WM_CLASS $(xprop -id "$win" WM_CLASS)"
	"$XTOOL" close "$win"
	finish "$bitwell_pid"
	[ "$status" -eq 0 ] || fail "Bitwell exited with $status: $(cat "$work/bitwell.err")"

	# The system-wide actions, each run the way its file manager runs it.
	run_command_line "$(expand "$(exec_line "$prefix/share/nemo/actions/bitgate-permissions.nemo_action")" nemo_escape)"
	expect_windows "the Nemo action"
	run_command_line "$(expand "$(exec_line "$prefix/share/kio/servicemenus/bitgate-permissions.desktop")" shell_quote)"
	expect_windows "the Dolphin service menu"
	run_command_line "$(expand "$(exec_line "$prefix/share/file-manager/actions/bitgate-permissions.desktop")" shell_quote)"
	expect_windows "the file-manager action"

	# The per-user ones, from a home of their own.
	export HOME="$work/home" XDG_DATA_HOME="$work/home/.local/share" XDG_CONFIG_HOME="$work/home/.config"
	mkdir -p "$HOME"
	bitgate-user-actions install || fail "bitgate-user-actions install"
	local uris="" name
	for name in "${names[@]}"; do
		uris+="$(uri_encode "$folder/$name")"$'\n'
	done
	local script variable
	for script in "$XDG_DATA_HOME/nautilus/scripts:NAUTILUS" "$XDG_DATA_HOME/nemo/scripts:NEMO" \
		"$XDG_CONFIG_HOME/caja/scripts:CAJA"; do
		variable=${script##*:}_SCRIPT_SELECTED_URIS
		# Run from the folder, with the names as arguments too, '%' mangled as they come.
		(cd "$folder" && exec env "$variable=$uris" "${script%:*}/Edit Permissions" \
			"a b" "100one" $'new\nline') >"$work/host.out" 2>"$work/host.err" &
		host_pid=$!
		children+=($host_pid)
		expect_windows "the ${script##*:} script"
	done
	# Ours only: where Thunar is installed, a new uca.xml starts from its own actions.
	local command
	command=$(sed -n 's:.*<command>\(.*\)</command>.*:\1:p' "$XDG_CONFIG_HOME/Thunar/uca.xml" \
		| grep -F Bitgate-AddOn | sed -e 's/&lt;/</g' -e 's/&gt;/>/g' -e 's/&amp;/\&/g')
	start host /bin/sh -c "$(expand "$command" shell_quote)"
	expect_windows "the Thunar action"
	run_command_line "$(expand "$(exec_line "$XDG_DATA_HOME/kio/servicemenus/bitgate-permissions.desktop")" shell_quote)"
	expect_windows "the user's Dolphin service menu"
}


case_user_actions() {
	install_tree
	export HOME="$work/home" XDG_DATA_HOME="$work/home/.local/share" XDG_CONFIG_HOME="$work/home/.config"
	local uca="$XDG_CONFIG_HOME/Thunar/uca.xml"
	mkdir -p "$(dirname "$uca")"
	cat >"$uca" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<actions>
<action>
	<icon>utilities-terminal</icon>
	<name>Mine</name>
	<unique-id>1234-1</unique-id>
	<command>xterm</command>
	<description>my own action</description>
	<patterns>*</patterns>
	<directories/>
</action>
</actions>
XML
	local tool="$prefix/bin/bitgate-user-actions"
	"$tool" install && "$tool" install || fail "install"
	[ "$(grep -c '<unique-id>bitgate-permissions</unique-id>' "$uca")" -eq 1 ] \
		|| fail "uca.xml: $(cat "$uca")"
	grep -q '<unique-id>1234-1</unique-id>' "$uca" || fail "the user's action went"
	if command -v xmllint >/dev/null; then
		xmllint --noout "$uca" || fail "uca.xml is no XML any more"
	fi
	for script in "$XDG_DATA_HOME/nautilus/scripts" "$XDG_DATA_HOME/nemo/scripts" \
		"$XDG_CONFIG_HOME/caja/scripts"; do
		[ -x "$script/Edit Permissions" ] || fail "no script in $script"
	done
	[ -x "$XDG_DATA_HOME/kio/servicemenus/bitgate-permissions.desktop" ] \
		|| fail "the Dolphin menu is not executable"

	"$tool" remove || fail "remove"
	grep -q bitgate-permissions "$uca" && fail "our action stayed: $(cat "$uca")"
	grep -q '<unique-id>1234-1</unique-id>' "$uca" || fail "the user's action went"
	[ -n "$(find "$HOME" -type f ! -name uca.xml)" ] && fail "left: $(find "$HOME" -type f)"
	"$tool" frobnicate 2>/dev/null
	[ $? -eq 2 ] || fail "usage"
	echo ok
}


case_deb() {
	command -v dpkg-deb >/dev/null && command -v dpkg-shlibdeps >/dev/null \
		|| { echo "dpkg-dev is not installed: skipped"; exit 77; }
	(cd "$BUILD" && "$CPACK" -G DEB -B "$work/package") >"$work/cpack.log" 2>&1 \
		|| fail "cpack: $(cat "$work/cpack.log")"
	local deb
	deb=$(ls "$work"/package/*.deb) || fail "no package"
	dpkg-deb -c "$deb" >"$work/contents"
	for file in ./usr/bin/Bitwell ./usr/lib/bitgate/Bitgate-AddOn \
		./usr/share/applications/$app_id.desktop ./usr/share/doc/bitgate/copyright; do
		grep -q " $file\$" "$work/contents" || fail "$file is not packaged"
	done
	mkdir "$work/unpacked"
	dpkg-deb -x "$deb" "$work/unpacked"
	[ "$("$LISTRES" "$work/unpacked/usr/bin/Bitwell" | wc -l)" -eq 7 ] \
		|| fail "the packaged Bitwell has no records"
	if command -v lintian >/dev/null; then
		lintian --no-tag-display-limit "$deb" >"$work/lintian.log" 2>&1
		cat "$work/lintian.log"
		grep -q '^E:' "$work/lintian.log" && fail "lintian errors"
	fi
	echo ok
}


"case_$1"
