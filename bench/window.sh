#!/bin/bash
# Times the real windows against the engine on the same warm tree: F5 in the
# main window against `volumescope-bench sizes`, and the duplicate finder's
# "Сканировать" against `volumescope-bench dupes`, each from the key press or
# click to the final count, interleaved over several rounds; prints the
# medians, the ratios and how often the window repainted.
#
#   bench/window.sh sizes|dupes DIR [ROUNDS]
#
# The binaries come from $VS_BENCH and $VS_WINDOW_BENCH, or from the first
# build*/bin next to this script that has both (build them with
# `cmake --build build --target volumescope-bench volumescope-window-bench`).
# The windows run offscreen unless DISPLAY is set (for example under
# `xvfb-run -a`, with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 for the
# accessibility bridge a desktop session has).
set -euo pipefail

if [ $# -lt 2 ] || [ ! -d "$2" ] || { [ "$1" != sizes ] && [ "$1" != dupes ]; }; then
    echo "usage: $0 sizes|dupes DIR [ROUNDS]" >&2
    exit 2
fi
what=$1
dir=${2%/}
rounds=${3:-5}
here=$(cd "$(dirname "$0")" && pwd)

engine=${VS_BENCH:-}
window=${VS_WINDOW_BENCH:-}
for b in "$here"/../build/bin "$here"/../build*/bin; do
    if [ -z "$engine" ] && [ -x "$b/volumescope-bench" ]; then engine=$b/volumescope-bench; fi
    if [ -z "$window" ] && [ -x "$b/volumescope-window-bench" ]; then window=$b/volumescope-window-bench; fi
done
[ -x "${engine:-}" ] || { echo "volumescope-bench not built (set VS_BENCH=...)" >&2; exit 1; }
[ -x "${window:-}" ] || { echo "volumescope-window-bench not built (set VS_WINDOW_BENCH=...)" >&2; exit 1; }
[ -n "${DISPLAY:-}" ] || export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

seconds() { # command...: wall seconds
    local s e
    s=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    e=$(date +%s.%N)
    echo "$e - $s" | bc -l
}
median() { sort -g | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }

# Warm the cache once.
"$engine" "$what" "$dir" >/dev/null 2>&1 || true

engine_times=() window_times=()
for ((r = 1; r <= rounds; r++)); do
    engine_times+=("$(seconds "$engine" "$what" "$dir")")
    line=$("$window" "$what" "$dir")
    window_times+=("$(cut -f1 <<<"$line")")
    echo "round $r: engine ${engine_times[-1]} s, window $line" >&2
done
e=$(printf '%s\n' "${engine_times[@]}" | median)
w=$(printf '%s\n' "${window_times[@]}" | median)
printf '%s on %s, %d rounds (medians)\n' "$what" "$dir" "$rounds"
printf '  volumescope-bench %-6s %8.3f s\n' "$what" "$e"
printf '  window (key to count) %8.3f s\n' "$w"
printf '  ratio window/engine   %8.2f\n' "$(echo "$w / $e" | bc -l)"
