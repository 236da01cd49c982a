"""What a desktop sees of the program's windows while it prints.

    window_probe.py ping WINDOW
        Sends _NET_WM_PING to the X window WINDOW every 200 ms, as GNOME's and
        KDE's window managers do, and every 400 ms covers a corner of it for a
        moment to see that it repaints. Runs until the window is gone or the
        probe gets SIGTERM, then prints one line:
            pings=N longest_unanswered_ms=MS repaints=N longest_repaint_ms=MS

    window_probe.py read PID
        Prints, one line each, the windows of process PID other than the main
        window as AT-SPI shows them, with their role and texts:
            ROLE<TAB>TITLE<TAB>TEXT | TEXT ...
        Text fields show as [name=text], password fields as [name=*N]. Needs
        the accessibility bus, and the program started with
        QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1. A program that does not answer
        prints "unanswered".

No window manager runs under Xvfb, so the probe itself listens on the root
window, where the program sends its ping replies.
"""

import signal
import sys
import time

PING_EVERY = 0.2
COVER_EVERY = 0.4
COVER_FOR = 0.05
MAGENTA = 0xFF00FF


def ping(window_id):
    from Xlib import X, display, error
    from Xlib.protocol import event

    d = display.Display()
    root = d.screen().root
    # Qt sends its replies to the root with StructureNotify and
    # SubstructureRedirect in the mask, other toolkits with SubstructureNotify.
    root.change_attributes(event_mask=X.StructureNotifyMask | X.SubstructureNotifyMask)
    window = d.create_resource_object("window", window_id)
    protocols = d.intern_atom("WM_PROTOCOLS")
    net_wm_ping = d.intern_atom("_NET_WM_PING")
    errors = []
    d.set_error_handler(lambda err, *_: errors.append(err))

    try:
        geometry = window.get_geometry()
        origin = window.translate_coords(root, 0, 0)
    except error.XError:
        print("pings=0 longest_unanswered_ms=0 repaints=0 longest_repaint_ms=0")
        return
    # A corner of the window under a magenta patch. The program's windows have
    # no background of their own, so the patch stays in the uncovered area
    # until the program paints it again.
    x, y = -origin.x + 2, -origin.y + 2
    w, h = min(24, geometry.width - 4), min(12, geometry.height - 4)
    patch = root.create_window(x, y, w, h, 0, X.CopyFromParent, background_pixel=MAGENTA,
                               override_redirect=True)

    stop = []
    signal.signal(signal.SIGTERM, lambda *_: stop.append(True))
    sent = {}  # stamp -> when it went
    longest_ping = 0.0
    pings = 0
    repaints = 0
    longest_repaint = 0.0
    uncovered_at = None  # when the patch went, while its colour is still there
    covered_at = None
    next_ping = next_cover = time.monotonic()

    def patch_visible():
        image = root.get_image(x, y, w, h, X.ZPixmap, 0xFFFFFFFF)
        data = image.data
        step = 4  # 24-bit depth is 32 bits a pixel
        return any(data[i] == 0xFF and data[i + 1] == 0x00 and data[i + 2] == 0xFF
                   for i in range(0, len(data) - 3, step * 7))

    gone = False
    while not stop and not gone:
        now = time.monotonic()
        if now >= next_ping:
            stamp = int(now * 1000) & 0xFFFFFFFF
            message = event.ClientMessage(window=window, client_type=protocols,
                                          data=(32, [net_wm_ping, stamp, window_id, 0, 0]))
            window.send_event(message, event_mask=0)
            sent[stamp] = now
            pings += 1
            next_ping = now + PING_EVERY
        if covered_at is None and uncovered_at is None and now >= next_cover:
            patch.map()
            covered_at = now
        elif covered_at is not None and now - covered_at >= COVER_FOR:
            patch.unmap()
            d.sync()
            covered_at = None
            uncovered_at = time.monotonic()
        elif uncovered_at is not None:
            if patch_visible():
                longest_repaint = max(longest_repaint, now - uncovered_at)
            else:
                repaints += 1
                longest_repaint = max(longest_repaint, now - uncovered_at)
                uncovered_at = None
                next_cover = now + COVER_EVERY
        d.flush()
        while d.pending_events():
            e = d.next_event()
            if (e.type == X.ClientMessage and e.client_type == protocols
                    and e.data[1][0] == net_wm_ping and e.data[1][1] in sent):
                longest_ping = max(longest_ping, time.monotonic() - sent.pop(e.data[1][1]))
            elif e.type == X.DestroyNotify and e.window.id == window_id:
                gone = True
        if errors:
            gone = True  # the window went between two checks
        time.sleep(0.02)

    now = time.monotonic()
    # A ping still unanswered counts for as long as it has waited, but not
    # when the window has gone: an ended program owes no answer.
    if not gone:
        for when in sent.values():
            longest_ping = max(longest_ping, now - when)
        if uncovered_at is not None:
            longest_repaint = max(longest_repaint, now - uncovered_at)
    print("pings=%d longest_unanswered_ms=%d repaints=%d longest_repaint_ms=%d"
          % (pings, longest_ping * 1000, repaints, longest_repaint * 1000), flush=True)


def read(pid):
    import gi

    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi, GLib

    # A program whose thread is held answers nothing; the bus's own timeout
    # would be 25 s.
    Atspi.set_timeout(1500, 3000)

    def children(accessible):
        return [accessible.get_child_at_index(i) for i in range(accessible.get_child_count())]

    def texts(accessible):
        for child in children(accessible):
            role = child.get_role_name()
            if role == "label" and child.get_name():
                yield child.get_name()
            # AT-SPI's names differ between releases: "entry", "button".
            elif role in ("text", "entry", "password text"):
                text = Atspi.Text.get_text(child, 0, -1) if "Text" in child.get_interfaces() else ""
                shown = "*%d" % len(text) if role == "password text" else text
                yield "[%s=%s]" % (child.get_name(), shown)
            elif role in ("push button", "button"):
                yield "<%s>" % child.get_name()
            else:
                yield from texts(child)

    try:
        desktop = Atspi.get_desktop(0)
        for app in children(desktop):
            if app is None or app.get_process_id() != pid:
                continue
            for window in children(app):
                if window.get_name() == "Calculate Milk Price":
                    continue
                states = {s.value_nick for s in window.get_state_set().get_states()}
                if "showing" not in states and "visible" not in states:
                    continue
                line = " | ".join(t.replace("\n", " ") for t in texts(window))
                print("%s\t%s\t%s" % (window.get_role_name(), window.get_name(), line))
    except GLib.Error:
        print("unanswered")


def enable_accessibility():
    """What a desktop does when a screen reader starts."""
    from gi.repository import Gio, GLib

    session = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties", "Set",
                      GLib.Variant("(ssv)", ("org.a11y.Status", "IsEnabled", GLib.Variant("b", True))),
                      None, Gio.DBusCallFlags.NONE, 15000, None)


if __name__ == "__main__":
    command = sys.argv[1]
    if command == "ping":
        ping(int(sys.argv[2], 0))
    elif command == "read":
        read(int(sys.argv[2]))
    elif command == "accessibility-on":
        enable_accessibility()
    else:
        sys.exit("usage: window_probe.py ping WINDOW | read PID | accessibility-on")
