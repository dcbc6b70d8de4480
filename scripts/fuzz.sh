#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one for a while from
# its committed seed corpus:  scripts/fuzz.sh [SECONDS per target, default 60]
# New inputs go to a scratch copy, so the committed corpus stays as it is; a
# crash leaves its input in build/fuzz/crashes.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=build/fuzz
targets=(fuzz_mountinfo fuzz_sizetext fuzz_checksum fuzz_report)

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVOLUMESCOPE_FUZZ=ON -DVOLUMESCOPE_TESTS=OFF >/dev/null
present=()
for t in "${targets[@]}"; do
  if grep -q "^build $t:\|bin/$t:" "$build/build.ninja" 2>/dev/null; then present+=("$t"); fi
done
cmake --build "$build" -j "$(nproc)" --target "${present[@]}"

mkdir -p "$build/crashes"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
for t in "${present[@]}"; do
  name=${t#fuzz_}
  mkdir -p "$scratch/$name"
  cp -r fuzz/corpus/"$name"/. "$scratch/$name"/ 2>/dev/null || true
  echo "== $t: $seconds s"
  if ! "$build/bin/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="$build/crashes/$name-" -print_final_stats=0 \
       "$scratch/$name" 2>"$scratch/$name.log"; then
    tail -n 40 "$scratch/$name.log"
    echo "$t: FAILED (input in $build/crashes)"
    failed=1
  else
    grep -E "^#[0-9]+.*DONE|Done [0-9]+ runs" "$scratch/$name.log" | tail -n 1 || true
  fi
done
exit $failed
