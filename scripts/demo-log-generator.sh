#!/usr/bin/env bash
# Appends realistic lines (CR LF) to the logs named as arguments until killed,
# so `make run` shows colours, groups, the gutter and tab markers at once.
set -u
[ $# -ge 1 ] || { echo "usage: $0 LOG..." >&2; exit 2; }

services=(api-gateway billing scheduler auth cache-warmer)
infos=("request served in %d ms" "session opened for user u%d" "job %d finished" "cache hit ratio %d%%")
warns=("Warn: queue depth %d above threshold" "Warning: slow response %d ms" "warn: retrying upstream call %d")
errors=("Error: connection refused (attempt %d)" "Error: disk quota exceeded on volume %d" "error: unexpected token at byte %d")

line() {
    local kind=$((RANDOM % 10)) svc=${services[RANDOM % ${#services[@]}]} n=$((RANDOM % 900 + 10)) fmt
    if [ $kind -lt 6 ]; then fmt=${infos[RANDOM % ${#infos[@]}]}
    elif [ $kind -lt 9 ]; then fmt=${warns[RANDOM % ${#warns[@]}]}
    else fmt=${errors[RANDOM % ${#errors[@]}]}
    fi
    # The default first group keyword is "2006": stamp some lines with that year.
    local year=2026; [ $((RANDOM % 3)) -eq 0 ] && year=2006
    printf "%s-%s [%s] $fmt\r\n" "$year" "$(date +%m-%dT%H:%M:%S)" "$svc" "$n"
}

for log in "$@"; do
    for _ in 1 2 3 4 5 6 7 8; do line >> "$log"; done
done
while true; do
    for log in "$@"; do
        if [ $((RANDOM % 2)) -eq 0 ]; then line >> "$log"; fi
    done
    sleep 0.7
done
