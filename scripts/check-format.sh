#!/usr/bin/env bash
# Checks every tracked C and C++ source under src, tests, bench, resources and fuzz
# against the committed .clang-format without changing any file. Prints the
# files that would change and exits 1, or exits 0 when all are formatted.
#   bash scripts/check-format.sh            (CLANG_FORMAT=clang-format-16 to pick one)
set -euo pipefail
cd "$(dirname "$0")/.."
cf=${CLANG_FORMAT:-clang-format}
if ! command -v "$cf" >/dev/null; then
    echo "$cf not found: install the Debian package clang-format (bash scripts/setup.sh)" >&2
    exit 2
fi

# A broken .clang-format would make every file look unformatted.
"$cf" --style=file --dump-config >/dev/null

mapfile -d '' files < <(git ls-files -z -- 'src/*.cpp' 'src/*.h' 'src/*.c' 'tests/*.cpp' 'tests/*.h' 'tests/*.c' \
    'bench/*.cpp' 'bench/*.h' 'bench/*.c' 'resources/*.cpp' 'resources/*.h' 'resources/*.c' \
    'fuzz/*.cpp' 'fuzz/*.h')

differ=()
for f in "${files[@]}"; do
    if ! "$cf" --style=file --dry-run --Werror "$f" >/dev/null 2>&1; then
        differ+=("$f")
    fi
done

if [ ${#differ[@]} -gt 0 ]; then
    echo "${#differ[@]} of ${#files[@]} files differ from .clang-format:"
    printf '  %s\n' "${differ[@]}"
    echo "format them with: clang-format -i FILE..."
    exit 1
fi
echo "all ${#files[@]} files match .clang-format"
