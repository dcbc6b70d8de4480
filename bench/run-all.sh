#!/usr/bin/env bash
# Runs both benchmarks on trees of a modest size, made once and kept for the
# next run: folder totals (sizes.sh) and the duplicate finder (dupes.sh).
#
#   bench/run-all.sh [BENCH]          (make bench passes build/bin/volumescope-bench)
#
# BENCH is volumescope-bench; refwalk is taken from the same folder. Sizes
# come from the environment:
#   SIZES_FILES  files in the folder-totals tree (default 100000; sparse, so
#                it costs inodes, not space)
#   DUPES_FILES  files in the duplicates tree (default 10000, about 20 KB each)
#   ROUNDS       timed rounds of every tool (default 3)
#   TREES        folder the trees are made in (default ${TMPDIR:-/tmp})
# The figures in the README come from 1000000 and 200000 files and 7 and 5
# rounds. Peers missing from the machine are installed from Debian as root;
# otherwise each script prints the apt-get command to run.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
bench=${1:-$repo/build/bin/volumescope-bench}
sizes_files=${SIZES_FILES:-100000}
dupes_files=${DUPES_FILES:-10000}
rounds=${ROUNDS:-3}
trees=${TREES:-${TMPDIR:-/tmp}}
trees=${trees%/}

if [ ! -x "$bench" ]; then
    echo "$bench not found: build it first (make build)" >&2
    exit 1
fi
bench=$(cd "$(dirname "$bench")" && pwd)/$(basename "$bench")
refwalk=$(dirname "$bench")/refwalk
if [ ! -x "$refwalk" ]; then
    echo "$refwalk not found: build it first (make build)" >&2
    exit 1
fi
mkdir -p "$trees"

sizes_tree=$trees/volumescope-sizes-$sizes_files
dupes_tree=$trees/volumescope-dupes-$dupes_files
echo "trees are made in $trees and kept for the next run:"
echo "  folder totals: $sizes_tree ($sizes_files files)"
echo "  duplicates:    $dupes_tree ($dupes_files files)"
echo "choose the sizes with SIZES_FILES=N DUPES_FILES=N ROUNDS=N TREES=DIR, e.g."
echo "  SIZES_FILES=1000000 DUPES_FILES=200000 ROUNDS=5 make bench"
echo

# make-tree.sh refuses an existing folder; a marker beside the tree (not in
# it, where it would be timed too) tells a finished tree from an interrupted one.
if [ ! -f "$sizes_tree.complete" ]; then
    rm -rf "$sizes_tree"
    echo "== making the folder-totals tree"
    "$here/make-tree.sh" "$sizes_tree" "$sizes_files"
    touch "$sizes_tree.complete"
fi

status=0
echo "== folder totals"
VS_BENCH=$bench REFWALK=$refwalk bash "$here/sizes.sh" "$sizes_tree" "$rounds" || status=1
echo
echo "== duplicates"
BENCH=$bench TREE=$dupes_tree bash "$here/dupes.sh" "$dupes_files" "$rounds" || status=1
exit $status
