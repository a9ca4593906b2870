#!/usr/bin/python3
"""The program as a screen reader sees it, through AT-SPI (python3-gi's Atspi).

  atspi_tree.py tree                 prints the main window's tree: role, name, description,
                                     and the label of each labelled control
  atspi_tree.py controls LENGTH      checks roles, names, labels and the view's character count
  atspi_tree.py selection AT TEXT    waits until the view's selection is TEXT, from offset AT
  atspi_tree.py announced TEXT CMD.. runs CMD, then waits for an alert carrying TEXT to be
                                     activated, as a screen reader hears of it, and showing
  atspi_tree.py state                prints what a pick or a scroll changes: the combo boxes'
                                     values, the view's caret and selection, and where its
                                     first character stands
  atspi_tree.py at_top AT            waits until character AT stands on the view's first line
  atspi_tree.py buttons A,B CMD..    runs CMD, then checks that the alert showing has the push
                                     buttons A and B, in that order, and no other
  atspi_tree.py extents              prints the view's place and size in the main window

Each check prints what it found and exits with status 1 on a mismatch, so the shell script
that runs the program reports it. Run with Debian's python3, which carries python3-gi.
"""
import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

PROGRAM = "velmora"
TITLE = "Velmora 2.0"
VIEW_NAME = "Teksti i librit"
LABELLED = {"combo box": ["Gjeje hadithin numër", "Dukja"], "text": ["Kërkimi i tekstit"]}


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def application():
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app is not None and app.get_name() == PROGRAM:
            return app
    return None


def children(node):
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            yield child


def showing(node):
    return node.get_state_set().contains(Atspi.StateType.SHOWING)


def main_window():
    app = application()
    if app is None:
        return None
    for window in children(app):
        if window.get_name() == TITLE and window.get_role() != Atspi.Role.ALERT and showing(window):
            return window
    return None


def labels_of(node):
    return [
        relation.get_target(i).get_name()
        for relation in node.get_relation_set()
        if relation.get_relation_type() == Atspi.RelationType.LABELLED_BY
        for i in range(relation.get_n_targets())
    ]


def describe(node):
    line = f"{node.get_role_name()} {node.get_name()!r}"
    if node.get_description():
        line += f" description {node.get_description()!r}"
    if labels_of(node):
        line += f" labelled by {labels_of(node)!r}"
    return line


def print_tree(node, depth=0):
    print("  " * depth + describe(node))
    # A list holds one item per hadith: its first few stand for the rest.
    shown = list(children(node))
    for child in shown[:3] if node.get_role() == Atspi.Role.LIST else shown:
        print_tree(child, depth + 1)
    if node.get_role() == Atspi.Role.LIST and len(shown) > 3:
        print("  " * (depth + 1) + f"... {len(shown)} items")


def wait_for(seconds, probe):
    """Calls probe until it returns something true, for up to seconds; returns its last answer."""
    deadline = time.monotonic() + seconds
    while True:
        answer = probe()
        if answer or time.monotonic() > deadline:
            return answer
        time.sleep(0.2)


def view(window):
    for child in children(window):
        if child.get_name() == VIEW_NAME:
            return child
    return None


def check_controls(window, book_length):
    problems = []
    if window.get_role() != Atspi.Role.FRAME:
        problems.append(f"the main window is a {window.get_role_name()}, not a frame")
    for role, names in LABELLED.items():
        boxes = [c for c in children(window) if c.get_role_name() == role]
        for name in names:
            # Labelled by the label over it; a combo box is read through its edit field, which
            # must carry the name too.
            box = next((b for b in boxes if name in labels_of(b)), None)
            if box is None:
                problems.append(f"no {role} labelled by {name!r}")
                continue
            named = box
            if role == "combo box":
                named = next((c for c in children(box) if c.get_role() == Atspi.Role.TEXT), box)
            if named.get_name() != name:
                problems.append(f"the {role} labelled {name!r} is named {named.get_name()!r}")
            print(f"ok   {describe(box)}, read as {named.get_name()!r}")
    exits = [c for c in children(window) if c.get_name() == "Fund"]
    if len(exits) != 1 or exits[0].get_description() != "Mbyll programin":
        problems.append(
            "the exit button is not described as closing the program: "
            + ", ".join(describe(c) for c in exits)
        )
    else:
        print(f"ok   {describe(exits[0])}")
    text_view = view(window)
    if text_view is None:
        problems.append(f"no control named {VIEW_NAME!r}")
    else:
        # The view finishes building a long book while the window is idle.
        wait_for(20, lambda: text_view.get_character_count() == book_length)
        count = text_view.get_character_count()
        if count != book_length:
            problems.append(f"the view reports {count} characters, the book has {book_length}")
        else:
            print(f"ok   {describe(text_view)}: {count} characters")
    for problem in problems:
        print("FAIL: " + problem)
    return not problems


def selection(text_view):
    if text_view.get_n_selections() < 1:
        return None
    chosen = text_view.get_selection(0)
    return chosen.start_offset, text_view.get_text(chosen.start_offset, chosen.end_offset)


def extents(node):
    return node.get_extents(Atspi.CoordType.SCREEN)


def state(window):
    # Qt names an editable combo box by the text it shows.
    boxes = [c.get_name() for c in children(window) if c.get_role() == Atspi.Role.COMBO_BOX]
    text_view = view(window)
    # The book's first character moves with a scroll and grows with the text size.
    first, corner = text_view.get_character_extents(0, Atspi.CoordType.SCREEN), extents(text_view)
    return (
        f"boxes {boxes}, caret {text_view.get_caret_offset()}, "
        f"selection {selection(text_view)}, first character at "
        f"{first.x - corner.x},{first.y - corner.y} {first.width}x{first.height}"
    )


def distance_from_top(text_view, offset):
    return text_view.get_character_extents(offset, Atspi.CoordType.SCREEN).y - extents(text_view).y


# The view's frame and the document's margin over the first line. A jump that stops a line short
# leaves a line of the book over the heading, some 20 px at the size the book opens with.
TOP_MARGIN = 10


def showing_alert():
    app = application()
    return (
        next((w for w in children(app) if w.get_role() == Atspi.Role.ALERT and showing(w)), None)
        if app
        else None
    )


def push_buttons(node):
    for child in children(node):
        if child.get_role() == Atspi.Role.PUSH_BUTTON:
            yield child.get_name()
        yield from push_buttons(child)


def said_for(alert):
    """What a screen reader says for an alert: its name, its description and its labels."""
    return [alert.get_name(), alert.get_description()] + [
        c.get_name() for c in children(alert) if c.get_role() == Atspi.Role.LABEL
    ]


def announced(text, command):
    """Runs command, then waits for the window:activate event of an alert that carries text."""
    heard = []
    loop = GLib.MainLoop()

    def on_activate(event):
        source = event.source
        if source.get_role() == Atspi.Role.ALERT and text in said_for(source) and showing(source):
            heard.append(source)
            loop.quit()

    listener = Atspi.EventListener.new(on_activate)
    listener.register("window:activate")
    subprocess.run(command, check=True, timeout=20)
    GLib.timeout_add_seconds(10, loop.quit)
    loop.run()
    listener.deregister("window:activate")
    if not heard:
        fail(f"no alert carrying {text!r} was activated within 10 s of {' '.join(command)}")
    labels = [label for label in said_for(heard[0])[2:] if label]
    print(f"ok   activated: {describe(heard[0])}, saying {labels!r}")


def main():
    Atspi.set_timeout(10000, 30000)
    command = sys.argv[1] if len(sys.argv) > 1 else "tree"
    window = wait_for(20, main_window)
    if window is None:
        fail(f"no main window {TITLE!r} of {PROGRAM!r} on the accessibility bus")
    if command == "tree":
        print_tree(window)
    elif command == "controls":
        sys.exit(0 if check_controls(window, int(sys.argv[2])) else 1)
    elif command == "selection":
        expected = (int(sys.argv[2]), sys.argv[3])
        text_view = view(window)
        if not wait_for(10, lambda: selection(text_view) == expected):
            fail(
                f"the view's selection (offset, text) is {selection(text_view)!r}, "
                f"not {expected!r}"
            )
        print(f"ok   the view's selection: {expected[1]!r} at {expected[0]}")
    elif command == "announced":
        announced(sys.argv[2], sys.argv[3:])
    elif command == "state":
        print(state(window))
    elif command == "at_top":
        text_view, offset = view(window), int(sys.argv[2])
        if not wait_for(10, lambda: 0 <= distance_from_top(text_view, offset) < TOP_MARGIN):
            fail(
                f"character {offset} stands {distance_from_top(text_view, offset)} px below "
                f"the top of the view, not on its first line"
            )
        print(
            f"ok   character {offset} stands {distance_from_top(text_view, offset)} px below "
            "the top of the view"
        )
    elif command == "buttons":
        expected, run = sys.argv[2].split(","), sys.argv[3:]
        subprocess.run(run, check=True, timeout=20)
        alert = wait_for(10, showing_alert)
        if alert is None:
            fail(f"no alert showing within 10 s of {' '.join(run)}")
        names = list(push_buttons(alert))
        labels = [label for label in said_for(alert)[2:] if label]
        if names != expected:
            fail(f"the alert saying {labels!r} has the buttons {names!r}, not {expected!r}")
        print(f"ok   the alert saying {labels!r} has the buttons {names!r}")
    elif command == "extents":
        place, frame = extents(view(window)), extents(window)
        print(f"{place.x - frame.x},{place.y - frame.y} {place.width}x{place.height}")
    else:
        fail(f"unknown command {command!r}")


if __name__ == "__main__":
    main()
