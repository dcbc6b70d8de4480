#!/bin/bash
# Times the per-subfolder totals of DIR: volumescope-bench sizes against the
# reference C walker (refwalk), du, gdu and ncdu, interleaved over several
# rounds on the same warm tree, and checks that volumescope's totals equal
# the reference's.
#
#   bench/sizes.sh DIR [ROUNDS]
#
# The bench binaries come from $VS_BENCH and $REFWALK, or from the first of
# build/bin, build-*/bin next to this script that has them. Nothing is built
# here. du (coreutils), gdu and ncdu are installed from Debian when missing
# (as root; otherwise the apt-get command to run is printed).
set -euo pipefail

if [ $# -lt 1 ] || [ ! -d "$1" ]; then
    echo "usage: $0 DIR [ROUNDS]" >&2
    exit 2
fi
dir=${1%/}
rounds=${2:-5}
here=$(cd "$(dirname "$0")" && pwd)

# A build folder counts when its volumescope-bench knows "sizes" (a build
# configured before that command existed prints only the usage, exit 2).
has_sizes() {
    local rc=0
    "$1" sizes "$tmp/no such folder" >/dev/null 2>&1 || rc=$?
    [ "$rc" -ne 2 ]
}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
vs=${VS_BENCH:-}
ref=${REFWALK:-}
if [ -z "$vs" ] || [ -z "$ref" ]; then
    for d in "$here/../build/bin" "$here"/../build-*/bin; do
        if [ -x "$d/volumescope-bench" ] && [ -x "$d/refwalk" ] && has_sizes "$d/volumescope-bench"; then
            d=$(cd "$d" && pwd)
            vs=${vs:-$d/volumescope-bench}
            ref=${ref:-$d/refwalk}
            break
        fi
    done
fi
if [ -z "$vs" ] || [ -z "$ref" ]; then
    echo "volumescope-bench or refwalk not found: build the project first," >&2
    echo "or set VS_BENCH and REFWALK to their paths" >&2
    exit 1
fi

missing=()
command -v du >/dev/null || missing+=(coreutils)
command -v gdu >/dev/null || missing+=(gdu)
command -v ncdu >/dev/null || missing+=(ncdu)
if [ ${#missing[@]} -gt 0 ]; then
    if [ "$(id -u)" -eq 0 ]; then
        DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}" ||
            { apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"; }
    else
        echo "missing tools; run: sudo apt-get install -y --no-install-recommends ${missing[*]}" >&2
        exit 1
    fi
fi

# Each tool measures every immediate subfolder of DIR, staying on its file
# system, and writes its result away.
tools=(volumescope refwalk du gdu ncdu)
run_tool() {
    case $1 in
    volumescope) "$vs" sizes "$dir" ;;
    refwalk) "$ref" "$dir" ;;
    du) du -sbx -- "$dir"/*/ ;;
    gdu) gdu -n -p -x -a -c --no-prefix "$dir" ;;
    ncdu) ncdu -0 -x -o /dev/null "$dir" ;;
    esac
}

echo "volumescope-bench: $vs"
echo "refwalk:           $ref"
echo "tree: $dir ($(nproc) cores), $rounds rounds"
echo "warming the cache ..."
for t in refwalk du; do run_tool "$t" >/dev/null 2>&1 || true; done

"$vs" sizes "$dir" >"$tmp/vs.out" || true
"$ref" "$dir" >"$tmp/ref.out" || true
if cmp -s "$tmp/vs.out" "$tmp/ref.out"; then
    echo "totals: volumescope equals refwalk ($(wc -l <"$tmp/vs.out") subfolders)"
    same=1
else
    echo "totals DIFFER between volumescope and refwalk:" >&2
    diff "$tmp/vs.out" "$tmp/ref.out" | head -20 >&2 || true
    same=0
fi

TIMEFORMAT='%R %U %S'
n=${#tools[@]}
for ((r = 0; r < rounds; r++)); do
    # Rotate the order each round so no tool always runs right after another.
    for ((k = 0; k < n; k++)); do
        t=${tools[$(((k + r) % n))]}
        { time (run_tool "$t" >/dev/null 2>&1 || true); } 2>>"$tmp/$t.times"
    done
    echo "round $((r + 1)) done"
done

# Column $2 of file $1 (1 wall seconds, 2 CPU seconds): the median.
median() { awk -v c="$2" '{print (c == 1) ? $1 : $2 + $3}' "$1" | sort -g |
    awk '{v[NR] = $1} END {m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; printf "%.3f", m}'; }
declare -A med cpu
printf '\n%-12s %10s %12s\n' tool "median s" "median CPU s"
for t in "${tools[@]}"; do
    med[$t]=$(median "$tmp/$t.times" 1)
    cpu[$t]=$(median "$tmp/$t.times" 2)
    printf '%-12s %10s %12s\n' "$t" "${med[$t]}" "${cpu[$t]}"
done
fastest=du
for t in gdu ncdu; do
    if awk -v a="${med[$t]}" -v b="${med[$fastest]}" 'BEGIN {exit !(a < b)}'; then fastest=$t; fi
done
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.3f", a / b}'; }
printf '\nvolumescope / fastest peer (%s): %s\n' "$fastest" "$(ratio "${med[volumescope]}" "${med[$fastest]}")"
printf 'volumescope / refwalk:          %s\n' "$(ratio "${med[volumescope]}" "${med[refwalk]}")"
printf 'refwalk / fastest peer:         %s\n' "$(ratio "${med[refwalk]}" "${med[$fastest]}")"
[ "$same" -eq 1 ]
