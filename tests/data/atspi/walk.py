# Reads a program's accessibility tree over the AT-SPI bus as a screen reader does, and
# prints one line per node, tab-separated: depth, role, name, value ("-" without one),
# actions, states, extents on the screen (x,y,w,h), text ("-" without the text interface)
# and caret offset. Arguments: the program's process id, then requests run before the walk:
#   act:<role>:<name>:<action>   runs that action of the first such node
#   set:<role>:<name>:<value>    sets the value of the first such node
#   focus:<role>:<name>           gives the first such node the focus (grabFocus)
#   caret:<role>:<name>:<offset>  moves its caret; select:<role>:<name>:<start>-<end> selects
#   extents:<role>:<name>:        prints where each character of its text stands
#   at:<role>:<name>:<x>,<y>      prints the offset of its character at that point of the screen
#   pieces:<role>:<name>:<unit>@<offsets>
#                                 prints the start-end of the word, sentence or line (the
#                                 unit) at each of the offsets (comma-separated)
#   describe:<role>:<name>        prints its description
#   hold:<role>                   keeps every node of that role for later requests
#   held                          prints what each kept node answers now ("gone" for none)
#   showing                       walks only what is on the screen (as a reader's review)
#   under:<role>:<name>           walks only below the first such node, and the requests after
#                                 it look below it too
#   walk                          walks at this point too, and prints a line "walk" after it
# With "serve" as the only request it reads request lines from its input instead, walks after
# each, and ends each walk with a line "end"; an empty line or the end of input stops it.
import sys
import time

import gi
import pyatspi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402


def find_app(pid):
    deadline = time.time() + 20
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            try:
                if app is not None and app.get_process_id() == pid:
                    return app
            except Exception:
                pass
        time.sleep(0.2)
    return None


def nodes(node, depth=0, showing_only=False):
    if showing_only and depth > 1 and not node.getState().contains(pyatspi.STATE_SHOWING):
        return
    yield depth, node
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from nodes(child, depth + 1, showing_only)


def value_of(node):
    try:
        return node.queryValue().currentValue
    except NotImplementedError:
        return None


def actions_of(node):
    try:
        a = node.queryAction()
        return [a.getName(i) for i in range(a.nActions)]
    except NotImplementedError:
        return []


def text_of(node):
    try:
        t = node.queryText()
        selection = "-"
        if t.getNSelections() > 0:
            selection = "%d-%d" % t.getSelection(0)
        return t.getText(0, -1), t.caretOffset, selection
    except NotImplementedError:
        return None, -1, "-"


def clean(s):
    return s.replace("\t", " ").replace("\r", " ").replace("\n", " ")


def first(root, role, name):
    for _, n in nodes(root):
        if n.getRoleName() == role and n.name == name:
            return n
    return None


STATES = (("showing", pyatspi.STATE_SHOWING), ("checked", pyatspi.STATE_CHECKED), ("focused", pyatspi.STATE_FOCUSED),
          ("pressed", pyatspi.STATE_PRESSED),
          ("focusable", pyatspi.STATE_FOCUSABLE), ("selectable", pyatspi.STATE_SELECTABLE),
          ("selected", pyatspi.STATE_SELECTED), ("editable", pyatspi.STATE_EDITABLE),
          ("expanded", pyatspi.STATE_EXPANDED), ("visited", pyatspi.STATE_VISITED),
          ("expandable", pyatspi.STATE_EXPANDABLE), ("collapsed", pyatspi.STATE_COLLAPSED))


def line_of(depth, n):
    states = n.getState()
    flags = [s for s, st in STATES if states.contains(st)]
    v = value_of(n)
    try:
        e = n.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        extents = "%d,%d,%d,%d" % (e.x, e.y, e.width, e.height)
    except NotImplementedError:
        extents = "0,0,0,0"
    text, caret, selection = text_of(n)
    return "\t".join([str(depth), n.getRoleName(), clean(n.name), "-" if v is None else "%g" % v,
                      ",".join(actions_of(n)), ",".join(flags), extents,
                      "-" if text is None else clean(text), str(caret), selection])


def walk(root, showing_only):
    for depth, n in nodes(root, 0, showing_only):
        try:
            print(line_of(depth, n))
        except Exception as e:
            print("error\t%s" % clean(str(e)))


HELD = []


def held_lines():
    for n in HELD:
        try:
            name = n.name
            n.queryAction()
            role = n.getRoleName()
            print("held\t%s\t%s" % (role, clean(name)))
        except Exception:
            print("held\tgone")


def run(app, requests):
    # What the reader remembers from an earlier walk may have changed since.
    app.clear_cache()
    showing_only = "showing" in requests
    root = app
    for request in requests:
        if request == "showing":
            continue
        if request == "sleep":
            time.sleep(1.5)
            continue
        if request == "held":
            held_lines()
            continue
        if request.startswith("hold:"):
            role = request.split(":", 1)[1]
            HELD[:] = [n for _, n in nodes(app) if n.getRoleName() == role]
            continue
        if request == "walk":
            app.clear_cache()
            walk(root, showing_only)
            print("walk")
            continue
        kind, role, name = (request.split(":", 2) + ["", ""])[:3]
        # A name may hold colons (an answer "2:1"): what follows the name is after the last.
        what = ""
        if kind in ("act", "set", "caret", "select", "extents", "at", "pieces"):
            name, _, what = name.rpartition(":")
        n = first(root, role, name)
        if n is None:
            print("request\t%s\tnot found" % request)
            continue
        if kind == "under":
            root = n
        elif kind == "act":
            a = n.queryAction()
            for i in range(a.nActions):
                if a.getName(i).lower() == what.lower():
                    print("acted\t%s\t%s" % (request, "done" if a.doAction(i) else "refused"))
            time.sleep(0.3)
            app.clear_cache()
        elif kind == "describe":
            print("described\t%s\t%s" % (request, clean(n.description)))
        elif kind == "focus":
            print("focused\t%s\t%s" % (request, n.queryComponent().grabFocus()))
            time.sleep(0.3)
            app.clear_cache()
        elif kind == "caret":
            print("caret\t%s\t%s" % (request, n.queryText().setCaretOffset(int(what))))
            app.clear_cache()
        elif kind == "select":
            a, b = what.split("-")
            t = n.queryText()
            done = t.setSelection(0, int(a), int(b)) if t.getNSelections() > 0 else t.addSelection(int(a), int(b))
            print("selected\t%s\t%s" % (request, done))
            app.clear_cache()
        elif kind == "extents":
            t = n.queryText()
            boxes = [t.getCharacterExtents(i, pyatspi.DESKTOP_COORDS) for i in range(t.characterCount)]
            print("extents\t%s\t%s" % (request, " ".join("%d,%d,%d,%d" % tuple(b) for b in boxes)))
        elif kind == "runs":
            # The attribute run of each offset, as a reader splits a line by them.
            t = n.queryText()
            runs = [t.getAttributeRun(i, False)[1:] for i in range(t.characterCount)]
            print("runs\t%s\t%s" % (request, " ".join("%d-%d" % tuple(r) for r in runs)))
        elif kind == "pieces":
            unit, _, offsets = what.partition("@")
            boundary = getattr(pyatspi, "TEXT_BOUNDARY_%s_START" % unit.upper())
            t = n.queryText()
            found = [t.getTextAtOffset(int(o), boundary)[1:] for o in offsets.split(",")]
            print("pieces\t%s\t%s" % (request, " ".join("%d-%d" % tuple(f) for f in found)))
        elif kind == "at":
            x, y = what.split(",")
            print("at\t%s\t%d" % (request, n.queryText().getOffsetAtPoint(int(x), int(y), pyatspi.DESKTOP_COORDS)))
        elif kind == "set":
            n.queryValue().currentValue = float(what)
            time.sleep(0.3)
            app.clear_cache()
    walk(root, showing_only)


def main():
    pid = int(sys.argv[1])
    # A reader waits for a program busy laying out a page or building a model, where the
    # asking would give up within a second.
    Atspi.set_timeout(20000, 30000)
    app = find_app(pid)
    if app is None:
        print("no application with process id %d on the bus" % pid)
        return 2
    if sys.argv[2:] == ["serve"]:
        print("end", flush=True)
        for line in sys.stdin:
            line = line.rstrip("\n")
            if not line:
                break
            run(app, [r for r in line.split("\t") if r != "-"])
            print("end", flush=True)
        return 0
    run(app, sys.argv[2:])
    return 0


if __name__ == "__main__":
    sys.exit(main())
