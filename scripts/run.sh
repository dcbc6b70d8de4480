#!/usr/bin/env bash
# Starts the program, or says how to when there is no display to show it on.
exe="$1"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found: start it under a virtual display with  xvfb-run -a $exe  (or run 'make run' from a desktop session)."
  exit 1
fi
exec "$exe"
