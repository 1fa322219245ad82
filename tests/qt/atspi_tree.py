#!/usr/bin/python3
"""What a screen reader reads of `orvelle run FORM`, read over AT-SPI as one reads it.

Run under a virtual X server (xvfb-run). The script starts a private session bus, the
accessibility bus launcher inside it (which brings up the AT-SPI bus and its registry), then
`orvelle run` with Qt's accessibility bridge on, and walks the application's tree through
pyatspi. It checks the showcase's page tabs, text entries, links and panels, presses a link and a
page tab through their actions and waits for the events `orvelle run` prints for them.

Exit status: 0 passed, 1 failed (each failed check is printed), 77 skipped (a program or module
is missing; the reason is printed). Every wait is bounded.
"""
import importlib.util
import os
import queue
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

SKIP = 77
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"


def skip(reason):
    print(f"skipped: {reason}")
    sys.exit(SKIP)


def pump():
    """Delivers the AT-SPI events that have arrived (pyatspi hands them out on GLib's loop)."""
    try:
        from gi.repository import GLib
    except ImportError:
        return
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)


def wait_for(what, predicate, timeout):
    """Polls `predicate` until it gives something true; that value, or None after `timeout` s."""
    deadline = time.monotonic() + timeout
    while True:
        pump()
        try:
            value = predicate()
        except Exception:  # the bus or the tree is not there yet
            value = None
        if value:
            return value
        if time.monotonic() > deadline:
            print(f"timed out waiting for {what}")
            return None
        time.sleep(0.05)


class Processes:
    """The programs the script started, ended in reverse order, each within a bounded wait."""

    def __init__(self):
        self.started = []

    def start(self, args, **kwargs):
        process = subprocess.Popen(args, **kwargs)
        self.started.append(process)
        return process

    def stop_all(self):
        for process in reversed(self.started):
            if process.poll() is None:
                process.send_signal(signal.SIGTERM)
                try:
                    process.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait(timeout=5)


def start_session_bus(processes, folder):
    daemon = processes.start(
        ["dbus-daemon", "--session", "--nofork", "--nopidfile", f"--address=unix:path={folder}/bus",
         "--print-address=1"],
        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    lines = queue.Queue()
    threading.Thread(target=lambda: lines.put(daemon.stdout.readline()), daemon=True).start()
    try:
        address = lines.get(timeout=10).strip()
    except queue.Empty:
        address = ""
    if not address:
        print("the private session bus did not start")
        return False
    os.environ["DBUS_SESSION_BUS_ADDRESS"] = address
    return True


def accessibility_bus_ready():
    said = subprocess.run(
        ["dbus-send", "--session", "--dest=org.a11y.Bus", "--print-reply", "/org/a11y/bus", "org.a11y.Bus.GetAddress"],
        capture_output=True, text=True, timeout=5)
    return said.returncode == 0 and "unix:" in said.stdout


class Output:
    """The lines `orvelle run` prints, gathered as they come."""

    def __init__(self, stream):
        self.lines = []
        self.lock = threading.Lock()
        threading.Thread(target=self._read, args=(stream,), daemon=True).start()

    def _read(self, stream):
        for line in stream:
            with self.lock:
                self.lines.append(line.rstrip("\n"))

    def has(self, line):
        with self.lock:
            return line in self.lines


def walk(node, depth=0):
    """Every accessible below `node` (itself included), depth first, bounded in depth."""
    yield node
    if depth > 12:
        return
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child, depth + 1)


def text_of(node):
    try:
        text = node.queryText()
    except NotImplementedError:
        return None
    return text.getText(0, -1)


def find_application(pyatspi):
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name == "orvelle" and any(n.getRoleName() == "page tab" for n in walk(app)):
            return app
    return None


def main():
    if len(sys.argv) != 3:
        print("usage: atspi_tree.py ORVELLE FORM")
        return 2
    orvelle, form = sys.argv[1], sys.argv[2]
    for program in ("dbus-daemon", "dbus-send"):
        if not shutil.which(program):
            skip(f"{program} is not installed (scripts/install-deps.sh installs dbus-daemon)")
    if not os.access(BUS_LAUNCHER, os.X_OK):
        skip(f"{BUS_LAUNCHER} is missing (scripts/install-deps.sh installs at-spi2-core)")
    if importlib.util.find_spec("pyatspi") is None:
        skip("the Python module pyatspi is missing (scripts/install-deps.sh installs python3-pyatspi)")
    if not os.environ.get("DISPLAY"):
        skip("no X display (run under xvfb-run)")

    failures = []

    def check(condition, what):
        if not condition:
            failures.append(what)
            print(f"FAIL: {what}")

    processes = Processes()
    folder = tempfile.mkdtemp(prefix="orvelle-atspi-")
    try:
        if not start_session_bus(processes, folder):
            return 1
        processes.start([BUS_LAUNCHER, "--launch-immediately"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if not wait_for("the accessibility bus", accessibility_bus_ready, 15):
            return 1
        import pyatspi  # only now: it connects to the accessibility bus of this session

        # Listening before the program starts, so its bridge knows from the start that someone
        # listens and sends these events.
        heard = []

        def hear(event):
            try:
                text = event.source.queryText().getText(0, -1)
            except Exception:
                text = event.source.name
            heard.append((event.type, text, event.detail1))

        pyatspi.Registry.registerEventListener(hear, "object:state-changed:focused", "object:state-changed:selected",
                                               "object:text-changed:delete", "object:text-changed:insert")
        environment = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1",
                           QT_QPA_PLATFORM="xcb", ASAN_OPTIONS="detect_leaks=0")
        run = processes.start([orvelle, "run", form], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
                              env=environment)
        output = Output(run.stdout)

        app = wait_for("orvelle's window on the accessibility bus", lambda: find_application(pyatspi), 30)
        if app is None:
            return 1
        nodes = list(walk(app))

        def with_role(role):
            return [n for n in nodes if n.getRoleName() == role]

        # The tab strip: a page tab list of its headings, the one SelectedTab names marked
        # selected, each with a press action.
        lists = with_role("page tab list")
        check(len(lists) == 1, f"one page tab list (found {len(lists)})")
        tabs = [lists[0].getChildAtIndex(i) for i in range(lists[0].childCount)] if lists else []
        # (the empty item of the list shows as "..." and is a heading as the others are).
        check(all(t.getRoleName() == "page tab" for t in tabs), "the page tab list holds page tabs")
        check([t.name for t in tabs] == ["General", "Colours", "...", "About"],
              f"page tabs General, Colours, ..., About (found {[t.name for t in tabs]})")
        selected = [t.name for t in tabs if t.getState().contains(pyatspi.STATE_SELECTED)]
        check(selected == ["Colours"], f"Colours is the selected tab (found {selected})")

        # The masked text boxes: entries holding their texts, the invalid date marked invalid.
        texts = {}
        for n in nodes:
            t = text_of(n)
            if t is not None and n.getRoleName() not in ("page tab", "link", "label"):
                texts[t] = n
        for expected in ("(555) 123-4567", "19.95", "31/04/2024"):
            check(expected in texts, f"a text entry holding {expected!r} (found {sorted(texts)})")
        if "31/04/2024" in texts:
            entry = texts["31/04/2024"]
            check(entry.getState().contains(pyatspi.STATE_EDITABLE), "the date entry is editable")
            attributes = entry.queryText().getAttributeRun(0, False)[0]
            check("invalid:true" in attributes, f"31 April is marked invalid (attributes {attributes})")
        if "19.95" in texts:
            check("invalid:true" not in texts["19.95"].queryText().getAttributeRun(0, False)[0],
                  "the price is not marked invalid")

        # The hot label: a label whose hot spots are links named by their text.
        links = {n.name: n for n in with_role("link")}
        check(sorted(links) == ["ask us", "manual"], f"links 'manual' and 'ask us' (found {sorted(links)})")
        labels = [n for n in with_role("label") if "manual" in n.name]
        check(len(labels) == 1 and labels[0].childCount == 2, "the hot label holds the two links")

        # Panels are groupings named by their captions; a panel's control is its child.
        groupings = {n.name: n for n in nodes if n.getRoleName() == "panel" and n.name}
        check("Picture" in groupings, f"a grouping named 'Picture' (found {sorted(groupings)})")
        if "See-through" in groupings:
            see_through = groupings["See-through"]
            check(see_through.childCount == 1, "the see-through panel holds its box")
        else:
            check(False, "a grouping named 'See-through'")
        check(any(n.getRoleName() == "image" and n.name == "Orvelle" for n in nodes), "a graphic named 'Orvelle'")
        separators = with_role("separator")
        check(len(separators) == 5, f"five separators, the 3-D lines (found {len(separators)})")

        # Pressing a link is a click on it: HotSpotClick with its number.
        if "ask us" in links:
            action = links["ask us"].queryAction()
            names = [action.getName(i) for i in range(action.nActions)]
            check(names == ["Press"], f"a link's one action is Press (found {names})")
            action.doAction(0)
            check(wait_for("HotSpotClick", lambda: output.has("event hotHelp.HotSpotClick(2)"), 10),
                  "pressing 'ask us' raises hotHelp.HotSpotClick(2)")
        # Pressing a page tab selects it as a click on its heading does.
        if len(tabs) == 4:
            tabs[3].queryAction().doAction(0)
            check(wait_for("TabSelected", lambda: output.has('event tabSections.TabSelected(3, "About")'), 10),
                  "pressing About raises tabSections.TabSelected(3, \"About\")")
            check(wait_for("About selected", lambda: tabs[3].getState().contains(pyatspi.STATE_SELECTED), 10),
                  "About is selected after it was pressed")

        # The focus, asked for as a screen reader asks (grabFocus): the phone box, then the price;
        # the phone box's validation runs, and both changes are heard.
        if "(555) 123-4567" in texts and "19.95" in texts:
            phone, price = texts["(555) 123-4567"], texts["19.95"]
            phone.queryComponent().grabFocus()
            check(wait_for("the phone box focused", lambda: phone.getState().contains(pyatspi.STATE_FOCUSED), 10),
                  "the phone box has the focus after grabFocus")
            price.queryComponent().grabFocus()
            check(wait_for("Validate", lambda: output.has("event mtbPhone.Validate(False)"), 10),
                  "moving the focus to the price validates the phone box")
            check(wait_for("the focus heard", lambda: ("object:state-changed:focused", "19.95", 1) in heard, 10),
                  f"the price's focus is announced (heard {heard})")
            check(("object:state-changed:focused", "(555) 123-4567", 0) in heard,
                  "the phone box's loss of the focus is announced")
            # An edit through the editable text interface is the context-menu paste over the
            # range: the box changes, raises Change and says so.
            price.queryEditableText().deleteText(4, 5)
            check(wait_for("the price's Change", lambda: output.has("event mtbPrice.Change()"), 10),
                  "deleting through the interface raises mtbPrice.Change")
            check(text_of(price) == "19.9", f"the price reads 19.9 (reads {text_of(price)!r})")
            check(wait_for("the edit heard",
                           lambda: any(h[0].startswith("object:text-changed") and h[1] == "19.9" for h in heard), 10),
                  f"the edit is announced (heard {heard})")
        if len(tabs) == 4:
            check(("object:state-changed:selected", "About", 1) in heard, f"About's selection was announced (heard {heard})")
    finally:
        processes.stop_all()
        shutil.rmtree(folder, ignore_errors=True)

    if failures:
        print("orvelle run printed:\n" + "\n".join(output.lines[-30:]))
        print(f"{len(failures)} check(s) failed")
        return 1
    print("all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
