#!/usr/bin/env bash
# Times the duplicate finder's tree scan (volumescope-bench dupes) against
# fdupes -r -n, jdupes -r and rmlint on one generated tree (or any tree named
# by TREE that holds a file .complete), on a warm cache, runs interleaved;
# checks that all four find the same groups (empty files are nobody's copies
# for any of them); prints the median of each and the ratios.
#
#   bench/dupes.sh [FILES] [ROUNDS]
#   COLD=1 bench/dupes.sh [FILES] [ROUNDS]   (as root: caches dropped before every run)
#   PEERS="jdupes" bench/dupes.sh ...        (only these peers)
#
# FILES (default 200000) sizes the tree (about 23 KB a file); ROUNDS (default
# 5) runs of each tool. Environment: BENCH=path of volumescope-bench (default
# build-dupes-engine/bin), TREE=folder for the tree (default
# ${TMPDIR:-/tmp}/volumescope-dupes-FILES, kept for the next run).
set -euo pipefail

files=${1:-200000}
rounds=${2:-5}
here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
bench=${BENCH:-}
if [ -z "$bench" ]; then
  for b in "$repo"/build-dupes-engine/bin/volumescope-bench "$repo"/build*/bin/volumescope-bench; do
    if [ -x "$b" ]; then bench=$b; break; fi
  done
fi
[ -x "${bench:-}" ] || { echo "volumescope-bench not built (set BENCH=...)" >&2; exit 1; }
tree=${TREE:-${TMPDIR:-/tmp}/volumescope-dupes-$files}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The peers, from Debian.
missing=()
for p in fdupes jdupes rmlint; do command -v "$p" >/dev/null || missing+=("$p"); done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -eq 0 ]; then
    apt-get install -y --no-install-recommends "${missing[@]}" >/dev/null \
      || { apt-get update >/dev/null && apt-get install -y --no-install-recommends "${missing[@]}" >/dev/null; }
  else
    echo "missing: ${missing[*]} (sudo apt-get install ${missing[*]})" >&2; exit 1
  fi
fi

if [ ! -f "$tree/.complete" ]; then
  need_kb=$((files * 30))
  avail_kb=$(df -Pk "$(dirname "$tree")" | awk 'NR==2 {print $4}')
  if [ "$avail_kb" -lt $((need_kb + 1048576)) ]; then
    echo "not enough space for the tree in $(dirname "$tree") ($((avail_kb / 1024)) MB free)" >&2; exit 1
  fi
  rm -rf "$tree"
  echo "building the tree..." >&2
  "$here/make-dupes-tree" "$tree" "$files" >&2
  touch "$tree/.complete"   # hidden: no tool under its defaults lists it (and it is empty)
fi
echo "tree: $tree ($(du -sh "$tree" | cut -f1), $files files), $([ "${COLD:-0}" = 1 ] && echo cold || echo warm) cache" >&2

cold=${COLD:-0}
if [ "$cold" = 1 ] && [ ! -w /proc/sys/vm/drop_caches ]; then
  echo "COLD=1 drops the caches before every run: that needs root" >&2; exit 1
fi
settle() { if [ "$cold" = 1 ]; then sync; echo 3 > /proc/sys/vm/drop_caches; fi; }

run() { # tool output-file
  case $1 in
    volumescope) "$bench" dupes "$tree" > "$2" ;;
    fdupes) fdupes -r -n -q "$tree" > "$2" 2>/dev/null ;;
    jdupes) jdupes -r -q "$tree" > "$2" 2>/dev/null ;;
    rmlint) (cd "$work" && rmlint -T df -o fdupes:stdout "$tree" > "$2" 2>/dev/null) ;;
  esac
}

# Groups as sorted lines of sorted paths, whatever each tool prints.
normalise() { # tool file
  python3 - "$1" "$2" <<'PY'
import sys
tool, name = sys.argv[1], sys.argv[2]
groups, group = [], []
for line in open(name, encoding="utf-8", errors="surrogateescape"):
    line = line.rstrip("\n")
    if not line:
        if group:
            groups.append(group)
        group = []
        continue
    group.append(line.split("\t")[2] if tool == "volumescope" else line)
if group:
    groups.append(group)
for g in sorted("\t".join(sorted(g)) for g in groups):
    print(g)
PY
}

read -r -a tools <<< "volumescope ${PEERS:-fdupes jdupes rmlint}"
nt=${#tools[@]}
echo "first runs (and the groups of each tool)..." >&2
for t in "${tools[@]}"; do run "$t" "$work/$t.out"; done

status=0
normalise volumescope "$work/volumescope.out" > "$work/volumescope.groups"
for t in "${tools[@]:1}"; do
  normalise "$t" "$work/$t.out" > "$work/$t.groups"
  if cmp -s "$work/volumescope.groups" "$work/$t.groups"; then
    echo "groups agree with $t: $(wc -l < "$work/$t.groups") groups" >&2
  else
    echo "GROUPS DIFFER from $t:" >&2
    diff "$work/volumescope.groups" "$work/$t.groups" | head -5 | cut -c1-300 >&2 || true
    status=1
  fi
done

for r in $(seq 1 "$rounds"); do
  # Rotate the order each round so no tool always follows the same one.
  for ((i = 0; i < nt; i++)); do
    t=${tools[$(( (i + r) % nt ))]}
    settle
    s=$(date +%s.%N)
    run "$t" "$work/run.out"
    e=$(date +%s.%N)
    echo "$t $(echo "$e - $s" | bc)" >> "$work/times"
  done
done

median() { grep "^$1 " "$work/times" | cut -d' ' -f2 | sort -g | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }
fastest() { grep "^$1 " "$work/times" | cut -d' ' -f2 | sort -g | head -1; }
ours=$(median volumescope)
printf "%-12s %9s %8s %9s\n" tool "median s" "x ours" "best s"
for t in "${tools[@]}"; do
  m=$(median "$t")
  printf "%-12s %9.3f %8.2f %9.3f\n" "$t" "$m" "$(echo "$m / $ours" | bc -l)" "$(fastest "$t")"
done
exit $status
