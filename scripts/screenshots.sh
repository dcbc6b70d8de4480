#!/usr/bin/env bash
# Takes the screenshots in docs/screenshots that show the windows at scale
# factors 1 and 2 with a window manager's frame: a virtual display (Xvfb),
# openbox, the program scanning /usr, and the duplicate finder's demo.
#   bash scripts/screenshots.sh        (after a build in BUILD, default "build")
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
BUILD=${BUILD:-build}
cmake --build "$BUILD" -j2 --target volumescope dupes_window
out=$root/docs/screenshots
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp &
xvfb=$!
sleep 2
DISPLAY=$display openbox &
wm=$!
trap 'kill $wm $xvfb 2>/dev/null || true' EXIT
sleep 2
export DISPLAY=$display
# Qt takes the Russian number format from LANG even where libc has no such locale.
run() { env -u LC_ALL LANG=ru_RU.UTF-8 "$@"; }

for scale in 1 2; do
  (cd /usr && run QT_SCALE_FACTOR=$scale "$root/$BUILD/bin/volumescope") &
  program=$!
  sleep 3
  xdotool windowactivate --sync "$(xdotool search --name '^Volumescope$' | head -1)" || true
  sleep 0.5
  xdotool key F5
  sleep 10
  import -window root "$out/.root.png"
  convert "$out/.root.png" -trim +repage "$out/main-scale$scale.png"
  rm -f "$out/.root.png"
  kill $program
  wait $program 2>/dev/null || true
done
(cd /tmp && run QT_SCALE_FACTOR=2 "$root/$BUILD/bin/dupes_window" --grab "$out/duplicates-scale2.png")
ls -l "$out"/main-scale1.png "$out"/main-scale2.png "$out"/duplicates-scale2.png
