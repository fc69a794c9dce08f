#!/usr/bin/env bash
# Runs every benchmark built from bench/*.cpp in the given build folder.
# Log size: MARROWLIGHT_BENCH_MB (default 256); pass --large for 1024 MiB.
set -euo pipefail

build="${1:-build}"
if [ "${2:-}" = "--large" ]; then
  export MARROWLIGHT_BENCH_MB=1024
else
  export MARROWLIGHT_BENCH_MB="${MARROWLIGHT_BENCH_MB:-256}"
fi
root="$(cd "$(dirname "$0")/.." && pwd)"

status=0
for source in "$root"/bench/*.cpp; do
  name="$(basename "$source" .cpp)"
  if [ -x "$build/$name" ]; then
    echo "== $name (log size ${MARROWLIGHT_BENCH_MB} MiB)"
    "$build/$name" || status=1
  else
    echo "== $name: not built in $build (configure with -DMARROWLIGHT_BENCHMARKS=ON)" >&2
    status=1
  fi
done
exit $status
