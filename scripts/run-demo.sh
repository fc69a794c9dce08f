#!/usr/bin/env bash
# Starts the monitor: on a live demo when no arguments are given, else with them.
set -u
binary=$1; shift

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "make run needs a display: start it from a desktop session, or under Xvfb with 'xvfb-run -a make run'." >&2
    exit 1
fi

if [ $# -gt 0 ]; then
    exec "$binary" "$@"
fi

demo=$(mktemp -d -t marrowlight-demo.XXXXXX)
bash "$(dirname "$0")/demo-log-generator.sh" "$demo/server.log" "$demo/worker.log" &
generator=$!
trap 'kill $generator 2>/dev/null; rm -rf "$demo"' EXIT
"$binary" "-f:$demo/server.log;$demo/worker.log"
