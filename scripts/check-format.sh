#!/usr/bin/env bash
# Lists the C++ files that differ from what clang-format makes of them with the
# root .clang-format; exits 1 when there is any. CLANG_FORMAT picks the binary.
set -euo pipefail
cd "$(dirname "$0")/.."

format="${CLANG_FORMAT:-clang-format}"
if ! command -v "$format" >/dev/null; then
  echo "check-format: $format not found (scripts/install-deps.sh installs it)" >&2
  exit 2
fi

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' \
                                      'bench/*.cpp' 'bench/*.h')
else
  mapfile -t files < <(find src tests bench -name '*.cpp' -o -name '*.h' | sort)
fi

differing=0
for f in "${files[@]}"; do
  [ -f "$f" ] || continue
  if ! "$format" --style=file "$f" | cmp -s "$f" -; then
    echo "$f"
    differing=$((differing + 1))
  fi
done

if [ "$differing" -gt 0 ]; then
  echo "check-format: $differing of ${#files[@]} files differ; fix with: $format -i FILE..." >&2
  exit 1
fi
echo "check-format: all ${#files[@]} files match .clang-format"
