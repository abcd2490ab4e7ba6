# Listens on the AT-SPI bus as a screen reader does and prints every event the programs with
# the given process ids send, one line each, tab-separated, as it comes:
#   event, process id, event type, source role, source name, detail1, detail2, data,
#   "focused" when the source says it has the focus (else "-")
# A line "ready" says the listeners are registered. It runs until it is ended.
import sys

import gi
import pyatspi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

TYPES = ("focus:", "object:state-changed", "object:property-change", "object:value-changed",
         "object:text-changed", "object:text-caret-moved", "object:text-selection-changed",
         "object:selection-changed", "object:active-descendant-changed", "document:")


def clean(s):
    return str(s).replace("\t", " ").replace("\r", " ").replace("\n", " ")


def main():
    pids = set(int(a) for a in sys.argv[1:])

    def heard(event):
        try:
            source = event.source
            pid = source.get_process_id()
            if pids and pid not in pids:
                return
            data = event.any_data
            if isinstance(data, pyatspi.Accessible):
                data = "%s:%s" % (data.getRoleName(), data.name)
            focused = "focused" if source.getState().contains(pyatspi.STATE_FOCUSED) else "-"
            print("\t".join(["event", str(pid), event.type, source.getRoleName(), clean(source.name),
                             str(event.detail1), str(event.detail2), clean(data), focused]), flush=True)
        except Exception as e:
            print("error\t%s\t%s\t%s\t%s" % (event.type, event.detail1, event.detail2, clean(e)), flush=True)

    # A reader waits for a program busy laying out a page or building a model (the asking
    # would otherwise give up within a second, and say the program hung), so that what it
    # cannot read is only what has gone.
    Atspi.set_timeout(20000, 30000)
    pyatspi.Registry.registerEventListener(heard, *TYPES)
    print("ready", flush=True)
    pyatspi.Registry.start()


if __name__ == "__main__":
    main()
