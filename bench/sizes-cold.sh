#!/bin/bash
# Times the per-subfolder totals of DIR on a cold cache: before every single
# run the dirty pages are written and the page cache, dentries and inodes are
# dropped (sync; echo 3 > /proc/sys/vm/drop_caches, so this needs root).
# volumescope-bench sizes runs against ncdu and the reference C walker
# (refwalk) with one thread per core and with 8 threads, interleaved and in a
# rotating order; the medians and the ratios are printed. With --warm the
# caches are left as they are (after one warming run each), for the warm
# figures of the same set of tools.
#
#   bench/sizes-cold.sh [--warm] DIR [ROUNDS]
#
# The binaries come from $VS_BENCH and $REFWALK, or from build/bin next to
# this script; $VS_BASE, when set, names a second volumescope-bench (say, an
# older build) that is timed beside the first as "base".
set -euo pipefail

warm=0
if [ "${1:-}" = --warm ]; then
    warm=1
    shift
fi
if [ $# -lt 1 ] || [ ! -d "$1" ]; then
    echo "usage: $0 [--warm] DIR [ROUNDS]" >&2
    exit 2
fi
dir=${1%/}
rounds=${2:-3}
here=$(cd "$(dirname "$0")" && pwd)
vs=${VS_BENCH:-$here/../build/bin/volumescope-bench}
ref=${REFWALK:-$here/../build/bin/refwalk}
base=${VS_BASE:-}
for b in "$vs" "$ref" ${base:+"$base"}; do
    if [ ! -x "$b" ]; then
        echo "$b not found: build the project first, or set VS_BENCH, REFWALK (and VS_BASE)" >&2
        exit 1
    fi
done
if [ "$warm" -eq 0 ] && [ ! -w /proc/sys/vm/drop_caches ]; then
    echo "dropping the caches needs root (/proc/sys/vm/drop_caches)" >&2
    exit 1
fi
if ! command -v ncdu >/dev/null; then
    if [ "$(id -u)" -eq 0 ]; then
        DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends ncdu ||
            { apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends ncdu; }
    else
        echo "ncdu missing; run: sudo apt-get install -y --no-install-recommends ncdu" >&2
        exit 1
    fi
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

tools=(volumescope ncdu refwalk refwalk-t8)
[ -n "$base" ] && tools+=(base)
run_tool() {
    case $1 in
    volumescope) "$vs" sizes "$dir" ;;
    base) "$base" sizes "$dir" ;;
    refwalk) "$ref" "$dir" ;;
    refwalk-t8) "$ref" -t 8 "$dir" ;;
    ncdu) ncdu -0 -x -o /dev/null "$dir" ;;
    esac
}
settle() {
    if [ "$warm" -eq 0 ]; then
        sync
        echo 3 >/proc/sys/vm/drop_caches
    fi
}

echo "volumescope-bench: $vs${base:+ (base: $base)}"
echo "refwalk:           $ref"
echo "tree: $dir ($(nproc) cores), $rounds rounds, $([ "$warm" -eq 1 ] && echo warm || echo cold) cache"
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"

"$vs" sizes "$dir" >"$tmp/vs.out" || true
"$ref" "$dir" >"$tmp/ref.out" || true
same=1
if cmp -s "$tmp/vs.out" "$tmp/ref.out"; then
    echo "totals: volumescope equals refwalk ($(wc -l <"$tmp/vs.out") subfolders)"
else
    echo "totals DIFFER between volumescope and refwalk:" >&2
    diff "$tmp/vs.out" "$tmp/ref.out" | head -20 >&2 || true
    same=0
fi

TIMEFORMAT='%R %U %S'
n=${#tools[@]}
for ((r = 0; r < rounds; r++)); do
    for ((k = 0; k < n; k++)); do
        t=${tools[$(((k + r) % n))]}
        settle
        { time (run_tool "$t" >/dev/null 2>&1 || true); } 2>>"$tmp/$t.times"
    done
    echo "round $((r + 1)) done (load $(cut -d' ' -f1 /proc/loadavg))"
done

# Column $2 of file $1 (1 wall seconds, 2 CPU seconds): the median.
median() { awk -v c="$2" '{print (c == 1) ? $1 : $2 + $3}' "$1" | sort -g |
    awk '{v[NR] = $1} END {m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; printf "%.3f", m}'; }
all() { awk '{printf "%s%s", sep, $1; sep = " "}' "$1"; }
declare -A med
printf '\n%-12s %10s %12s   %s\n' tool "median s" "median CPU s" "all runs (s)"
for t in "${tools[@]}"; do
    med[$t]=$(median "$tmp/$t.times" 1)
    printf '%-12s %10s %12s   %s\n' "$t" "${med[$t]}" "$(median "$tmp/$t.times" 2)" "$(all "$tmp/$t.times")"
done
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.3f", a / b}'; }
printf '\nvolumescope / ncdu:        %s\n' "$(ratio "${med[volumescope]}" "${med[ncdu]}")"
printf 'volumescope / refwalk -t 8: %s\n' "$(ratio "${med[volumescope]}" "${med[refwalk-t8]}")"
printf 'volumescope / refwalk:     %s\n' "$(ratio "${med[volumescope]}" "${med[refwalk]}")"
[ -n "$base" ] && printf 'volumescope / base:        %s\n' "$(ratio "${med[volumescope]}" "${med[base]}")"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
[ "$same" -eq 1 ]
