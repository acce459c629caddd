# Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
#
# What the file-manager tests ask of the accessibility tree, each waiting with a deadline:
#   atspi.py extents PID ROLE NAME     prints "X Y W H" (screen) of a showing ROLE ("*": any)
#                                      named NAME
#   atspi.py activate PID NAME         does the first action of the showing menu item or button
#                                      NAME (or any of NAME's names, separated by "|")
#   atspi.py wait PID NAME SECONDS     exits 0 once the menu item NAME shows, 1 if it doesn't
#   atspi.py dump PID                  prints the application's tree, for writing tests
# PID is the file manager's process; NAME is matched exactly, ROLE by its name ("menu item").
# Run with the system's Python, which has pyatspi.

import os
import sys
import time

import pyatspi

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


def extents(pid, role, name):
	found = find(pid, lambda a: role in ("*", a.getRoleName()) and a.name == name)
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


def dump(pid):
	deadline = time.monotonic() + kDeadline
	app = application(pid)
	while app is None and time.monotonic() < deadline:
		time.sleep(0.1)
		app = application(pid)
	if app is None:
		sys.exit(f"atspi.py: no application {pid}")
	for accessible, depth in descendants(app):
		try:
			box = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
			where = f"{box.x},{box.y} {box.width}x{box.height}"
		except Exception:
			where = ""
		print("  " * depth + f"[{accessible.getRoleName()}] \"{accessible.name}\" {where} "
			+ accessible.getState().getStates().__repr__().replace("STATE_", ""))


def main():
	command = sys.argv[1] if len(sys.argv) > 1 else ""
	if command == "extents" and len(sys.argv) == 5:
		extents(int(sys.argv[2]), sys.argv[3], sys.argv[4])
	elif command == "activate" and len(sys.argv) == 4:
		activate(int(sys.argv[2]), sys.argv[3])
	elif command == "wait" and len(sys.argv) == 5:
		wait(int(sys.argv[2]), sys.argv[3], float(sys.argv[4]))
	elif command == "dump" and len(sys.argv) == 3:
		dump(int(sys.argv[2]))
	else:
		sys.exit("usage: atspi.py extents PID ROLE NAME | activate PID NAME | dump PID")


main()
