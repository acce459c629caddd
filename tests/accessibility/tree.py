#!/usr/bin/python3
# Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
#
# tree.py CASE: works the programs' windows through the desktop's accessibility tree alone, as
# a screen reader or a test tool does, and checks what lands on disk. Run by accessibility.sh in
# a session bus of its own, on an X display. The programs come from the environment: HOST
# (run-tracker-addon), ADDON, BITWELL, XTOOL.

import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import tty

import pyatspi
from gi.repository import GLib

DEADLINE = 15


class Failure(Exception):
	pass


def pump():
	"""Lets the tree's events in (they update the client's cache and reach the listeners)."""
	context = GLib.MainContext.default()
	while context.iteration(False):
		pass


def wait_for(what, condition, timeout=DEADLINE):
	deadline = time.monotonic() + timeout
	while True:
		pump()
		try:
			value = condition()
		except Exception:
			# An object that went while it was read: ask again.
			value = None
		if value:
			return value
		if time.monotonic() > deadline:
			raise Failure("no " + what)
		time.sleep(0.02)


def describe(accessible, depth=0):
	"""The tree under accessible, one line an object: role, name, states, actions."""
	try:
		states = sorted(pyatspi.stateToString(s) for s in accessible.getState().getStates())
	except Exception:
		states = ["?"]
	try:
		action = accessible.queryAction()
		actions = [action.getName(i) for i in range(action.nActions)]
	except NotImplementedError:
		actions = []
	line = '%s%s "%s" [%s]' % ("  " * depth, accessible.getRoleName(), accessible.name,
		" ".join(states))
	if actions:
		line += " actions: " + ", ".join(actions)
	lines = [line]
	for child in accessible:
		if child is not None:
			lines.append(describe(child, depth + 1))
	return "\n".join(lines)


def application(name):
	for app in pyatspi.Registry.getDesktop(0):
		if app is not None and app.name == name:
			return app
	return None


def window(app_name, role, title):
	"""Waits for the top-level window titled title of the application app_name."""
	def found():
		for app in pyatspi.Registry.getDesktop(0):
			if app is None or app.name != app_name:
				continue
			for child in app:
				if child is not None and child.getRole() == role and child.name == title:
					return child
		return None
	return wait_for('%s "%s" of %s' % (pyatspi.roleToString(role) if hasattr(pyatspi,
		"roleToString") else role, title, app_name), found)


def descendant(root, role, name):
	found = pyatspi.findDescendant(root, lambda a: a.getRole() == role and a.name == name)
	if found is None:
		raise Failure('no %s "%s" under "%s":\n%s' % (role, name, root.name, describe(root)))
	return found


def has(accessible, state):
	return accessible.getState().contains(state)


def press(accessible):
	action = accessible.queryAction()
	if action.nActions < 1 or action.getName(0) != "click":
		raise Failure('"%s" has no click action' % accessible.name)
	if not action.doAction(0):
		raise Failure('"%s" refused its click' % accessible.name)


class Programs:
	"""The programs a case starts, their output kept in a folder of its own."""

	def __init__(self, work):
		self.work = work
		self.running = []

	def start(self, name, *command):
		return self.start_with(None, name, *command)

	def start_with(self, environment, name, *command):
		out = open(os.path.join(self.work, name + ".out"), "w")
		err = open(os.path.join(self.work, name + ".err"), "w")
		process = subprocess.Popen(command, stdout=out, stderr=err, env=environment)
		process.name = name
		self.running.append(process)
		return process

	def finish(self, process):
		try:
			status = process.wait(DEADLINE)
		except subprocess.TimeoutExpired:
			raise Failure("%s did not exit" % process.name)
		if status != 0:
			raise Failure("%s exited with %d" % (process.name, status))

	def output(self, name, stream="out"):
		with open(os.path.join(self.work, "%s.%s" % (name, stream)), errors="replace") as file:
			return file.read()

	def stop(self):
		for process in self.running:
			if process.poll() is None:
				process.kill()
				process.wait()

	def report(self):
		for name in sorted(os.listdir(self.work)):
			if name.endswith(".err") or name.endswith(".out"):
				with open(os.path.join(self.work, name), errors="replace") as file:
					text = file.read().strip()
				if text:
					print("--- %s:\n%s" % (name, text[-12000:]), file=sys.stderr)


def mode_of(path):
	return os.stat(path).st_mode & 0o7777


def make_file(work, name, mode=None):
	path = os.path.join(work, name)
	with open(path, "w") as file:
		file.write("data\n")
	if mode is not None:
		os.chmod(path, mode)
	return path


def open_in_host(programs, path):
	"""Starts the host on the file; returns it and the frame of the file's window."""
	host = programs.start("host", os.environ["HOST"], os.environ["ADDON"], path)
	return host, window("run-tracker-addon", pyatspi.ROLE_FRAME, os.path.basename(path))


def case_permissions(programs, work):
	path = make_file(work, "notes.txt", 0o640)
	host, frame = open_in_host(programs, path)
	print(describe(frame))

	# The boxes say the file's bits, each inside its class's panel.
	expected = {"Owner": (True, True, False), "Group": (True, False, False),
		"Other": (False, False, False)}
	for caption, bits in expected.items():
		panel = descendant(frame, pyatspi.ROLE_PANEL, caption)
		for label, bit in zip(("read", "write", "execute"), bits):
			box = descendant(panel, pyatspi.ROLE_CHECK_BOX, label)
			if has(box, pyatspi.STATE_CHECKED) != bit:
				raise Failure('"%s" "%s" checked is not %s' % (caption, label, bit))
			if not has(box, pyatspi.STATE_ENABLED) or not has(box, pyatspi.STATE_SHOWING):
				raise Failure('"%s" "%s" is not enabled and showing' % (caption, label))

	write = descendant(descendant(frame, pyatspi.ROLE_PANEL, "Other"), pyatspi.ROLE_CHECK_BOX,
		"write")
	press(write)
	wait_for('"write" of "Other" checked', lambda: has(write, pyatspi.STATE_CHECKED))
	if mode_of(path) != 0o640:
		raise Failure("the box wrote the mode before \"Set\"")
	# Pressed again and again: back where it was, then on.
	press(write)
	wait_for('"write" of "Other" unchecked', lambda: not has(write, pyatspi.STATE_CHECKED))
	press(write)
	wait_for('"write" of "Other" checked again', lambda: has(write, pyatspi.STATE_CHECKED))

	press(descendant(frame, pyatspi.ROLE_PUSH_BUTTON, "Set"))
	programs.finish(host)
	if mode_of(path) != 0o642:
		raise Failure("%s has mode %o, not 642" % (path, mode_of(path)))


def case_alert(programs, work):
	missing = os.path.join(work, "missing")
	host = programs.start("host", os.environ["HOST"], os.environ["ADDON"], missing)
	alert = window("run-tracker-addon", pyatspi.ROLE_ALERT, "Bitgate Error")
	print(describe(alert))
	labels = pyatspi.findAllDescendants(alert, lambda a: a.getRole() == pyatspi.ROLE_LABEL)
	texts = [label.name for label in labels]
	if texts != ["Woah, I've opened too many nodes..."]:
		raise Failure("the alert says %s" % texts)
	buttons = pyatspi.findAllDescendants(alert,
		lambda a: a.getRole() == pyatspi.ROLE_PUSH_BUTTON)
	if [button.name for button in buttons] != ["Dang"]:
		raise Failure("the alert's buttons are %s" % [button.name for button in buttons])
	press(buttons[0])
	programs.finish(host)

	# A window with a change warns on "Cancel"; its alert goes with its button, the window
	# stays, and the file keeps its mode.
	path = make_file(work, "kept", 0o600)
	host, frame = open_in_host(programs, path)
	owner = descendant(frame, pyatspi.ROLE_PANEL, "Owner")
	execute = descendant(owner, pyatspi.ROLE_CHECK_BOX, "execute")
	press(execute)
	wait_for('"execute" checked', lambda: has(execute, pyatspi.STATE_CHECKED))
	press(descendant(frame, pyatspi.ROLE_PUSH_BUTTON, "Cancel"))
	alert = window("run-tracker-addon", pyatspi.ROLE_ALERT, "Bitgate Error")
	press(descendant(alert, pyatspi.ROLE_PUSH_BUTTON, "Dang"))
	wait_for("the alert gone", lambda: all(child.getRole() != pyatspi.ROLE_ALERT
		for child in application("run-tracker-addon")))
	programs.finish(host)
	if mode_of(path) != 0o600:
		raise Failure("%s has mode %o, not 600" % (path, mode_of(path)))


def x_window(title):
	"""Waits for the X window titled title: its id and its top-left corner on the screen."""
	try:
		line = subprocess.run([os.environ["XTOOL"], "wait-window", title, "10000"],
			capture_output=True, text=True, timeout=DEADLINE).stdout.split()
	except subprocess.TimeoutExpired:
		line = []
	if len(line) != 5:
		raise Failure('no X window "%s"' % title)
	return line[0], int(line[1]), int(line[2])


def case_bitwell(programs, work):
	path = make_file(work, "one", 0o640)
	bitwell = programs.start("bitwell", os.environ["BITWELL"])
	frame = window("Bitwell", pyatspi.ROLE_FRAME, "Drop")
	print(describe(frame))
	labels = pyatspi.findAllDescendants(frame, lambda a: a.getRole() == pyatspi.ROLE_LABEL)
	if [label.name for label in labels] != ["Drag a file to me"]:
		raise Failure("the drop window says %s" % [label.name for label in labels])
	label = labels[0]

	# A drop from another program, as a file manager's: the label then names the file.
	drop, x, y = x_window("Drop")
	with open(os.path.join(work, "list"), "w") as file:
		file.write("file://%s\r\n" % path)
	answer = subprocess.run([os.environ["XTOOL"], "drop", drop, str(x + 60), str(y + 20),
		"text/uri-list", os.path.join(work, "list")], capture_output=True, text=True,
		timeout=DEADLINE).stdout
	if "finished" not in answer.split("\n"):
		raise Failure("the drop was not finished: %s" % answer)
	wait_for('the label saying "one"', lambda: label.name == "one")
	print(describe(frame))

	permissions = window("Bitwell", pyatspi.ROLE_FRAME, "one")
	press(descendant(permissions, pyatspi.ROLE_PUSH_BUTTON, "Cancel"))
	wait_for('the window "one" gone', lambda: all(child.name != "one"
		for child in application("Bitwell")))
	subprocess.run([os.environ["XTOOL"], "close", drop], timeout=DEADLINE)
	programs.finish(bitwell)
	if mode_of(path) != 0o640:
		raise Failure("%s has mode %o, not 640" % (path, mode_of(path)))


def case_focus(programs, work):
	paths = []
	for name in ("one", "two"):
		paths.append(os.path.join(work, name))
		with open(paths[-1], "w") as file:
			file.write("data\n")
		os.chmod(paths[-1], 0o640)

	events = []
	def on_event(event):
		events.append((event.type, event.source.name, event.detail1))
	for kind in ("object:state-changed:focused", "object:state-changed:active",
			"window:activate", "window:deactivate"):
		pyatspi.Registry.registerEventListener(on_event, kind)
	keys = []
	def on_key(event):
		keys.append((event.type, event.event_string))
		return False
	pyatspi.Registry.registerKeystrokeListener(on_key, synchronous=False)

	host = programs.start("host", os.environ["HOST"], os.environ["ADDON"], *paths)
	frames = [window("run-tracker-addon", pyatspi.ROLE_FRAME, name) for name in ("one", "two")]
	boxes = [{(caption, label): descendant(descendant(frame, pyatspi.ROLE_PANEL, caption),
		pyatspi.ROLE_CHECK_BOX, label) for caption in ("Owner", "Group", "Other")
		for label in ("read", "write", "execute")} for frame in frames]
	if any(has(frame, pyatspi.STATE_ACTIVE) for frame in frames):
		raise Failure("a window is active before it has the keyboard")

	def focus(index):
		subprocess.run(["xdotool", "windowfocus", "--sync", x_window(frames[index].name)[0]],
			check=True, timeout=DEADLINE)

	def focused(index, box):
		return has(frames[index], pyatspi.STATE_ACTIVE) \
			and has(boxes[index][box], pyatspi.STATE_FOCUSED) \
			and sum(has(other, pyatspi.STATE_FOCUSED) for other in boxes[index].values()) == 1

	# The window that takes the keyboard is active, with the focus on its first box.
	focus(0)
	wait_for('"one" active, its first box focused', lambda: focused(0, ("Owner", "read")))
	focus(1)
	wait_for('"two" active', lambda: focused(1, ("Owner", "read")))
	if has(frames[0], pyatspi.STATE_ACTIVE) or has(boxes[0][("Owner", "read")],
			pyatspi.STATE_FOCUSED):
		raise Failure('"one" is still active')
	wait_for("the events of the change", lambda: ("window:activate", "two", 0) in events
		and ("window:deactivate", "one", 0) in events
		and ("object:state-changed:focused", "read", 1) in events)

	# Keys reach the tree's key listeners, and the focus follows Tab.
	subprocess.run(["xdotool", "key", "--delay", "20", "Tab", "space"], check=True,
		timeout=DEADLINE)
	wait_for('"write" focused', lambda: focused(1, ("Owner", "write")))
	wait_for('"write" unchecked', lambda: not has(boxes[1][("Owner", "write")],
		pyatspi.STATE_CHECKED))
	wait_for("Tab and space at the key listeners",
		lambda: (pyatspi.KEY_PRESSED_EVENT, "Tab") in keys
		and (pyatspi.KEY_PRESSED_EVENT, "space") in keys
		and (pyatspi.KEY_RELEASED_EVENT, "space") in keys)
	print("events:", events)
	print("keys:", keys)

	press(descendant(frames[1], pyatspi.ROLE_PUSH_BUTTON, "Set"))
	press(descendant(frames[0], pyatspi.ROLE_PUSH_BUTTON, "Cancel"))
	programs.finish(host)
	if (mode_of(paths[0]), mode_of(paths[1])) != (0o640, 0o440):
		raise Failure("the modes are %o and %o, not 640 and 440" % (mode_of(paths[0]),
			mode_of(paths[1])))


def case_off(programs, work):
	"""Where the layer must not start, the programs never load it."""
	path = make_file(work, "quiet")
	without_bus = dict(os.environ)
	without_bus.pop("DBUS_SESSION_BUS_ADDRESS", None)
	quiet = [programs.start_with(dict(os.environ, NO_AT_BRIDGE="1"), "turned-off",
			os.environ["HOST"], os.environ["ADDON"], path),
		programs.start_with(without_bus, "no-bus", os.environ["HOST"], os.environ["ADDON"],
			path)]
	# Both mapped, then a program with the layer on in the tree: it loaded its module after its
	# map, as the others would have.
	x_window("quiet")
	wait_for("two windows", lambda: subprocess.run(["xdotool", "search", "--name", "^quiet$"],
		capture_output=True, text=True).stdout.count("\n") == 2)
	host = programs.start("host", os.environ["HOST"], os.environ["ADDON"], path)
	window("run-tracker-addon", pyatspi.ROLE_FRAME, "quiet")
	for process in quiet:
		with open("/proc/%d/maps" % process.pid) as maps:
			if "libbe-accessibility" in maps.read():
				raise Failure("%s loaded the accessibility layer" % process.name)
	apps = [app for app in pyatspi.Registry.getDesktop(0)
		if app is not None and app.name == "run-tracker-addon"]
	if len(apps) != 1:
		raise Failure("%d programs in the tree, not 1" % len(apps))
	for process in quiet + [host]:
		process.terminate()
		process.wait(DEADLINE)


class Orca:
	"""The screen reader, without speech, its debug log read as it writes it. The log goes to a
	pseudo-terminal: Python buffers a file but writes a terminal a line at a time."""

	def __init__(self, programs, work):
		master, slave = os.openpty()
		tty.setraw(slave)
		self.master = master
		# Held open until Orca stops: without a writer the terminal reads nothing but errors.
		self.slave = slave
		self.lines = []
		self.lock = threading.Lock()
		home = os.path.join(work, "home")
		os.makedirs(home, exist_ok=True)
		environment = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
			XDG_DATA_HOME=os.path.join(home, ".local/share"),
			# Speech goes to the log only; no speech server is started.
			SPEECHD_CMD="/bin/false")
		self.process = programs.start_with(environment, "orca", "orca", "--user-prefs",
			os.path.join(work, "orca-prefs"), "--debug-file", os.ttyname(slave))
		self.reader = threading.Thread(target=self._read, daemon=True)
		self.reader.start()

	def _read(self):
		pending = b""
		while True:
			try:
				data = os.read(self.master, 65536)
			except OSError:
				break
			if not data:
				break
			pending += data
			*complete, pending = pending.split(b"\n")
			with self.lock:
				self.lines.extend(line.decode(errors="replace") for line in complete)

	def speech(self):
		"""What was spoken so far, in order."""
		with self.lock:
			lines = list(self.lines)
		# SPEECH OUTPUT: 'text' and the voice, as {...}
		spoken = []
		for line in lines:
			match = re.search(r"SPEECH OUTPUT: '(.*)' ?(\{.*\})?$", line)
			if match:
				spoken.append(match.group(1).strip())
		return spoken

	def wait_for_speech(self, expected, since):
		"""Waits until expected, in order, was spoken after the first since utterances. An
		utterance Orca's versions word differently is given as a tuple of the wordings."""
		def heard(text, wanted):
			return text in wanted if isinstance(wanted, tuple) else text == wanted

		def spoken():
			said = self.speech()[since:]
			position = 0
			for text in said:
				if position < len(expected) and heard(text, expected[position]):
					position += 1
			return position == len(expected)
		try:
			wait_for("speech %s" % expected, spoken, timeout=60)
		except Failure:
			raise Failure("Orca did not say %s; it said %s" % (expected, self.speech()[since:]))
		return len(self.speech())

	def stop(self):
		self.process.terminate()
		try:
			self.process.wait(DEADLINE)
		except subprocess.TimeoutExpired:
			self.process.kill()
			self.process.wait()
		os.close(self.slave)
		self.reader.join(DEADLINE)
		os.close(self.master)


def case_orca(programs, work):
	path = make_file(work, "notes.txt", 0o640)
	host, frame = open_in_host(programs, path)

	orca = Orca(programs, work)
	try:
		said = orca.wait_for_speech(["Screen reader on."], 0)
		# The window takes the keyboard: Orca reads it, its first panel and the focused box.
		subprocess.run(["xdotool", "windowfocus", "--sync", x_window("notes.txt")[0]],
			check=True, timeout=DEADLINE)
		# Orca 48 ends "frame" and "panel" without a period.
		said = orca.wait_for_speech([("notes.txt frame.", "notes.txt frame"),
			("Owner panel.", "Owner panel"), "read check box checked."], said)
		for key, expected in (("Tab", ["tab", "write check box checked."]),
				("Tab", ["tab", "execute check box not checked."]),
				("space", ["space", "checked"])):
			subprocess.run(["xdotool", "key", key], check=True, timeout=DEADLINE)
			said = orca.wait_for_speech(expected, said)

		# An alert that takes the keyboard is read whole.
		alert_host = programs.start("alert", os.environ["HOST"], os.environ["ADDON"],
			os.path.join(work, "missing"))
		window("run-tracker-addon", pyatspi.ROLE_ALERT, "Bitgate Error")
		subprocess.run(["xdotool", "windowfocus", "--sync", x_window("Bitgate Error")[0]],
			check=True, timeout=DEADLINE)
		said = orca.wait_for_speech(["alert Bitgate Error.", "Woah, I've opened too many nodes...",
			("Dang push button.", "Dang button.")], said)
		print("Orca said:\n" + "\n".join(orca.speech()))
	finally:
		orca.stop()
	subprocess.run(["xdotool", "key", "Return"], check=True, timeout=DEADLINE)
	programs.finish(alert_host)
	press(descendant(frame, pyatspi.ROLE_PUSH_BUTTON, "Set"))
	programs.finish(host)
	if mode_of(path) != 0o740:
		raise Failure("%s has mode %o, not 740" % (path, mode_of(path)))


CASES = {name[len("case_"):]: function for name, function in globals().items()
	if name.startswith("case_")}


def main():
	case = CASES.get(sys.argv[1] if len(sys.argv) > 1 else "")
	if case is None:
		print("usage: tree.py %s" % "|".join(sorted(CASES)), file=sys.stderr)
		return 2
	# The accessibility bus and registry start on demand: here, before any program, so that a
	# program's start never meets theirs.
	pyatspi.Registry.getDesktop(0).childCount
	work = tempfile.mkdtemp()
	programs = Programs(work)
	try:
		case(programs, work)
		return 0
	except Failure as failure:
		print("FAIL: %s" % failure, file=sys.stderr)
		programs.report()
		return 1
	finally:
		programs.stop()
		shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
	sys.exit(main())
