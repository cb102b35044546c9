"""The stopwatch through AT-SPI, as a screen reader meets it.

Starts the program, finds it on the accessibility bus by its process, reads its tree and listens
to its events, and drives it only through accessible actions, selections and text: the reading
as words that change every second, the roles, names and states of the controls, a direction
chosen through the radio button's action (and the watch then counting that way), preset text
written into the lists' fields, the digital
switch's action, Start/Stop saying whether the watch runs, the alarm announced once, and the
About window's title, version and texts.

Every wait has a deadline and samples the bus; nothing waits a fixed time.

usage: accessibility_test.py <stopwatch program> <program log> <screenshot on failure>
"""

import math
import re
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

failures = []
events = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED:", what)
    return condition


def pump():
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)


def wait_for(what, seconds, probe):
    """Samples `probe` until it gives a true value; fails with `what` after `seconds`."""
    deadline = time.monotonic() + seconds
    while True:
        pump()
        try:
            value = probe()
        except Exception:  # an object the program is still making, or has just replaced
            value = None
        if value is not None and value is not False:  # an object with no children is falsy
            return value
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.05)


def on_event(event):
    try:
        source = event.source
        events.append((event.type, source.getRoleName(), source.name, event.detail1))
    except Exception:
        pass


def descendants(node):
    for child in node:
        if child is None:
            continue
        yield child
        yield from descendants(child)


def fresh(node):
    node.clearCache()
    return node


def find(root, role, name):
    for node in descendants(root):
        if node.getRoleName() == role and fresh(node).name == name:
            return node
    return None


def has_state(node, state):
    return fresh(node).getState().contains(state)


def act(node, action):
    actions = node.queryAction()
    names = [actions.getName(i) for i in range(actions.nActions)]
    if not check(action in names, f"{node.name!r} offers {action!r} (it offers {names})"):
        return
    actions.doAction(names.index(action))


# ---- The reading ------------------------------------------------------------------------------

READING = re.compile(r"^(minus )?(\d+) minutes? (minus )?(\d+) seconds?$")


def parse_reading(text):
    """(minutes, seconds) from "5 minutes minus 12 seconds", or None."""
    match = READING.match(text or "")
    if not match:
        return None
    minutes = int(match[2]) * (-1 if match[1] else 1)
    seconds = int(match[4]) * (-1 if match[3] else 1)
    return minutes, seconds


def reading_of(dial):
    return parse_reading(fresh(dial).name)


def total(reading):
    return reading[0] * 60 + reading[1]


def next_reading(reading, step):
    """One tick, as the watch counts: the remainder keeps the dividend's sign, 0 carries."""
    minutes, seconds = reading
    seconds = int(math.fmod(seconds + step, 60))
    if seconds == 0:
        minutes += step
    return minutes, seconds


def ticks_ahead(reading, step, most=3):
    """The readings up to `most` ticks on: a busy machine may show a catch-up of several."""
    ahead = []
    for _ in range(most):
        reading = next_reading(reading, step)
        ahead.append(reading)
    return ahead


def counts(dial, step, what):
    """Waits for the reading to move on, and checks it moved in direction `step`."""
    first = wait_for("a reading", 10, lambda: reading_of(dial))
    later = wait_for(what, 15, lambda: (r := reading_of(dial)) and r != first and r or None)
    if later not in ticks_ahead(first, step) and later in ticks_ahead(first, -step):
        # A tick in the old direction may have been under way: one more.
        first = later
        later = wait_for(what, 15, lambda: (r := reading_of(dial)) and r != first and r or None)
    check(later in ticks_ahead(first, step), f"{what}: {first} then {later}")


# ---- The session ------------------------------------------------------------------------------


def main():
    program, log, screenshot = sys.argv[1], sys.argv[2], sys.argv[3]
    for kind in ("object:state-changed", "object:property-change:accessible-name",
                 "object:text-changed"):
        pyatspi.Registry.registerEventListener(on_event, kind)
    with open(log, "ab") as out:
        process = subprocess.Popen([program], stdout=out, stderr=subprocess.STDOUT)
    try:
        run(process)
    except (AssertionError, NotImplementedError) as error:
        failures.append(str(error))
        print("FAILED:", error)
    finally:
        if failures:
            subprocess.run(["import", "-window", "root", screenshot], check=False)
            print("screenshot:", screenshot)
        process.terminate()
        process.wait(10)
    return 1 if failures else 0


def application(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def run(process):
    app = wait_for("the program on the accessibility bus", 30, lambda: application(process.pid))
    main_window = wait_for("the window Stopwatch", 30, lambda: find(app, "frame", "Stopwatch"))
    dial = wait_for("the reading as words",
                    30, lambda: next((n for n in descendants(main_window)
                                      if fresh(n).description == "Reading of the stopwatch"), None))
    check(dial.getRoleName() == "label", f"the reading is read as text, not as {dial.getRoleName()}")

    # The reading changes every second, and its text and text-changed events follow.
    first = wait_for("a reading", 10, lambda: reading_of(dial))
    wait_for("the reading to change from " + dial.name, 15,
             lambda: (r := reading_of(dial)) and r != first)
    text = fresh(dial).queryText()
    check(parse_reading(text.getText(0, -1)) is not None, "the reading's text interface reads words")
    wait_for("a text-changed event with the reading", 10,
             lambda: any(t.startswith("object:text-changed") and parse_reading(n)
                         for t, _, n, _ in events))

    # Roles, names and states of the controls.
    controls = {}
    for role, name in [("push button", "Stop the stopwatch"), ("push button", "Reset the reading to zero"),
                       ("push button", "Preset the reading from the two lists"),
                       ("radio button", "Count backwards"), ("radio button", "Count forwards"),
                       ("radio button", "Slot 1"), ("radio button", "Slot 5"),
                       ("check box", "Digital Clock On"), ("combo box", "Preset minutes"),
                       ("combo box", "Preset seconds"), ("slider", "Colour target: Second Hand"),
                       ("list", "Alarm on or off"), ("text", "Alarm minute"), ("text", "Alarm second"),
                       ("panel", "Digital readout")]:
        controls[name] = find(main_window, role, name)
        check(controls[name] is not None, f"a {role} named {name!r}")
    if failures:
        names = sorted({f"{n.getRoleName()}: {n.name}" for n in descendants(main_window) if n.name})
        print("the window holds:\n  " + "\n  ".join(names))
        return
    start_stop = controls["Stop the stopwatch"]
    backwards, forwards = controls["Count backwards"], controls["Count forwards"]
    check(fresh(start_stop).description == "The stopwatch is running", "Start/Stop says it runs")
    check(has_state(forwards, pyatspi.STATE_CHECKED), "Forwards is selected")
    check(not has_state(backwards, pyatspi.STATE_CHECKED), "Backwards is not selected")
    check(has_state(controls["Digital Clock On"], pyatspi.STATE_CHECKED), "the digital switch is on")
    check(find(main_window, "label", "Stopwatch Face") is not None, "the colour labels are read")

    # A direction chosen through the accessible action: the window's handler runs, the other
    # direction is deselected, and the watch counts that way.
    counts(dial, +1, "counting forwards at start")
    act(backwards, "Toggle")
    wait_for("Backwards selected and Forwards not", 10,
             lambda: has_state(backwards, pyatspi.STATE_CHECKED)
             and not has_state(forwards, pyatspi.STATE_CHECKED))
    counts(dial, -1, "counting backwards after Backwards' action")
    act(forwards, "Toggle")
    wait_for("Forwards selected and Backwards not", 10,
             lambda: has_state(forwards, pyatspi.STATE_CHECKED)
             and not has_state(backwards, pyatspi.STATE_CHECKED))
    counts(dial, +1, "counting forwards after Forwards' action")

    # The lists' items are reachable, as a reader walks a combo box's drop-down.
    for name, count in (("Preset minutes", 60), ("Preset seconds", 60)):
        drop_down = next((n for n in controls[name] if n is not None and n.getRoleName() == "list"),
                         None)
        items = [fresh(n).name for n in drop_down] if drop_down is not None else []
        check(len(items) == count and items[0] == "0" and items[-1] == str(count - 1),
              f"{name} offers the items 0 to {count - 1} (it offers {items[:3]}...{items[-2:]})")

    # Text written into the preset lists' fields is what typing it is: Preset Now takes it.
    for name, text in (("Preset minutes", "7"), ("Preset seconds", "30")):
        field = next((n for n in controls[name] if n is not None and n.getRoleName() == "text"), None)
        if check(field is not None and fresh(field).name == name, f"{name} has a named edit field"):
            field.queryEditableText().setTextContents(text)
    act(controls["Preset the reading from the two lists"], "Press")
    wait_for("the reading preset to 7:30 from the typed text", 15,
             lambda: (r := reading_of(dial)) and r[0] == 7 and 30 < r[1] < 35)

    # The digital switch's action does what a click does: the readout goes at the next tick.
    readout = controls["Digital readout"]
    act(controls["Digital Clock On"], "Toggle")
    wait_for("the digital readout hidden after the switch's action", 10,
             lambda: not has_state(readout, pyatspi.STATE_SHOWING)
             and not has_state(controls["Digital Clock On"], pyatspi.STATE_CHECKED))
    act(controls["Digital Clock On"], "Toggle")
    wait_for("the digital readout back", 10,
             lambda: has_state(readout, pyatspi.STATE_SHOWING))

    # The colour slider names the part it picks.
    slider = controls["Colour target: Second Hand"]
    check(slider.queryValue().currentValue == 0, "the slider starts at its top")
    slider.queryValue().currentValue = 3
    wait_for("the slider named for the face", 10,
             lambda: fresh(slider).name == "Colour target: Stopwatch Face")

    # Start/Stop says whether the watch runs.
    act(start_stop, "Press")
    wait_for("Start/Stop saying the watch stopped", 10,
             lambda: fresh(start_stop).name == "Start the stopwatch"
             and start_stop.description == "The stopwatch is stopped")
    stopped_at = wait_for("the reading", 5, lambda: reading_of(dial))

    # The alarm, set through the list and the text boxes, two ticks ahead; then started.
    alarm_list = controls["Alarm on or off"]
    on_item = next((n for n in alarm_list if n is not None and fresh(n).name == "On"), None)
    if not check(on_item is not None, "the alarm list offers On"):
        return
    act(on_item, "Toggle")
    wait_for("the alarm boxes enabled by On", 10,
             lambda: has_state(controls["Alarm minute"], pyatspi.STATE_ENABLED))
    alarm_at = next_reading(next_reading(stopped_at, +1), +1)
    controls["Alarm minute"].queryEditableText().setTextContents(str(alarm_at[0]))
    controls["Alarm second"].queryEditableText().setTextContents(str(alarm_at[1]))
    echo = lambda text: any(n.getRoleName() == "label" and fresh(n).name == text
                            for n in descendants(main_window))
    wait_for("the alarm time echoed", 10, lambda: echo(str(alarm_at[0])) and echo(str(alarm_at[1])))
    events.clear()
    act(fresh(start_stop), "Press")
    wait_for("Start/Stop saying the watch runs", 10,
             lambda: fresh(start_stop).name == "Stop the stopwatch")
    expected = "Alarm: {} minute{} {} second{}".format(
        alarm_at[0], "" if abs(alarm_at[0]) == 1 else "s",
        alarm_at[1], "" if abs(alarm_at[1]) == 1 else "s")
    wait_for("the alarm announced as " + expected, 15,
             lambda: any(t == "object:state-changed:showing" and r == "notification" and n == expected
                         and d == 1 for t, r, n, d in events))
    # Announced once, not at every blink: the blinking ends three ticks after the alarm.
    after_blink = next_reading(next_reading(next_reading(next_reading(alarm_at, 1), 1), 1), 1)
    wait_for("the blinking over", 15, lambda: (r := reading_of(dial)) and total(r) >= total(after_blink))
    shown = [e for e in events if e[0] == "object:state-changed:showing" and e[1] == "notification"
             and e[3] == 1]
    check(len(shown) == 1, f"the alarm announced once, not {len(shown)} times")
    print("heard:", shown[0][2] if shown else "no announcement")

    # The About window reads its title, version and texts, and names its picture.
    about_item = next((n for n in descendants(main_window)
                       if n.getRoleName() == "menu item" and fresh(n).name == "About"), None)
    if not check(about_item is not None, "a menu item About"):
        return
    act(about_item, "Press")
    about = wait_for("the About window", 15,
                     lambda: next((w for w in app if w is not None
                                   and fresh(w).name == "About Bransk - Quorvel - Clock"), None))
    for role, name in [("label", "Bransk - Quorvel - Clock"), ("label", "Version 1.2.0"),
                       ("image", "Stopwatch icon"), ("push button", "OK"),
                       ("push button", "System Info...")]:
        check(find(about, role, name) is not None, f"the About window reads a {role} {name!r}")
    check(any(n.getRoleName() == "label" and "Quorvel team" in fresh(n).name
              for n in descendants(about)), "the About window reads its description")


if __name__ == "__main__":
    status = main()
    print("PASSED" if status == 0 else "FAILED: " + "; ".join(failures))
    sys.exit(status)
