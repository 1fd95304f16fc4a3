#!/usr/bin/python3
"""Both windows of the real program as a screen reader sees them over AT-SPI.

accessibility_test.py PROGRAM SITE_URL, run inside a D-Bus session on an X
server with a window manager. Starts PROGRAM with accessibility on and a
stand-in browser that records what it is asked to open, prints the tree
that a screen reader gets, and checks the roles, names and actions that
matter: the main window a frame with the keyboard on "Créer", "A propos"
pressed through its action opens a dialog, the DTMF grid is a table whose
cells read their key and pair, the icon box is named, the link is a link whose press action opens
the site. Exits 77 when pyatspi is missing.
"""

import os
import subprocess
import sys
import tempfile
import time
import urllib.parse

try:
    import pyatspi
except ImportError:
    print("SKIP: python3-pyatspi is not installed")
    sys.exit(77)

program, site = sys.argv[1], sys.argv[2]
results = {"passed": 0, "failed": 0}


def check(ok, what):
    results["passed" if ok else "failed"] += 1
    print(("ok    " if ok else "FAIL  ") + what)


def wait_for(find, seconds=10.0):
    deadline = time.monotonic() + seconds
    while True:
        found = find()
        if found or time.monotonic() > deadline:
            return found
        time.sleep(0.1)


def walk(node):
    yield node
    for child in node:
        if child is not None:
            yield from walk(child)


def actions(node):
    try:
        acting = node.queryAction()
    except NotImplementedError:
        return []
    return [acting.getName(i) for i in range(acting.nActions)]


def do(node, name):
    acting = node.queryAction()
    acting.doAction([acting.getName(i) for i in range(acting.nActions)].index(name))


def dump(node, depth=0):
    states = [pyatspi.stateToString(s) for s in node.getState().getStates()
              if s in (pyatspi.STATE_ACTIVE, pyatspi.STATE_FOCUSED)]
    print("  " * depth + "%s %r %r %s %s" % (node.getRoleName(), node.name,
                                             node.description, actions(node), states))
    for child in node:
        if child is not None:
            dump(child, depth + 1)


def named(app, role, name):
    return next((n for n in walk(app) if n.getRoleName() == role and n.name == name), None)


def application():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "Quenbrix" and app.childCount > 0:
            return app
    return None


with tempfile.TemporaryDirectory() as scratch:
    opened = os.path.join(scratch, "opened.txt")
    browser = os.path.join(scratch, "xdg-open")
    with open(browser, "w", encoding="utf-8") as script:
        script.write('#!/bin/sh\nprintf "%%s\\n" "$*" >> "%s"\n' % opened)
    os.chmod(browser, 0o755)
    environment = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb",
                       PATH=scratch + os.pathsep + os.environ.get("PATH", ""))
    quenbrix = subprocess.Popen([program], env=environment)
    try:
        app = wait_for(application)
        check(app is not None, "the program shows up on the accessibility bus")
        if app is None:
            sys.exit(1)
        main = wait_for(lambda: named(app, "frame", "Quenbrix"))
        check(main is not None, "the main window is a frame named Quenbrix")
        create = named(app, "push button", "Créer")
        check(create is not None and wait_for(
            lambda: create.getState().contains(pyatspi.STATE_FOCUSED)),
            "\"Créer\" has the keyboard at start")
        dump(app)

        about_button = named(app, "push button", "A propos")
        check(about_button is not None and "Press" in actions(about_button),
              "\"A propos\" can be pressed")
        do(about_button, "Press")
        dialog = wait_for(lambda: named(app, "dialog", "À propos"))
        check(dialog is not None, "\"A propos\" opens a dialog named À propos")
        if dialog is None:
            sys.exit(1)
        dump(dialog)

        check(named(dialog, "image", "Icône de Quenbrix") is not None, "the icon box is named")
        # The DTMF keypad of ITU-T Q.23, row by row.
        low, high, keys = (697, 770, 852, 941), (1209, 1336, 1477, 1633), "123A456B789C*0#D"
        grid = next((n for n in walk(dialog) if n.getRoleName() == "table"), None)
        check(grid is not None, "the DTMF grid is a table")
        table = grid.queryTable() if grid is not None else None
        check(table is not None and (table.nRows, table.nColumns) == (4, 4),
              "the table has 4 rows and 4 columns")
        if table is not None:
            check([table.getColumnHeader(c).name for c in range(4)] == ["%d Hz" % f for f in high]
                  and [table.getRowHeader(r).name for r in range(4)] == ["%d Hz" % f for f in low],
                  "its column headers are the high frequencies, its row headers the low ones")
            names = [table.getAccessibleAt(r, c).name for r in range(4) for c in range(4)]
            expected = ["%s : %d Hz et %d Hz" % (keys[i], low[i // 4], high[i % 4])
                        for i in range(16)]
            check(names == expected, "each cell reads its key and its pair: %s" % names[5])

        host = urllib.parse.urlsplit(site).hostname
        link = named(dialog, "link", host)
        check(link is not None and link.description == site,
              "the link is a link named %s, leading to %s" % (host, site))
        check(link is not None and "Press" in actions(link), "the link can be pressed")
        if link is not None and "Press" in actions(link):
            do(link, "Press")
            seen = wait_for(lambda: os.path.exists(opened) and open(opened).read().split())
            check(seen == [site], "pressing the link opens the site in the browser: %s" % seen)
            check(named(app, "dialog", "À propos") is not None, "the dialog stays open")
    finally:
        quenbrix.terminate()
        quenbrix.wait(10)

print("%d passed, %d failed" % (results["passed"], results["failed"]))
sys.exit(1 if results["failed"] else 0)
