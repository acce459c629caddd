# Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
#
# The file managers' items in the accessibility tree, for the Wayland cases:
#   tree.py extents PID NAME SECONDS   prints "X Y W H" of the showing item NAME, inside its
#                                      window (a Wayland program knows no place on the screen)
#   tree.py dump PID                   prints the application's tree, for writing tests
# Run with the system's Python, which has pyatspi.

import sys
import time

import pyatspi


def application(pid):
	desktop = pyatspi.Registry.getDesktop(0)
	for index in range(desktop.childCount):
		try:
			app = desktop.getChildAtIndex(index)
			if app is not None and app.get_process_id() == pid:
				return app
		except Exception:
			continue
	return None


def descendants(accessible, depth=0):
	try:
		count = accessible.childCount
	except Exception:
		return
	for index in range(min(count, 500)):
		try:
			child = accessible.getChildAtIndex(index)
		except Exception:
			continue
		if child is not None:
			yield child, depth + 1
			yield from descendants(child, depth + 1)


def box(accessible):
	return accessible.queryComponent().getExtents(pyatspi.WINDOW_COORDS)


def extents(pid, name, seconds):
	deadline = time.monotonic() + seconds
	while time.monotonic() < deadline:
		app = application(pid)
		for accessible, _ in descendants(app) if app is not None else ():
			try:
				if accessible.name == name and accessible.getRoleName() != "label":
					where = box(accessible)
					if where.width > 0 and where.height > 0:
						print(where.x, where.y, where.width, where.height)
						return
			except Exception:
				continue
		time.sleep(0.2)
	sys.exit(f"tree.py: no item \"{name}\" in {pid}")


def dump(pid):
	app = application(pid)
	if app is None:
		sys.exit(f"tree.py: no application {pid}")
	for accessible, depth in descendants(app):
		try:
			where = box(accessible)
			place = f"{where.x},{where.y} {where.width}x{where.height}"
		except Exception:
			place = ""
		print("  " * depth + f"[{accessible.getRoleName()}] \"{accessible.name}\" {place}")


if len(sys.argv) == 5 and sys.argv[1] == "extents":
	extents(int(sys.argv[2]), sys.argv[3], float(sys.argv[4]))
elif len(sys.argv) == 3 and sys.argv[1] == "dump":
	dump(int(sys.argv[2]))
else:
	sys.exit("usage: tree.py extents PID NAME SECONDS | dump PID")
