// Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
//
// The shell's part of the Wayland tests: a Wayland program knows no place on the screen, so the
// tests ask the shell where its windows are (their frames, in logical pixels) and where to put
// them, on the session bus as org.bitgate.Tests.
import Gio from 'gi://Gio';
import {Extension} from 'resource:///org/gnome/shell/extensions/extension.js';

const kInterface = `<node>
	<interface name="org.bitgate.Tests">
		<method name="Windows"><arg type="s" direction="out" name="windows"/></method>
		<method name="Place">
			<arg type="s" direction="in" name="wmClass"/>
			<arg type="i" direction="in" name="x"/>
			<arg type="i" direction="in" name="y"/>
			<arg type="i" direction="in" name="width"/>
			<arg type="i" direction="in" name="height"/>
		</method>
	</interface>
</node>`;

export default class TestsExtension extends Extension {
	enable() {
		this._object = Gio.DBusExportedObject.wrapJSObject(kInterface, this);
		this._object.export(Gio.DBus.session, '/org/bitgate/Tests');
		this._name = Gio.bus_own_name(Gio.BusType.SESSION, 'org.bitgate.Tests',
			Gio.BusNameOwnerFlags.NONE, null, null, null);
	}

	disable() {
		Gio.bus_unown_name(this._name);
		this._object.unexport();
		this._object = null;
	}

	_windows() {
		return global.get_window_actors().map(actor => actor.meta_window)
			.filter(window => !window.is_override_redirect() && window.showing_on_its_workspace());
	}

	Windows() {
		return this._windows().map(window => {
			const frame = window.get_frame_rect();
			return [window.get_wm_class() || '-', frame.x, frame.y, frame.width, frame.height,
				window.has_focus() ? 1 : 0, window.get_title() || ''].join(' ');
		}).join('\n');
	}

	Place(wmClass, x, y, width, height) {
		for (const window of this._windows()) {
			if (window.get_wm_class() === wmClass)
				window.move_resize_frame(true, x, y, width, height);
		}
	}
}
