#!/usr/bin/env bash
# Runs a command on a desktop of its own: a virtual X display with the openbox window manager
# on it, as a user's desktop has, so that stacking, focus, frames and transient windows are the
# window manager's doing and not the bare server's. The display and the window manager end
# with the command, whose exit status this returns.
#
#   with-window-manager.sh [--size WxH] [--announce] -- COMMAND [ARG...]
#
#   --size WxH   the screen's size (default 1280x1024)
#   --announce   print "DISPLAY=:N" on a line of its own once the window manager runs, so a
#                program that started this one in the background can reach the desktop
set -euo pipefail
size=1280x1024
announce=0
while [ $# -gt 0 ]; do
  case "$1" in
    --size) size="$2"; shift 2 ;;
    --announce) announce=1; shift ;;
    --) shift; break ;;
    *) break ;;
  esac
done
[ $# -gt 0 ] || { echo "usage: with-window-manager.sh [--size WxH] [--announce] -- COMMAND..." >&2; exit 2; }
for tool in Xvfb openbox xprop; do
  command -v "$tool" >/dev/null || { echo "with-window-manager.sh: $tool is not installed (scripts/setup)" >&2; exit 2; }
done

work="$(mktemp -d)"
xvfb=""; wm=""; bus=""; cmd=""
cleanup() {
  set +e
  for pid in $cmd $wm $bus $xvfb; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 143' TERM INT HUP

# The server picks a free display itself and writes its number once it accepts connections.
mkfifo "$work/displayfd"
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$work/displayfd" 2>"$work/xvfb.log" &
xvfb=$!
read -r -t 20 number <"$work/displayfd" || { echo "with-window-manager.sh: Xvfb did not start:" >&2; cat "$work/xvfb.log" >&2; exit 2; }
export DISPLAY=":$number"
# Clients started from here need no cookie: the server was started without -auth.
unset XAUTHORITY

# A session bus, as a desktop has, unless the caller brought its own. A program that finds none
# starts one itself, forking a helper from a process that already runs threads: that helper can
# hang before it runs the bus, and the program with it.
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ] && command -v dbus-daemon >/dev/null; then
  mkfifo "$work/busaddress"
  dbus-daemon --session --nofork --print-address=3 3>"$work/busaddress" 2>"$work/bus.log" &
  bus=$!
  read -r -t 20 address <"$work/busaddress" || { echo "with-window-manager.sh: the session bus did not start:" >&2; cat "$work/bus.log" >&2; exit 2; }
  export DBUS_SESSION_BUS_ADDRESS="$address"
fi

# openbox with its stock configuration, no session manager; its own messages go to a log.
HOME="$work" XDG_CONFIG_HOME="$work/config" openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm=$!
for _ in $(seq 200); do
  if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
    break
  fi
  kill -0 "$wm" 2>/dev/null || { echo "with-window-manager.sh: openbox ended:" >&2; cat "$work/openbox.log" >&2; exit 2; }
  sleep 0.05
done
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' \
  || { echo "with-window-manager.sh: openbox did not take the display in 10 s" >&2; exit 2; }

[ "$announce" -eq 0 ] || { echo "DISPLAY=$DISPLAY"; }
# In the background and waited for, so that a TERM reaches the clean-up at once.
"$@" &
cmd=$!
status=0
wait "$cmd" || status=$?
cmd=""
exit "$status"
