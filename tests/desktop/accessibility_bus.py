"""The calculator as a screen reader meets it over AT-SPI.

Run inside a private D-Bus session, with DISPLAY on a private X server:
    dbus-run-session -- /usr/bin/python3 accessibility_bus.py <torvel-calculator>

It turns accessibility on as a desktop does for a screen reader, listens for
the events Orca listens for, starts the program and works it with real keys,
and checks what a reader can read and what it hears. Every failed check is
printed, and any one fails the test.
"""

import os
import subprocess
import sys
import time
import warnings

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, Gio, GLib  # noqa: E402

# Action.get_action_name is deprecated for a get_name that the bindings cannot
# tell from Accessible.get_name.
warnings.filterwarnings("ignore", category=DeprecationWarning)

TIMEOUT = 15  # seconds that any one awaited thing may take

WINDOW = "Calculate Milk Price"
INPUTS = ["CME butter price", "CME cheese price", "OV weighted average powder price"]
BUTTONS = {"Calculate": "Alt+C", "Clear": "Alt+L", "Print": "Alt+P", "Exit": "Alt+X"}
# The worked example (butter 1.4, cheese 1.7, powder 1.2) in US English, with
# the word each description must hold.
RESULTS = [
    ("Class 4A FAT", "butterfat", "$1.4557"),
    ("Class 4A SNF", "solids-not-fat", "$1.0302"),
    ("Class 4A cwt", "hundredweight", "$14.0578"),
    ("Class 4B FAT", "butterfat", "$1.4557"),
    ("Class 4B SNF", "solids-not-fat", "$1.1590"),
    ("Class 4B cwt", "hundredweight", "$15.1779"),
]
RESULT_NAMES = {name for name, _, _ in RESULTS}
MESSAGE = "Please input all commodities."

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL: " + what, file=sys.stderr)
    return ok


class Heard:
    """One event as it arrived; its source may be gone by the time it is read."""

    def __init__(self, event):
        self.type = event.type
        self.detail1 = event.detail1
        self.detail2 = event.detail2
        self.data = event.any_data if isinstance(event.any_data, str) else None
        self.role = self.name = None
        self.labels = []
        try:
            self.role = event.source.get_role_name()
            self.name = event.source.get_name()
            if self.role == "alert":
                self.labels = [child.get_name() for child in children(event.source)
                               if child.get_role_name() == "label" and showing(child)]
        except GLib.Error:
            pass

    def __repr__(self):
        return "%s from %s %r (%s, %s, %r)" % (self.type, self.role, self.name, self.detail1, self.detail2,
                                               self.data)


heard = []


def children(accessible):
    return [accessible.get_child_at_index(i) for i in range(accessible.get_child_count())]


def descendants(accessible):
    for child in children(accessible):
        yield child
        yield from descendants(child)


def states(accessible):
    return {state.value_nick for state in accessible.get_state_set().get_states()}


def showing(accessible):
    return "showing" in states(accessible)


def text_of(accessible):
    if "Text" not in accessible.get_interfaces():
        return None
    return Atspi.Text.get_text(accessible, 0, -1)


def pump_until(predicate, what):
    """Lets the bus deliver until predicate() holds, for TIMEOUT at most."""
    context = GLib.MainContext.default()
    deadline = time.monotonic() + TIMEOUT
    while True:
        while context.iteration(False):
            pass
        if predicate():
            return True
        if time.monotonic() > deadline:
            return check(False, "%s within %d s" % (what, TIMEOUT))
        time.sleep(0.02)


def events(kind, since=0, names=None):
    return [e for e in heard[since:] if e.type.startswith(kind) and (names is None or e.name in names)]


def xdotool(*args):
    subprocess.run(["xdotool", *args], check=True, timeout=TIMEOUT)


def keys(*names):
    xdotool("key", "--delay", "40", *names)


def type_text(text):
    xdotool("type", "--delay", "40", text)


def enable_accessibility():
    """What a desktop does when a screen reader starts."""
    session = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties", "Set",
                      GLib.Variant("(ssv)", ("org.a11y.Status", "IsEnabled", GLib.Variant("b", True))),
                      None, Gio.DBusCallFlags.NONE, TIMEOUT * 1000, None)


def find_window(program):
    found = []

    def window():
        desktop = Atspi.get_desktop(0)
        for app in children(desktop):
            if app is not None and app.get_process_id() == program.pid:
                found[:] = [w for w in children(app) if w.get_name() == WINDOW]
        return bool(found) and program.poll() is None

    pump_until(window, "the window on the accessibility bus")
    return found[0] if found else None


def focus_x_window():
    deadline = time.monotonic() + TIMEOUT
    while time.monotonic() < deadline:
        ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % WINDOW],
                             capture_output=True, text=True, timeout=TIMEOUT).stdout.split()
        if ids:
            xdotool("windowfocus", "--sync", ids[0])
            return
        time.sleep(0.1)
    raise SystemExit("FAIL: no X window titled %r" % WINDOW)


def check_controls(window):
    """Everything the keyboard reaches says what it is; the results never take the focus."""
    focusable = [o for o in descendants(window) if "focusable" in states(o)]
    check(sorted(o.get_name() for o in focusable) == sorted(INPUTS + list(BUTTONS)),
          "focusable: %s" % [o.get_name() for o in focusable])
    for o in focusable:
        name, description = o.get_name(), o.get_description()
        check(name.strip() and "&" not in name, "%r is named without access-key markup" % name)
        check(description.strip() and description != name, "%r has a description of its own: %r"
              % (name, description))
    for o in focusable:
        if o.get_role_name() == "push button":
            actions = {Atspi.Action.get_action_name(o, i): Atspi.Action.get_key_binding(o, i)
                       for i in range(Atspi.Action.get_n_actions(o))}
            check(actions.get("Press") == BUTTONS.get(o.get_name()),
                  "%r presses with %s: %s" % (o.get_name(), BUTTONS.get(o.get_name()), actions))
        else:
            check(o.get_role_name() == "text" and "editable" in states(o) and "read-only" not in states(o),
                  "%r is an editable text field: %s %s" % (o.get_name(), o.get_role_name(), states(o)))


def results_of(window):
    """The six results by name. The 4A and 4B FAT captions share their names;
    a caption is a label with no description."""
    found = [o for o in descendants(window) if o.get_name() in RESULT_NAMES
             and not (o.get_role_name() == "label" and not o.get_description())]
    names = sorted(o.get_name() for o in found)
    check(names == sorted(RESULT_NAMES), "the six results by name: %s" % names)
    return {o.get_name(): o for o in found}


def check_result(result, name, kind, price):
    """A result reads as a read-only field: its caption, then its price."""
    role, st, description = result.get_role_name(), states(result), result.get_description()
    check(role == "text", "%s is a text field: %s" % (name, role))
    check({"read-only", "showing", "visible"} <= st and not {"editable", "focusable"} & st,
          "%s is shown, read-only and never focused: %s" % (name, sorted(st)))
    check(name[:8] in description and kind in description, "%s is described: %r" % (name, description))
    check(text_of(result) == price, "%s reads %r: %r" % (name, price, text_of(result)))
    check("$" not in result.get_name() + description, "%s keeps the price out of its name and description"
          % name)
    if price:
        # Where a magnifier or mouse review finds each character: inside the
        # result, in reading order, and found again at its own centre.
        box = result.get_extents(Atspi.CoordType.SCREEN)
        left = box.x
        for offset in range(len(price)):
            char = Atspi.Text.get_character_extents(result, offset, Atspi.CoordType.SCREEN)
            centre = (char.x + char.width // 2, char.y + char.height // 2)
            check(char.width > 0 and left <= char.x and char.x + char.width <= box.x + box.width
                  and box.y <= char.y and char.y + char.height <= box.y + box.height
                  and Atspi.Text.get_offset_at_point(result, *centre, Atspi.CoordType.SCREEN) == offset,
                  "%s: character %d lies in place" % (name, offset))
            left = char.x + char.width


def enter_prices(*prices):
    """Types each price into its field and presses Enter after it."""
    for price in prices:
        type_text(price)
        keys("Return")


def check_announced(results, since, change):
    """Each result announced exactly one text change since the mark: its
    price inserted, or deleted; and it now reads accordingly."""
    for name, kind, price in RESULTS:
        changes = events("object:text-changed", since, {name})
        check([(e.type, e.detail1, e.detail2, e.data) for e in changes]
              == [("object:text-changed:" + change, 0, len(price), price)],
              "%s announces %r %sed: %s" % (name, price, change.rstrip("e"), changes))
        if name in results:
            check_result(results[name], name, kind, price if change == "insert" else "")


def main():
    program_path = sys.argv[1]
    enable_accessibility()
    listener = Atspi.EventListener.new(lambda event: heard.append(Heard(event)))
    for kind in ("object:text-changed", "object:state-changed", "object:property-change", "focus:",
                 "window:activate", "window:deactivate"):
        listener.register(kind)

    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", LANG="en_US.UTF-8", LC_ALL="")
    program = subprocess.Popen([program_path], env=env)
    try:
        window = find_window(program)
        if window is None:
            return 1
        focus_x_window()
        pump_until(lambda: events("focus:", names={INPUTS[0]}), "the focus on the butter field")
        check_controls(window)
        results = results_of(window)
        for name, kind, _ in RESULTS:
            if name in results:
                check_result(results[name], name, kind, "")

        # State: the worked example typed key by key, Enter walking to
        # Calculate. Action: one more Enter calculates.
        enter_prices("1.4", "1.7", "1.2")
        pump_until(lambda: events("focus:", names={"Calculate"}), "the focus on Calculate")
        typed = [text_of(o) for o in descendants(window) if o.get_name() in INPUTS]
        check(typed == ["1.4", "1.7", "1.2"], "the fields read what was typed: %s" % typed)
        calculated = len(heard)
        keys("Return")
        # Expected: each result announces its new price as inserted text, and
        # reads it.
        pump_until(lambda: len(events("object:text-changed", calculated, RESULT_NAMES)) >= 6,
                   "six result text changes after Calculate")
        check_announced(results, calculated, "insert")

        # Action: Clear. Expected: each result announces that its price is
        # gone and reads as empty, and the focus is on the butter field.
        cleared = len(heard)
        keys("alt+l")
        pump_until(lambda: len(events("object:text-changed", cleared, RESULT_NAMES)) >= 6
                   and events("focus:", cleared, {INPUTS[0]}), "six result text changes after Clear")
        check_announced(results, cleared, "delete")

        # State: a powder price typed with a dollar sign, which is not a
        # number. Action: Enter on Calculate. Expected: an alert that reads the
        # message, the results untouched.
        enter_prices("1.4", "1.7", "$1.2")
        pump_until(lambda: len(events("focus:", cleared, {"Calculate"})) >= 1, "the focus on Calculate again")
        refused = len(heard)
        keys("Return")
        pump_until(lambda: events("window:activate", refused) and events("focus:", refused, {"OK"}),
                   "the message box, active, with the focus on OK")
        alerts = [e for e in events("window:activate", refused) if e.role == "alert"]
        check(len(alerts) == 1 and alerts[0].name == "Torvel Calculator" and MESSAGE in alerts[0].labels,
              "one alert, 'Torvel Calculator', reading %r: %s %s"
              % (MESSAGE, alerts, [a.labels for a in alerts]))
        typed = [text_of(o) for o in descendants(window) if o.get_name() in INPUTS]
        check(typed == ["1.4", "1.7", "$1.2"], "the fields read what was typed: %s" % typed)

        # Action: Enter closes the box. Expected: the focus event names the
        # button that has the focus again, and the keys reach the window.
        closed = len(heard)
        keys("Return")
        pump_until(lambda: events("focus:", closed), "a focus event after the message box closed")
        focus = events("focus:", closed)
        check(focus and (focus[0].role, focus[0].name) == ("push button", "Calculate"),
              "the focus returns to Calculate: %s" % focus)
        check(not events("object:text-changed", refused, RESULT_NAMES),
              "the results stay as they were: %s" % events("object:text-changed", refused, RESULT_NAMES))
        check(not events("focus:", 0, RESULT_NAMES), "a result took the focus")

        keys("alt+x")
        try:
            status = program.wait(timeout=TIMEOUT)
            check(status == 0, "Alt+X ends the program with status 0, not %s" % status)
        except subprocess.TimeoutExpired:
            check(False, "Alt+X ends the program within %d s" % TIMEOUT)
    finally:
        if program.poll() is None:
            program.kill()
            program.wait()

    if failures:
        print("%d check(s) failed; the events heard were:" % len(failures), file=sys.stderr)
        for e in heard:
            print("  %r" % e, file=sys.stderr)
        return 1
    print("PASS: names, prices, change events, empty results and the alert, read over AT-SPI")
    return 0


if __name__ == "__main__":
    sys.exit(main())
