#!/bin/bash
# Times the real windows against the engine on the same warm tree: F5 in the
# main window against `volumescope-bench sizes`, and the duplicate finder's
# "Сканировать" against `volumescope-bench dupes`, each from the key press or
# click to the final count, interleaved over several rounds; prints the
# medians, the ratios and how often the window repainted: as it was (only
# what changed repaints) and with a paint probe (one status-bar control asks
# for a repaint after each of its paints, so the longest gap says how long
# the window could not repaint). For dupes it also presses "Отмена"
# $VS_STOP_MS ms (default 10) into the comparison and times the answer, the
# moment meant for the press to the idle window.
#
#   bench/window.sh [--xvfb-a11y] sizes|dupes DIR [ROUNDS]
#
# The binaries come from $VS_BENCH and $VS_WINDOW_BENCH, or from the first
# build*/bin next to this script that has both (build them with
# `cmake --build build --target volumescope-bench volumescope-window-bench`).
# The windows run offscreen unless DISPLAY is set. --xvfb-a11y runs them as a
# desktop session has them: under Xvfb, with a session bus, the
# accessibility bus and registry, and Qt's accessibility bridge on (packages
# xvfb, dbus, at-spi2-core).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
if [ "${1:-}" = --xvfb-a11y ]; then
    shift
    for tool in xvfb-run dbus-run-session /usr/libexec/at-spi-bus-launcher; do
        command -v "$tool" >/dev/null || { echo "$tool missing (scripts/setup.sh installs it)" >&2; exit 1; }
    done
    # The accessibility bus and its registry live as long as the session bus.
    exec xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- bash -c '
        /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
        sleep 1
        QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 VS_WINDOW_MODE="Xvfb, accessibility bridge on" \
            exec "$0" "$@"' "$here/window.sh" "$@"
fi
if [ $# -lt 2 ] || [ ! -d "$2" ] || { [ "$1" != sizes ] && [ "$1" != dupes ]; }; then
    echo "usage: $0 [--xvfb-a11y] sizes|dupes DIR [ROUNDS]" >&2
    exit 2
fi
what=$1
dir=${2%/}
rounds=${3:-5}

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

engine_times=() window_times=() gaps=() probe_gaps=() stops=()
for ((r = 1; r <= rounds; r++)); do
    engine_times+=("$(seconds "$engine" "$what" "$dir")")
    line=$("$window" "$what" "$dir")
    window_times+=("$(cut -f1 <<<"$line")")
    gaps+=("$(cut -f4 <<<"$line" | cut -d' ' -f1)")
    probe=$(VS_PAINT_PROBE=1 "$window" "$what" "$dir")
    probe_gaps+=("$(cut -f4 <<<"$probe" | cut -d' ' -f1)")
    echo "round $r: engine ${engine_times[-1]} s, window $line; probed: $probe" >&2
    if [ "$what" = dupes ]; then
        stop=$("$window" dupes-stop "$dir" "${VS_STOP_MS:-10}" || true)
        echo "  stop: $stop" >&2
        case $stop in *"ms stop answer"*) stops+=("${stop%% ms*}") ;; esac
    fi
done
e=$(printf '%s\n' "${engine_times[@]}" | median)
w=$(printf '%s\n' "${window_times[@]}" | median)
printf '%s on %s, %d rounds (medians), %s\n' "$what" "$dir" "$rounds" "${VS_WINDOW_MODE:-offscreen}"
printf '  volumescope-bench %-6s %8.3f s\n' "$what" "$e"
printf '  window (key to count) %8.3f s\n' "$w"
printf '  ratio window/engine   %8.2f\n' "$(echo "$w / $e" | bc -l)"
printf '  longest paint gap     %8.1f ms (%.1f ms with the paint probe)\n' \
    "$(printf '%s\n' "${gaps[@]}" | median)" "$(printf '%s\n' "${probe_gaps[@]}" | median)"
if [ "$what" = dupes ]; then
    if [ ${#stops[@]} -gt 0 ]; then
        printf '  "Отмена" answered in  %8.1f ms (%d of %d presses landed in the comparison)\n' \
            "$(printf '%s\n' "${stops[@]}" | median)" "${#stops[@]}" "$rounds"
    else
        echo '  "Отмена": the comparison ended before the press (set VS_STOP_MS lower)'
    fi
fi
