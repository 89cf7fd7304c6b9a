#!/usr/bin/env bash
# Takes a screenshot of a window under a virtual X server.
#
#   scripts/screenshot.sh [-o out.png] [-t "window title"] [-b build]
#                         [-m X,Y] [-c X,Y] [-d SECONDS] [-- command args...]
#
# Without a command it shows the main window with made-up ports
# (build/tests/ui/qt/show_window main). The shot is of the whole screen
# (1024x768); a second file, *-window.png, holds just the window.
# -m rests the mouse at X,Y of the window (to show a tooltip), -c clicks
# there first (to open the port list, say). -d waits that long after the
# window appeared (default 1), for a command that fills it as it runs.
set -euo pipefail

out=screenshot.png
title="Tapix Ventrix Test"
build=build
hover=""
click=""
delay=1
while [[ $# -gt 0 ]]; do
  case "$1" in
    -o) out="$2"; shift 2 ;;
    -t) title="$2"; shift 2 ;;
    -b) build="$2"; shift 2 ;;
    -m) hover="$2"; shift 2 ;;
    -c) click="$2"; shift 2 ;;
    -d) delay="$2"; shift 2 ;;
    --) shift; break ;;
    *) echo "usage: $0 [-o out.png] [-t title] [-b build] [-m X,Y] [-c X,Y] [-d SECONDS] [-- command...]" >&2
       exit 2 ;;
  esac
done
if [[ $# -eq 0 ]]; then
  set -- "$build/tests/ui/qt/show_window" main
fi

for tool in Xvfb xdotool import convert; do
  command -v "$tool" >/dev/null || { echo "$0: $tool is missing" >&2; exit 1; }
done

# The first free display from :99 on (or from $SCREENSHOT_DISPLAY).
display=${SCREENSHOT_DISPLAY:-99}
while [[ -e /tmp/.X11-unix/X$display || -e /tmp/.X$display-lock ]]; do
  display=$((display + 1))
done

xvfb_pid=""
app_pid=""
feed_pid=""
cleanup() {
  for pid in $app_pid $feed_pid $xvfb_pid; do
    kill "$pid" 2>/dev/null || true
  done
  wait 2>/dev/null || true
}
trap cleanup EXIT

Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
for _ in $(seq 100); do
  xdotool getdisplaygeometry >/dev/null 2>&1 && break
  sleep 0.1
done

# The program reads commands on standard input: give it one that stays open.
fifo=$(mktemp -u /tmp/screenshot-fifo.XXXXXX)
mkfifo "$fifo"
sleep infinity >"$fifo" &
feed_pid=$!
"$@" <"$fifo" >/dev/null 2>&1 &
app_pid=$!
rm -f "$fifo"

window=$(timeout 20 xdotool search --sync --onlyvisible --name "$title" | head -n 1)
if [[ -z "$window" ]]; then
  echo "$0: no window titled '$title' appeared" >&2
  exit 1
fi
# Let the first paint finish (or the command fill the window).
sleep "$delay"
if [[ -n "$click" ]]; then
  xdotool mousemove --window "$window" "${click%,*}" "${click#*,}" click 1
  sleep 1
fi
if [[ -n "$hover" ]]; then
  xdotool mousemove --window "$window" "${hover%,*}" "${hover#*,}"
  sleep 0.2
  xdotool mousemove_relative 1 0
  sleep 2  # the tip shows after a rest
fi
import -window root "$out"
import -window "$window" "${out%.png}-window.png"
echo "wrote $out and ${out%.png}-window.png"
