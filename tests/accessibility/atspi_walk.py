#!/usr/bin/python3
"""What a screen reader finds in the program's windows, read over AT-SPI as a screen reader reads it.

Starts a virtual screen (Xvfb), a session bus, the accessibility bus and the program with Qt's
accessibility on; opens the settings, preview, help and report windows through the controls'
own accessible actions (as a screen reader's user would, no mouse); walks every window's tree and
fails on each focusable control without a name. In the font list it checks a row's name and place
and that moving the focus with the keyboard (a cursor key, then typed letters) raises
object:state-changed:focused on the row that got it.

Usage: atspi_walk.py PROGRAM    (run by ctest; needs Xvfb, dbus-run-session, at-spi2-core,
python3-pyatspi and xdotool)
"""

import os
import re
import subprocess
import sys
import tempfile
import time

TIMEOUT = 30
# Roles whose children are content, not controls: the rows of the font list are checked apart,
# and walking thousands of them over the bus would take minutes.
CONTENT_ROLES = {"list", "table", "tree table", "tree"}


def inner_bus(argv):
    """Re-runs this script inside a session bus of its own with a screen of its own."""
    if os.environ.get("GW_ATSPI_INNER") == "1":
        return
    os.environ["GW_ATSPI_INNER"] = "1"
    os.execvp("dbus-run-session", ["dbus-run-session", "--", sys.executable] + argv)


def start_display(workdir):
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=open(os.path.join(workdir, "xvfb.log"), "w"))
    os.close(write_end)
    number = b""
    with os.fdopen(read_end, "rb") as pipe:
        while not number.endswith(b"\n"):
            chunk = pipe.read(1)
            if not chunk:
                raise SystemExit("Xvfb did not start")
            number += chunk
    os.environ["DISPLAY"] = ":" + number.decode().strip()
    return xvfb


def start_accessibility_bus():
    launcher = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # The launcher answers on the session bus once it is up.
    deadline = time.monotonic() + TIMEOUT
    while time.monotonic() < deadline:
        probe = subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
                                "org.a11y.Bus.GetAddress"], capture_output=True)
        if probe.returncode == 0:
            return launcher
        time.sleep(0.1)
    raise SystemExit("the accessibility bus did not start")


def pump(seconds):
    """Dispatches the bus's messages (events) for `seconds`."""
    from gi.repository import GLib
    context = GLib.MainContext.default()
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        while context.pending():
            context.iteration(False)
        time.sleep(0.02)


def wait_for(what, probe, timeout=TIMEOUT):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = probe()
        if found:
            return found
        pump(0.1)
    raise AssertionError("timed out waiting for " + what)


def children(node):
    try:
        return [node.getChildAtIndex(i) for i in range(node.childCount)]
    except Exception:
        return []


def walk(node, path=()):
    """Every node below `node` with its path of role names; the content of lists is left out."""
    for child in children(node):
        if child is None:
            continue
        here = path + (child.getRoleName(),)
        yield child, here
        if child.getRoleName() not in CONTENT_ROLES:
            yield from walk(child, here)


def find(root, role, names):
    names = [n.casefold() for n in names]
    for node, _ in walk(root):
        if node.getRoleName() == role and node.name.casefold() in names:
            return node
    return None


def application(pyatspi):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in children(desktop):
        if app is not None and app.name.lower() in ("glyphworks", "glyphwerk"):
            return app
    return None


def showing_frames(app, pyatspi):
    return [w for w in children(app) if w is not None and w.getState().contains(pyatspi.STATE_SHOWING)]


def do_action(node, names):
    action = node.queryAction()
    for i in range(action.nActions):
        if action.getName(i).lower() in names:
            action.doAction(i)
            return
    raise AssertionError("%s %r has no action %s" % (node.getRoleName(), node.name, names))


def unnamed_controls(window, pyatspi):
    found = []
    for node, path in walk(window):
        state = node.getState()
        # A control out of sight (the closed drop-down list of a combo box) is not reached.
        if (state.contains(pyatspi.STATE_FOCUSABLE) and state.contains(pyatspi.STATE_SHOWING)
                and not node.name.strip()):
            found.append("%s: %s %s" % (window.name, "/".join(path), node.getRoleName()))
    return found


def main():
    program = os.path.abspath(sys.argv[1])
    inner_bus(sys.argv)
    failures = []
    with tempfile.TemporaryDirectory() as workdir:
        xvfb = start_display(workdir)
        launcher = start_accessibility_bus()
        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1", QT_QPA_PLATFORM="xcb",
                   HOME=workdir, XDG_CONFIG_HOME=os.path.join(workdir, "config"),
                   XDG_RUNTIME_DIR=workdir)
        env.pop("QT_QPA_PLATFORMTHEME", None)
        glyphworks = subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL)
        try:
            import pyatspi
            app = wait_for("the program on the accessibility bus", lambda: application(pyatspi))
            main_window = wait_for("the main window", lambda: next(
                (w for w in showing_frames(app, pyatspi) if re.match(r"Glyph\w+ - ", w.name)), None))
            failures += check_list(main_window, pyatspi)

            # The other windows, opened through the controls' accessible actions.
            openers = [
                ("menu item", ["Advanced Settings", "Erweiterte Einstellungen"], ["press", "trigger"]),
                ("check box", ["Show larger Box for Font Preview", "Größeres Feld für Schriftprobe anzeigen"],
                 ["toggle", "press", "click"]),
                ("menu item", ["Introduction", "Einführung"], ["press", "trigger"]),
                ("menu item", ["Report Bug or Improvement..", "Fehler oder Verbesserung melden.."],
                 ["press", "trigger"]),
            ]
            for role, names, actions in openers:
                control = find(main_window, role, names)
                if control is None:
                    failures.append("no %s named %s in the main window" % (role, " / ".join(names)))
                    continue
                before = {w.name for w in showing_frames(app, pyatspi)}
                do_action(control, actions)
                try:
                    wait_for("a window opened by %r" % control.name,
                             lambda: {w.name for w in showing_frames(app, pyatspi)} - before, timeout=10)
                except AssertionError as error:
                    failures.append(str(error))

            windows = showing_frames(app, pyatspi)
            print("windows walked (%d): %s" % (len(windows), ", ".join(repr(w.name) for w in windows)))
            for window in windows:
                failures += unnamed_controls(window, pyatspi)
        finally:
            glyphworks.terminate()
            try:
                glyphworks.wait(10)
            except subprocess.TimeoutExpired:
                glyphworks.kill()
            launcher.terminate()
            xvfb.terminate()
    for failure in failures:
        print("FAIL: " + failure)
    print("%d failure(s)" % len(failures))
    return 1 if failures else 0


def check_list(main_window, pyatspi):
    failures = []
    font_list = next((n for n, _ in walk(main_window) if n.getRoleName() in CONTENT_ROLES), None)
    if font_list is None:
        return ["no font list in the main window"]
    if not font_list.name.strip():
        failures.append("the font list has no name")
    if font_list.childCount < 3:
        return failures + ["the font list has %d rows" % font_list.childCount]
    first = font_list.getChildAtIndex(0)
    if not first.name.strip():
        failures.append("the list's first row has no name")
    match = re.fullmatch(r"1 (of|von) ([\d,.]+)", first.description)
    if not match or int(re.sub(r"[,.]", "", match.group(2))) != font_list.childCount:
        failures.append("the first row's description is %r, not its place among %d"
                        % (first.description, font_list.childCount))

    focused = []

    def on_focus(event):
        if event.detail1 == 1:
            focused.append((event.source.getRoleName(), event.source.name))

    pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")
    try:
        # Without a window manager the window gets the keyboard only when it is given it.
        window = subprocess.run(["xdotool", "search", "--name", "^%s$" % re.escape(main_window.name)],
                                capture_output=True, text=True, check=True).stdout.split()[0]
        subprocess.run(["xdotool", "windowfocus", "--sync", window], check=True)
        font_list.queryComponent().grabFocus()
        pump(0.5)
        focused.clear()
        subprocess.run(["xdotool", "key", "Home", "Down"], check=True)
        second = font_list.getChildAtIndex(1).name
        try:
            wait_for("the focus on the second row", lambda: (("list item", second) in focused), timeout=10)
        except AssertionError:
            failures.append("moving down in the list raised no focus event on %r (events: %r)" % (second, focused))
        # Type-ahead: the first letters of an entry further down.
        target_row = font_list.childCount - 1
        target = font_list.getChildAtIndex(target_row).name
        letters = re.sub(r"[^0-9A-Za-z]", "", target.split(" | ")[0])[:6].lower()
        if letters:
            focused.clear()
            subprocess.run(["xdotool", "type", "--delay", "30", letters], check=True)
            try:
                wait_for("the focus on a row beginning with %r" % letters,
                         lambda: any(role == "list item" and re.sub(r"[^0-9a-z]", "", name.lower()).startswith(letters)
                                     for role, name in focused), timeout=10)
            except AssertionError:
                failures.append("typing %r in the list raised no focus event on a row beginning so (events: %r)"
                                % (letters, focused))
    finally:
        pyatspi.Registry.deregisterEventListener(on_focus, "object:state-changed:focused")
    return failures


if __name__ == "__main__":
    sys.exit(main())
