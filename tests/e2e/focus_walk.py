"""Walks the keyboard focus of the running program's main window through the accessibility bus.

Usage: focus_walk.py <application name>

Presses Shift+Tab from the Name field through the whole cycle and back to Name, then Tab the
same way round, and compares the control that has the focus after every press, read back from
the accessibility bus, with the window's controls in their template order. Then checks that
the search field (Ctrl+F) is left by Tab, Shift+Tab and Escape for the control that had the
focus before. Prints each mismatch and exits with 1 when there was one.
"""
import subprocess
import sys
import time

import pyatspi

# The main window's controls in template order, which is the Tab order: every control but the
# static texts. Each is known by its accessible role and name.
CYCLE = [
    ("text", "Name"), ("text", "Year"), ("text", "Face Value"), ("combo box", "Country"),
    ("text", "Mint Marks"), ("combo box", "Condition"), ("text", "Purchase Price"),
    ("text", "Purchase Date"), ("text", "Current Value"), ("text", "Valuation Date"),
    ("combo box", "Category"), ("text", "Image"), ("text", "Description"),
    ("push button", "Value Wizard"), ("text", "Number of coins"), ("push button", "Quit"),
    ("push button", "Add"), ("push button", "Update"), ("push button", "Delete"),
    ("push button", "Clear"), ("push button", "Help"), ("table", "Coins"),
    ("push button", "Catalog"), ("push button", "List"),
    ("push button", "Pick Purchase Date"), ("push button", "Pick Valuation Date"),
    ("push button", "Preferences"), ("push button", "Browse"), ("check box", "Tooltips"),
    ("push button", "View"),
]
NOWHERE = ("", "(no control of the form)")


def application(name):
    for _ in range(100):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == name and app.childCount > 0:
                return app
        time.sleep(0.1)
    sys.exit(f"FAIL: {name} did not appear on the accessibility bus")


def focused_in(node):
    try:
        if node.getState().contains(pyatspi.STATE_FOCUSED):
            return node
        children = [node.getChildAtIndex(i) for i in range(node.childCount)]
    except Exception:  # a node that went away while it was read
        return None
    for child in children:
        if child is not None:
            found = focused_in(child)
            if found is not None:
                return found
    return None


def focus(app):
    node = focused_in(app)
    return (node.getRoleName(), node.name) if node is not None else NOWHERE


def press(app, key, before):
    """Presses a key and returns the focus once it has moved from `before` (or after 3 s)."""
    subprocess.run(["xdotool", "key", "--clearmodifiers", key], check=True)
    now = focus(app)
    deadline = time.monotonic() + 3
    while now == before and time.monotonic() < deadline:
        time.sleep(0.05)
        now = focus(app)
    time.sleep(0.05)
    return focus(app)


def main():
    app = application(sys.argv[1])
    faults = []

    def expect(what, want, got):
        if want != got:
            faults.append(f"{what}: expected {want[0]} '{want[1]}', focused {got[0]} '{got[1]}'")

    at = focus(app)
    expect("at start-up", CYCLE[0], at)
    for step in range(1, len(CYCLE) + 1):
        at = press(app, "shift+Tab", at)
        expect(f"Shift+Tab {step} from Name", CYCLE[-step % len(CYCLE)], at)
    for step in range(1, len(CYCLE) + 1):
        at = press(app, "Tab", at)
        expect(f"Tab {step} from Name", CYCLE[step % len(CYCLE)], at)

    # The search field is outside the cycle: Ctrl+F takes the focus there, out of the form, and
    # leaving it by any of these keys goes back to the control it came from.
    at = press(app, "Tab", at)
    expect("Tab to Year", CYCLE[1], at)
    for leave in ["Tab", "shift+Tab", "Escape"]:
        at = press(app, "ctrl+f", at)
        expect("Ctrl+F", NOWHERE, at)
        at = press(app, leave, at)
        expect(f"{leave} in the search field", CYCLE[1], at)

    for fault in faults:
        print("FAIL:", fault)
    sys.exit(1 if faults else 0)


main()
