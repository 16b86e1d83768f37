#!/usr/bin/python3
"""The window as a screen reader on Linux reads it: through the AT-SPI bus.

Run inside a session bus of its own on a virtual display:
    xvfb-run -a dbus-run-session -- /usr/bin/python3 atspi_tree.py TRACKPORTER
It starts the accessibility bus (at-spi-bus-launcher, which starts the
registry), writes the demo song into a scratch home, opens the window on it,
lists the window's accessibility tree and checks that the named dials,
buttons, check boxes, slider, grid cells and meters are there with their
roles, and that the slider, the pan knobs and the master table describe
themselves in words; then that a dial set, a cell and a mute key pressed
through the bus are announced and read back (the pan's words too), and
that the keyboard's cell in the grid is what is heard as focused.
"""
import os
import subprocess
import sys
import tempfile
import time

from gi.repository import Gio, GLib

LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
# Waits for processes started here to come up; a bound, not a pace.
STARTUP_LIMIT = 60.0


def wait_for(what, check, limit=STARTUP_LIMIT):
    """check() until it gives something, running the bus's events meanwhile."""
    context = GLib.MainContext.default()
    deadline = time.monotonic() + limit
    while time.monotonic() < deadline:
        while context.pending():
            context.iteration(False)
        result = check()
        if result:
            return result
        time.sleep(0.1)
    return None


def wait_or_fail(what, check):
    result = wait_for(what, check)
    if not result:
        sys.exit(f"FAIL: {what} did not come up within {STARTUP_LIMIT:.0f} s")
    return result


def session_bus_has(name):
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    reply = bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                          "NameHasOwner", GLib.Variant("(s)", (name,)), None, Gio.DBusCallFlags.NONE, -1, None)
    return reply.unpack()[0]


def start_program(program, home):
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
               XDG_CACHE_HOME=os.path.join(home, ".cache"), QT_QPA_PLATFORM="xcb",
               QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    subprocess.run([program, "--make-demo"], env=env, check=True, stdout=subprocess.DEVNULL)
    return subprocess.Popen([program, os.path.join(home, "TrackPorter Demo")], env=env)


def find_application(pyatspi):
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and (app.name or "").lower() == "trackporter" and app.childCount > 0:
            return app
    return None


def walk(node, depth, lines, found):
    role = node.getRoleName()
    name = node.name or ""
    lines.append(f"{'  ' * depth}{role}: {name}")
    found.setdefault((role, name), node)
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            walk(child, depth + 1, lines, found)


def main():
    program = os.path.abspath(sys.argv[1])
    launcher = subprocess.Popen([LAUNCHER, "--launch-immediately"])
    wait_or_fail("the accessibility bus", lambda: session_bus_has("org.a11y.Bus"))
    import pyatspi  # connects to the bus the launcher started

    # Listening before the program starts: it asks the registry at start-up
    # which events anyone wants.
    heard = []
    def listener(event):
        heard.append((event.type, event.source.name if event.source else "", event.detail1))
    pyatspi.Registry.registerEventListener(listener, "object:property-change:accessible-value",
                                           "object:property-change:accessible-description",
                                           "object:state-changed:checked", "object:state-changed:focused")

    with tempfile.TemporaryDirectory() as home:
        window = start_program(program, home)
        try:
            app = wait_or_fail("the window on the accessibility bus", lambda: find_application(pyatspi))
            # The tree is complete once the grid shows the demo song's first take.
            def tree():
                lines, found = [], {}
                walk(app, 0, lines, found)
                return (lines, found) if any(n.startswith("Track 1, take 1: ") for _, n in found) else None
            lines, found = wait_or_fail("the demo song in the grid", tree)
            print("\n".join(lines))
            failures = check(found)
            failures += check_changes(pyatspi, found, heard)
            print(f"heard: {heard}")
        finally:
            window.terminate()
            window.wait()
            launcher.terminate()
            launcher.wait()
    for failure in failures:
        print("FAIL:", failure)
    print(f"{len(lines)} objects listed, {len(failures)} failures")
    return 1 if failures else 0


def check(found):
    failures = []
    # Qt 6.4's bridge carries the checked state of a check box, not of a
    # checkable button: every choice the user sets and reads back is one.
    expected = [
        ("dial", "Track 1 volume"), ("dial", "Track 16 volume"), ("dial", "Track 1 pan"), ("dial", "Track 16 pan"),
        ("check box", "Play"), ("push button", "Import"), ("push button", "Export"),
        ("check box", "Mute track 1"), ("check box", "Solo track 16"), ("check box", "Clip light"),
        ("check box", "Import to track 1"), ("check box", "Master take 2: empty"),
        ("slider", "Position"), ("table", "Takes"), ("table", "Master takes"),
        ("progress bar", "Track 1 level"), ("progress bar", "Mix level"),
    ]
    for role, name in expected:
        if (role, name) not in found:
            roles = [r for (r, n) in found if n == name]
            failures.append(f"no {role} named {name!r} (found {roles})")
    cells = [n for (role, n) in found if role == "check box" and n.startswith("Track 1, take 1: ")]
    if not cells:
        failures.append("no check box for track 1, take 1")
    # What Orca reads after the name: the words, not the bare value or a
    # name from the program's code.
    import re
    described = [
        (("slider", "Position"), lambda d: re.fullmatch(r"0:00 of \d+:\d\d", d)),
        (("dial", "Track 1 pan"), lambda d: d == "centre"),
        (("table", "Master takes"), lambda d: d == "The song's ten stereo master takes; choose one"),
    ]
    for key, good in described:
        node = found.get(key)
        description = node.description if node is not None else None
        if description is None or not good(description):
            failures.append(f"{key[1]!r} is described as {description!r}")
    return failures


def check_changes(pyatspi, found, heard):
    """A dial set and a take cell pressed through the bus; the program
    announces the new value and the new state, and reads them back."""
    failures = []
    dial = found.get(("dial", "Track 2 volume"))
    if dial is None:
        return ["no dial named 'Track 2 volume'"]
    value = dial.queryValue()
    if (value.minimumValue, value.maximumValue, value.currentValue) != (0, 127, 100):
        failures.append(f"track 2 volume reads {value.minimumValue}..{value.maximumValue}, {value.currentValue}")
    value.currentValue = 64
    if dial.queryValue().currentValue != 64:
        failures.append("track 2 volume did not take 64 through the bus")
    # The label beside the knob shows the mixer's volume; it follows.
    label = dial.parent.getChildAtIndex(dial.getIndexInParent() + 1)
    if label is None or label.name != "64":
        failures.append(f"the label beside track 2 volume reads {label.name if label else None!r}, not '64'")
    if not wait_for("the new volume's notice", lambda: any(
            t == "object:property-change:accessible-value" and n == "Track 2 volume" for t, n, _ in heard)):
        failures.append("no value change was announced for track 2 volume")

    failures += check_pan_and_mute(pyatspi, found, heard)

    cell_name = next(n for (role, n) in found if n.startswith("Track 1, take 1: "))
    cell = next(node for (role, n), node in found.items() if n == cell_name)
    failures += toggle_and_hear(pyatspi, cell, cell_name, heard)
    return failures + check_keyboard_cell(found, heard)


def toggle_and_hear(pyatspi, node, name, heard):
    """Presses `node` through its Toggle action; it must announce, and then
    read, the checked state."""
    action = node.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    if "Toggle" not in names:
        return [f"{name!r} offers {names}, no Toggle"]
    action.doAction(names.index("Toggle"))
    failures = []
    if not wait_for(f"the notice of {name}", lambda: any(
            t == "object:state-changed:checked" and n == name and d == 1 for t, n, d in heard)):
        failures.append(f"pressing {name!r} announced no checked state; heard {heard}")
    if not node.getState().contains(pyatspi.STATE_CHECKED):
        failures.append(f"{name!r} does not read as checked after the press")
    return failures


def check_pan_and_mute(pyatspi, found, heard):
    """A pan set through the bus is described as the label shows it, and
    the change of words is announced; a mute key pressed is announced as
    checked."""
    failures = []
    pan = found.get(("dial", "Track 3 pan"))
    if pan is None:
        return ["no dial named 'Track 3 pan'"]
    pan.queryValue().currentValue = 30
    if pan.description != "L40":
        failures.append(f"track 3 pan at 30 is described as {pan.description!r}, not 'L40'")
    if not wait_for("the pan's new words", lambda: any(
            t == "object:property-change:accessible-description" and n == "Track 3 pan" for t, n, _ in heard)):
        failures.append("no description change was announced for track 3 pan")
    mute = found.get(("check box", "Mute track 1"))
    if mute is None:
        return failures + ["no check box named 'Mute track 1'"]
    return failures + toggle_and_hear(pyatspi, mute, "Mute track 1", heard)


def check_keyboard_cell(found, heard):
    """The keyboard's cell in the grid is what a screen reader hears as
    focused: when the grid takes the focus, and as the arrow keys move it."""
    def last_focused():
        gained = [n for t, n, d in heard if t == "object:state-changed:focused" and d == 1]
        return gained[-1] if gained else ""
    # Without a window manager the window has the keyboard once X says so.
    subprocess.run(["xdotool", "search", "--name", "^TrackPorter for", "windowfocus", "--sync"], check=True)
    second = next(node for (role, n), node in found.items() if n.startswith("Track 2, take 1: "))
    second.queryComponent().grabFocus()
    failures = []
    if not wait_for("the second track's cell focused", lambda: last_focused().startswith("Track 2, take 1: ")):
        failures.append(f"grabbing the focus of track 2's cell ended on {last_focused()!r}")
    subprocess.run(["xdotool", "key", "Down"], check=True)
    if not wait_for("the third track's cell focused", lambda: last_focused().startswith("Track 3, take 1: ")):
        failures.append(f"the Down key ended on {last_focused()!r}")
    return failures


if __name__ == "__main__":
    sys.exit(main())
