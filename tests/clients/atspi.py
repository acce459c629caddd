# Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
#
# What the file-manager tests ask of the accessibility tree, each waiting with a deadline:
#   atspi.py extents PID ROLE NAME     prints "X Y W H" (screen) of a showing ROLE named NAME
#                                      (ROLE: "*" for any, "a|b" for either)
#   atspi.py activate PID NAME         does the first action of the showing menu item or button
#                                      NAME (or any of NAME's names, separated by "|")
#   atspi.py wait PID NAME SECONDS     exits 0 once the menu item NAME shows, 1 if it doesn't
#   atspi.py selected PID ROLE NAME    exits 0 once the showing ROLE NAME is selected
#   atspi.py says PID ROLE TEXT...     exits 0 once a showing ROLE's name holds one of TEXT...
#   atspi.py choose PID NAME...        in the open menu, goes down to the item NAME and presses
#                                      Return, for each NAME in turn (a submenu's item after its
#                                      menu's); for menus whose items the tree has no names or
#                                      places for, or which are outside the tree. NAME=KEY also
#                                      takes a nameless item that lists KEY (Alt+letter, F12)
#   atspi.py locate PID ROLE NAME X Y [KEY]
#                                      prints "X Y", a point where a click (with KEY held, "ctrl")
#                                      selects the item, in the window whose inside starts at X, Y
#   atspi.py dump PID [STATE...]       prints the application's tree, for writing tests; with
#                                      STATEs, only what has one of them ("focused")
# PID is the file manager's process; NAME is matched exactly, ROLE by its name ("menu item").
# choose presses its keys with xdotool, or with the command ATSPI_PRESS names, given the key.
# Run with the system's Python, which has pyatspi.

import os
import shlex
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

# Seconds to wait for anything; a slow file manager's tests raise it.
kDeadline = float(os.environ.get("ATSPI_SECONDS", "20"))


def application(pid):
	desktop = pyatspi.Registry.getDesktop(0)
	for index in range(desktop.childCount):
		app = desktop.getChildAtIndex(index)
		try:
			if app is not None and app.get_process_id() == pid:
				return app
		except Exception:
			continue
	return None


def showing(accessible):
	# GTK 4 never sets SHOWING: visible and placed on the screen is as good.
	try:
		states = accessible.getState()
		if states.contains(pyatspi.STATE_SHOWING):
			return True
		if not states.contains(pyatspi.STATE_VISIBLE):
			return False
		box = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
		return box.x > -100000 and box.y > -100000 and box.width > 0 and box.height > 0
	except Exception:
		return False


def descendants(accessible, depth=0):
	# Menus and views can be large: a closed or hidden branch is not walked.
	try:
		count = accessible.childCount
	except Exception:
		return
	for index in range(min(count, 500)):
		try:
			child = accessible.getChildAtIndex(index)
		except Exception:
			continue
		if child is None:
			continue
		yield child, depth + 1
		yield from descendants(child, depth + 1)


def find(pid, test, seconds=kDeadline):
	deadline = time.monotonic() + seconds
	while time.monotonic() < deadline:
		app = application(pid)
		if app is not None:
			for accessible, depth in descendants(app):
				try:
					if showing(accessible) and test(accessible):
						return accessible
				except Exception:
					continue
		time.sleep(0.1)
	return None


def has_role(accessible, role):
	"""ROLE is a role's name, several separated by "|" (the toolkits' versions differ), or "*"."""
	return role == "*" or accessible.getRoleName() in role.split("|")


def extents(pid, role, name):
	found = find(pid, lambda a: has_role(a, role) and a.name == name)
	if found is None:
		sys.exit(f"atspi.py: no {role} \"{name}\" in {pid}")
	box = found.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
	print(box.x, box.y, box.width, box.height)


kItemRoles = (pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_MENU, pyatspi.ROLE_CHECK_MENU_ITEM,
	pyatspi.ROLE_PUSH_BUTTON)


def wait(pid, name, seconds):
	if find(pid, lambda a: a.getRole() in kItemRoles and a.name == name, seconds) is None:
		sys.exit(1)


def activate(pid, name):
	names = name.split("|")
	found = find(pid, lambda a: a.getRole() in kItemRoles and a.name in names)
	if found is None:
		sys.exit(f"atspi.py: no menu item \"{name}\" in {pid}")
	found.queryAction().doAction(0)


def is_selected(accessible):
	"""GTK 4.8 sets SELECTED on the cell that holds the named one, not on the named one; the
	GTK 3 icon view of Caja sets no state at all, its pane's selection tells."""
	if accessible.getState().contains(pyatspi.STATE_SELECTED):
		return True
	parent = accessible.parent
	if parent is None:
		return False
	if parent.getState().contains(pyatspi.STATE_SELECTED):
		return True
	try:
		return parent.querySelection().isChildSelected(accessible.getIndexInParent())
	except NotImplementedError:
		return False


def selected(pid, role, name):
	def test(accessible):
		return has_role(accessible, role) and accessible.name == name and is_selected(accessible)
	if find(pid, test) is None:
		sys.exit(f"atspi.py: {role} \"{name}\" in {pid} is not selected")


def says(pid, role, texts):
	def test(accessible):
		return has_role(accessible, role) and any(text in accessible.name for text in texts)
	if find(pid, test) is None:
		sys.exit(f"atspi.py: no {role} in {pid} says any of {texts}")


def pump():
	context = GLib.MainContext.default()
	while context.iteration(False):
		pass


def label_of(item):
	"""An item's name; where the tree gives none, the text it shows (its labels')."""
	if item.name:
		return item.name
	texts = []
	for accessible, depth in descendants(item):
		try:
			text = accessible.name or accessible.queryText().getText(0, -1)
		except Exception:
			text = ""
		if text:
			texts.append(text)
	return " ".join(texts)


def press(key):
	"""Presses KEY with the command ATSPI_PRESS names (a compositor's hand), else with xdotool."""
	command = shlex.split(os.environ.get("ATSPI_PRESS", "xdotool key"))
	subprocess.run(command + [key], check=True, timeout=10, stdout=subprocess.DEVNULL)


class FocusWatch:
	"""The menu item that took the focus last in PID, told by the tree's events: a menu outside
	the tree (Qt's) still sends them."""

	kEvents = ("object:state-changed:focused", "object:state-changed:selected",
		"object:active-descendant-changed")

	def __init__(self, pid):
		self.pid = pid
		self.item = None
		self.count = 0
		pyatspi.Registry.registerEventListener(self.on_event, *self.kEvents)

	def on_event(self, event):
		try:
			if event.type.startswith("object:active-descendant-changed"):
				item = event.any_data
			elif event.detail1 == 1:
				item = event.source
			else:
				return
			if item is None or item.getRole() not in kItemRoles \
					or item.get_process_id() != self.pid:
				return
		except Exception:
			return
		self.item = item
		self.count += 1

	def after(self, key, seconds=5):
		"""Presses key (if any); the item that has the focus then, None if none took it."""
		count = self.count
		if key is not None:
			press(key)
		deadline = time.monotonic() + seconds
		while self.count == count and time.monotonic() < deadline:
			pump()
			time.sleep(0.02)
		# Events of the same key that follow (focused after selected) name the same item.
		pump()
		return self.item if self.count > count else None


# No menu of the file managers has as many items.
kMenuLength = 40


def shortcuts_of(item):
	"""The keys an item lists (its mnemonic as Alt+letter, its accelerator)."""
	for attribute in item.getAttributes():
		if attribute.startswith("keyshortcuts:"):
			return attribute[len("keyshortcuts:"):].split()
	return []


def identity(item):
	"""What tells an item from its neighbours: its name, else the keys it lists."""
	if item is None:
		return None
	return label_of(item) or "(" + " ".join(shortcuts_of(item)) + ")"


def matches(item, wanted):
	"""wanted is NAME or NAME=KEY: the item is named NAME, or, having no name, lists KEY, the
	mnemonic its name has or the accelerator given to its name."""
	name, _, key = wanted.partition("=")
	if item is None:
		return False
	label = label_of(item)
	return label == name or (not label and key != "" and key in shortcuts_of(item))


def choose(pid, names):
	watch = FocusWatch(pid)
	pump()
	item = None
	for index, name in enumerate(names):
		seen = []
		# A submenu may give its first item the focus as it opens.
		while not matches(item, name):
			item = watch.after("Down")
			# Down wraps round at the menu's end, or goes no further.
			if item is None or (seen and identity(item) == seen[0]) or len(seen) > kMenuLength:
				sys.exit(f"atspi.py: no \"{name}\" in the menu of {pid}; going down: {seen}")
			seen.append(identity(item))
		if index + 1 < len(names):
			item = watch.after("Return", 2)
	press("Return")


def locate(pid, role, name, left, top, modifier=None):
	"""A point on the screen where a click selects the item: GTK 4.18 places items within the
	window only roughly, so points on and around its box are tried in turn, each click
	checked in the tree."""
	found = find(pid, lambda a: has_role(a, role) and a.name == name)
	if found is None:
		sys.exit(f"atspi.py: no {role} \"{name}\" in {pid}")
	box = found.queryComponent().getExtents(pyatspi.WINDOW_COORDS)
	x0, y0 = left + box.x, top + box.y
	points = [(x0 + box.width // 2, y0 + box.height // 2)]
	# GTK 4.8 gives the place within the window as the screen's: tried first. GTK 4.18 gives
	# the screen's as 0,0, where a click would land on the sidebar and leave the folder.
	screen = found.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
	if screen.x != 0 or screen.y != 0:
		points.insert(0, (screen.x + screen.width // 2, screen.y + screen.height // 2))
	points += [(x0 + dx, y0 + dy) for dy in range(8, box.height + 48, 16)
		for dx in range(8, box.width + 48, 16)]
	def selected():
		return find(pid, lambda a: has_role(a, role) and a.name == name and is_selected(a),
			0.1) is not None

	for x, y in points:
		click = ["mousemove", str(x), str(y), "click", "1"]
		if modifier:
			click = ["keydown", modifier] + click + ["keyup", modifier]
		subprocess.run(["xdotool"] + click, check=True, timeout=10)
		# Clicks a second apart never make a double click, which would open the file; nor does
		# the press that follows once the item is selected (a drag's).
		deadline = time.monotonic() + 1
		while time.monotonic() < deadline:
			pump()
			if selected():
				time.sleep(max(0, deadline - time.monotonic()))
				print(x, y)
				return
			time.sleep(0.05)
	sys.exit(f"atspi.py: no click selects {role} \"{name}\" in {pid}")


def dump(pid, states):
	"""With STATES (names such as "selected"), only what has one of them."""
	wanted = [getattr(pyatspi, "STATE_" + state.upper()) for state in states]
	deadline = time.monotonic() + kDeadline
	app = application(pid)
	while app is None and time.monotonic() < deadline:
		time.sleep(0.1)
		app = application(pid)
	if app is None:
		sys.exit(f"atspi.py: no application {pid}")
	for accessible, depth in descendants(app):
		try:
			if wanted and not any(accessible.getState().contains(state) for state in wanted):
				continue
			box = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
			where = f"{box.x},{box.y} {box.width}x{box.height}"
		except Exception:
			where = ""
		names = " ".join(getattr(state, "value_nick", str(state))
			for state in accessible.getState().getStates())
		indent = "" if wanted else "  " * depth
		print(indent + f"[{accessible.getRoleName()}] \"{accessible.name}\" {where} {names}")


def main():
	command = sys.argv[1] if len(sys.argv) > 1 else ""
	if command == "extents" and len(sys.argv) == 5:
		extents(int(sys.argv[2]), sys.argv[3], sys.argv[4])
	elif command == "activate" and len(sys.argv) == 4:
		activate(int(sys.argv[2]), sys.argv[3])
	elif command == "wait" and len(sys.argv) == 5:
		wait(int(sys.argv[2]), sys.argv[3], float(sys.argv[4]))
	elif command == "selected" and len(sys.argv) == 5:
		selected(int(sys.argv[2]), sys.argv[3], sys.argv[4])
	elif command == "says" and len(sys.argv) >= 5:
		says(int(sys.argv[2]), sys.argv[3], sys.argv[4:])
	elif command == "locate" and len(sys.argv) in (7, 8):
		locate(int(sys.argv[2]), sys.argv[3], sys.argv[4], int(sys.argv[5]), int(sys.argv[6]),
			*sys.argv[7:])
	elif command == "choose" and len(sys.argv) >= 4:
		choose(int(sys.argv[2]), sys.argv[3:])
	elif command == "dump" and len(sys.argv) >= 3:
		dump(int(sys.argv[2]), sys.argv[3:])
	else:
		sys.exit("usage: atspi.py extents PID ROLE NAME | activate PID NAME | wait PID NAME SECONDS"
			" | selected PID ROLE NAME | says PID ROLE TEXT... | choose PID NAME..."
			" | locate PID ROLE NAME X Y [KEY] | dump PID [STATE...]")


main()
