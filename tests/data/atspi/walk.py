# Reads a program's accessibility tree over the AT-SPI bus as a screen reader does, and
# prints one line per node: depth, role, name, value ("-" without one), actions and states,
# tab-separated. Arguments: the program's process id, then requests run before the walk:
#   act:<role>:<name>:<action>   runs that action of the first such node
#   set:<role>:<name>:<value>    sets the value of the first such node
#   showing                       walks only what is on the screen (as a reader's review)
import sys
import time

import pyatspi


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


def first(app, role, name):
    for _, n in nodes(app):
        if n.getRoleName() == role and n.name == name:
            return n
    return None


def main():
    pid = int(sys.argv[1])
    app = find_app(pid)
    if app is None:
        print("no application with process id %d on the bus" % pid)
        return 2
    showing_only = "showing" in sys.argv[2:]
    for request in sys.argv[2:]:
        if request == "showing":
            continue
        kind, role, name, what = request.split(":", 3)
        n = first(app, role, name)
        if n is None:
            print("request\t%s\tnot found" % request)
            continue
        if kind == "act":
            a = n.queryAction()
            for i in range(a.nActions):
                if a.getName(i).lower() == what.lower():
                    a.doAction(i)
        elif kind == "set":
            n.queryValue().currentValue = float(what)
        time.sleep(0.3)
    for depth, n in nodes(app, 0, showing_only):
        states = n.getState()
        flags = [s for s, st in (("showing", pyatspi.STATE_SHOWING), ("checked", pyatspi.STATE_CHECKED),
                                 ("focusable", pyatspi.STATE_FOCUSABLE)) if states.contains(st)]
        v = value_of(n)
        print("\t".join([str(depth), n.getRoleName(), n.name.replace("\t", " "),
                         "-" if v is None else "%g" % v, ",".join(actions_of(n)), ",".join(flags)]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
