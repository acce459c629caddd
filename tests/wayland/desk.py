#!/usr/bin/python3
# Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
#
# desk.py serve gnome|kde SOCKET: a hand on a Wayland desktop, for the tests' shell scripts. Under
# GNOME it works through mutter's remote-desktop API (a session that lasts as long as this
# process), the shell's screenshot interface and the tests' shell extension (extension/) for
# the windows; under KDE through the compositor's fake input protocol, spoken on the Wayland
# socket directly, and KWin's scripting and screenshot interfaces. It takes commands on the
# Unix socket SOCKET.
#
# desk.py send SOCKET COMMAND...: runs the commands in turn, prints what they print:
#   move X Y      pointer to X,Y (logical pixels)     down / up   the left button
#   menu          a click of the right button
#   key K[+K...]  presses the keys, releases them     sleep S     waits S seconds
#   shot FILE     the screen as PNG                    windows     one line a window:
#                                                      CLASS X Y WIDTH HEIGHT FOCUS TITLE
#   place CLASS X Y W H   the frame of CLASS's window
# Key names are those in KEYS; they go as evdev codes, which both compositors take.

import json
import os
import socket
import struct
import subprocess
import sys
import tempfile
import time

BTN_LEFT = 0x110
BTN_RIGHT = 0x111
KEYS = {
	"Escape": 1, "Tab": 15, "Return": 28, "ctrl": 29, "shift": 42, "alt": 56, "space": 57,
	"F10": 68, "Up": 103, "Left": 105, "Right": 106, "Down": 108, "Menu": 127, "super": 125,
	"a": 30, "s": 31, "d": 32, "e": 18, "p": 25,
}
ARITY = {"move": 2, "down": 0, "up": 0, "menu": 0, "key": 1, "sleep": 1, "shot": 1, "windows": 0,
	"place": 5}


def keycodes(spec):
	try:
		return [KEYS[name] for name in spec.split("+")]
	except KeyError as error:
		raise ValueError("unknown key %s" % error) from None


class Gnome:
	def __init__(self):
		import dbus
		self.dbus = dbus
		self.bus = dbus.SessionBus()
		# The shell serves its screenshots and window list only to the callers it knows.
		self.bus.request_name("org.gnome.Screenshot")
		self.session, self.stream = self.open_session()

	def open_session(self):
		dbus = self.dbus
		deadline = time.monotonic() + 60
		while True:
			try:
				desktop = self.bus.get_object("org.gnome.Mutter.RemoteDesktop",
					"/org/gnome/Mutter/RemoteDesktop")
				path = desktop.CreateSession(dbus_interface="org.gnome.Mutter.RemoteDesktop")
				break
			except dbus.DBusException:
				if time.monotonic() > deadline:
					raise
				time.sleep(0.2)
		session = self.bus.get_object("org.gnome.Mutter.RemoteDesktop", path)
		identity = session.Get("org.gnome.Mutter.RemoteDesktop.Session", "SessionId",
			dbus_interface=dbus.PROPERTIES_IFACE)
		cast = self.bus.get_object("org.gnome.Mutter.ScreenCast", "/org/gnome/Mutter/ScreenCast")
		castPath = cast.CreateSession({"remote-desktop-session-id": identity},
			dbus_interface="org.gnome.Mutter.ScreenCast")
		castSession = self.bus.get_object("org.gnome.Mutter.ScreenCast", castPath)
		# Absolute motion is relative to a stream of the monitor.
		stream = castSession.RecordMonitor("", {}, dbus_interface="org.gnome.Mutter.ScreenCast.Session")
		session.Start(dbus_interface="org.gnome.Mutter.RemoteDesktop.Session")
		return self.dbus.Interface(session, "org.gnome.Mutter.RemoteDesktop.Session"), stream

	def move(self, x, y):
		self.session.NotifyPointerMotionAbsolute(self.stream, float(x), float(y))

	def button(self, button, pressed):
		self.session.NotifyPointerButton(button, pressed)

	def key(self, code, pressed):
		self.session.NotifyKeyboardKeycode(code, pressed)

	def shot(self, path):
		shell = self.bus.get_object("org.gnome.Shell.Screenshot", "/org/gnome/Shell/Screenshot")
		done, _ = shell.Screenshot(False, False, path, dbus_interface="org.gnome.Shell.Screenshot")
		if not done:
			raise RuntimeError("no screenshot")
		return ""

	def tests(self):
		return self.bus.get_object("org.bitgate.Tests", "/org/bitgate/Tests")

	def windows(self):
		return str(self.tests().Windows(dbus_interface="org.bitgate.Tests"))

	def place(self, name, x, y, width, height):
		self.tests().Place(name, int(x), int(y), int(width), int(height),
			dbus_interface="org.bitgate.Tests")
		return ""


class Wayland:
	"""The few requests of the Wayland wire protocol that fake input needs."""

	def __init__(self, path):
		self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
		self.sock.connect(path)
		self.nextId = 2
		self.globals = {}
		self.registry = self.new_id()
		self.request(1, 1, struct.pack("=I", self.registry))
		self.roundtrip()

	def new_id(self):
		self.nextId += 1
		return self.nextId - 1

	@staticmethod
	def string(text):
		data = text.encode() + b"\0"
		return struct.pack("=I", len(data)) + data + b"\0" * (-len(data) % 4)

	def request(self, target, opcode, payload=b""):
		self.sock.sendall(struct.pack("=II", target, (8 + len(payload)) << 16 | opcode) + payload)

	def read(self, size):
		data = b""
		while len(data) < size:
			chunk = self.sock.recv(size - len(data))
			if not chunk:
				raise RuntimeError("the compositor closed the connection")
			data += chunk
		return data

	def roundtrip(self):
		callback = self.new_id()
		self.request(1, 0, struct.pack("=I", callback))
		while True:
			target, word = struct.unpack("=II", self.read(8))
			body = self.read((word >> 16) - 8)
			opcode = word & 0xFFFF
			if target == callback and opcode == 0:
				return
			if target == 1 and opcode == 0:
				_, code, length = struct.unpack("=III", body[:12])
				raise RuntimeError("Wayland error %d: %s" % (code, body[12:12 + length - 1].decode()))
			if target == self.registry and opcode == 0:
				name, length = struct.unpack("=II", body[:8])
				interface = body[8:8 + length - 1].decode()
				offset = 8 + length + (-length % 4)
				self.globals[interface] = (name, struct.unpack("=I", body[offset:offset + 4])[0])

	def bind(self, interface, version):
		if interface not in self.globals:
			raise RuntimeError("the compositor offers no %s" % interface)
		name, offered = self.globals[interface]
		identity = self.new_id()
		self.request(self.registry, 0, struct.pack("=I", name) + self.string(interface)
			+ struct.pack("=II", min(version, offered), identity))
		return identity


class Kde:
	def __init__(self):
		import dbus
		self.dbus = dbus
		self.bus = dbus.SessionBus()
		runtime = os.environ["XDG_RUNTIME_DIR"]
		self.wayland = Wayland(os.path.join(runtime, os.environ["WAYLAND_DISPLAY"]))
		self.input = self.wayland.bind("org_kde_kwin_fake_input", 4)
		# authenticate(application, reason)
		self.wayland.request(self.input, 0, Wayland.string("bitgate tests")
			+ Wayland.string("drives the desktop in tests"))
		self.wayland.roundtrip()
		self.log = os.environ.get("KWIN_LOG")

	def fixed(self, value):
		return struct.pack("=i", int(round(float(value) * 256)))

	def move(self, x, y):
		self.wayland.request(self.input, 9, self.fixed(x) + self.fixed(y))
		self.wayland.roundtrip()

	def button(self, button, pressed):
		self.wayland.request(self.input, 2, struct.pack("=II", button, 1 if pressed else 0))
		self.wayland.roundtrip()

	def key(self, code, pressed):
		self.wayland.request(self.input, 10, struct.pack("=II", code, 1 if pressed else 0))
		self.wayland.roundtrip()

	def shot(self, path):
		screenshot = self.bus.get_object("org.kde.KWin", "/org/kde/KWin/ScreenShot2")
		reader, writer = os.pipe()
		try:
			meta = screenshot.CaptureWorkspace({}, self.dbus.types.UnixFd(writer), signature="a{sv}h",
				dbus_interface="org.kde.KWin.ScreenShot2")
		finally:
			os.close(writer)
		with os.fdopen(reader, "rb") as pipe:
			data = pipe.read()
		width, height, stride = int(meta["width"]), int(meta["height"]), int(meta["stride"])
		rows = b"".join(data[row * stride:row * stride + width * 4] for row in range(height))
		subprocess.run(["convert", "-size", "%dx%d" % (width, height), "-depth", "8",
			"bgra:-", path], input=rows, check=True)
		return ""

	def script(self, body):
		"""Runs a KWin script; what it prints with report() comes back, one line each."""
		marker = "bitgate-%d-%d" % (os.getpid(), time.monotonic_ns())
		source = ("function report(line) { print('%s ' + line); }\n%s\nprint('%s end');\n"
			% (marker, body, marker))
		with tempfile.NamedTemporaryFile("w", suffix=".js", delete=False) as file:
			file.write(source)
		try:
			scripting = self.bus.get_object("org.kde.KWin", "/Scripting")
			identity = scripting.loadScript(file.name, marker, signature="ss",
				dbus_interface="org.kde.kwin.Scripting")
			script = self.bus.get_object("org.kde.KWin", "/Scripting/Script%d" % identity)
			script.run(dbus_interface="org.kde.kwin.Script")
			lines = []
			deadline = time.monotonic() + 10
			while time.monotonic() < deadline:
				with open(self.log, errors="replace") as log:
					lines = [line.split(marker + " ", 1)[1].rstrip("\n") for line in log
						if marker + " " in line]
				if "end" in lines:
					break
				time.sleep(0.05)
			scripting.unloadScript(marker, dbus_interface="org.kde.kwin.Scripting")
		finally:
			os.unlink(file.name)
		if "end" not in lines:
			raise RuntimeError("KWin's script said nothing")
		return "\n".join(line for line in lines if line != "end")

	def windows(self):
		return self.script("""
			for (const w of workspace.windowList()) {
				if (!w.normalWindow && !w.dialog)
					continue;
				const g = w.clientGeometry;
				report((w.resourceClass || "-") + " " + Math.round(g.x) + " " + Math.round(g.y) + " "
					+ Math.round(g.width) + " " + Math.round(g.height) + " "
					+ (w === workspace.activeWindow ? 1 : 0) + " " + w.caption);
			}""")

	def place(self, name, x, y, width, height):
		return self.script("""
			for (const w of workspace.windowList()) {
				if (w.resourceClass === %s)
					w.frameGeometry = {x: %d, y: %d, width: %d, height: %d};
			}""" % (json.dumps(name), int(x), int(y), int(width), int(height)))


def run(desk, words):
	out = []
	while words:
		command = words.pop(0)
		if command not in ARITY or len(words) < ARITY[command]:
			raise ValueError("bad command %s" % command)
		args = [words.pop(0) for _ in range(ARITY[command])]
		if command == "move":
			desk.move(*args)
		elif command in ("down", "up"):
			desk.button(BTN_LEFT, command == "down")
		elif command == "menu":
			desk.button(BTN_RIGHT, True)
			desk.button(BTN_RIGHT, False)
		elif command == "key":
			codes = keycodes(args[0])
			for code in codes:
				desk.key(code, True)
			for code in reversed(codes):
				desk.key(code, False)
		elif command == "sleep":
			time.sleep(float(args[0]))
		elif command == "shot":
			out.append(desk.shot(os.path.abspath(args[0])))
		elif command == "windows":
			out.append(desk.windows())
		elif command == "place":
			out.append(desk.place(*args))
	return "\n".join(line for line in out if line)


def serve(kind, path):
	desk = Gnome() if kind == "gnome" else Kde()
	server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
	server.bind(path + ".new")
	server.listen(4)
	os.rename(path + ".new", path)
	while True:
		connection, _ = server.accept()
		with connection, connection.makefile("rw") as stream:
			try:
				result = "ok\n" + run(desk, json.loads(stream.readline()))
			except Exception as error:  # said to the caller, and the hand goes on
				result = "error %s" % error
			stream.write(result + "\n")


def send(path, words):
	with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as connection:
		connection.connect(path)
		with connection.makefile("rw") as stream:
			stream.write(json.dumps(words) + "\n")
			stream.flush()
			status = stream.readline().rstrip("\n")
			rest = stream.read()
	if status != "ok":
		print(status, file=sys.stderr)
		return 1
	sys.stdout.write(rest.rstrip("\n") + "\n" if rest.strip() else "")
	return 0


if __name__ == "__main__":
	if len(sys.argv) == 4 and sys.argv[1] == "serve" and sys.argv[2] in ("gnome", "kde"):
		serve(sys.argv[2], sys.argv[3])
	elif len(sys.argv) >= 3 and sys.argv[1] == "send":
		sys.exit(send(sys.argv[2], sys.argv[3:]))
	else:
		print(__doc__ or "usage: desk.py serve gnome|kde SOCKET | send SOCKET COMMAND...",
			file=sys.stderr)
		sys.exit(2)
