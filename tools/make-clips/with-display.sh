#!/bin/sh
# Runs a command that needs an X display for OpenGL: on the display there is, or on a
# virtual one (Xvfb) when there is none.
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec "$@"
fi
if ! command -v xvfb-run >/dev/null; then
  echo "with-display: no X display and no xvfb-run (scripts/setup installs it)" >&2
  exit 1
fi
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$@"
