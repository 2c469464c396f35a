#!/usr/bin/env bash
# Load test of the web API of the real program: for the given number of seconds (two rounds) many
# keep-alive clients (wrk) call the API while malformed requests (oversized lines and heads, bad methods,
# binary garbage, truncated and pipelined requests, bodies where none belong) and slow senders that trickle
# one byte a second are mixed in, and a browser-like client keeps polling as the control page does (and
# saves the camera list and selects a camera now and then).
# Passes when the program is still running, every well-formed request got its answer, every malformed one
# was refused as it should be, and its memory did not grow in the second round. Loopback only.
#
# Usage: scripts/loadtest.sh [seconds-per-round]     (default 60)
#   LOAD_BUILD=<folder>    build folder of the program (default build); it is built when needed
#   LOAD_ADDRESS, LOAD_PORT  where the program listens (default 127.0.14.2:18080)
#   LOAD_CONNECTIONS=<n>   wrk keep-alive connections (default 12: with the driver's browser, malformed
#                          and slow clients, all from one address, it stays within the server's 32
#                          connections per client address)
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-60}"
build="${LOAD_BUILD:-$here/build}"
address="${LOAD_ADDRESS:-127.0.14.2}"
port="${LOAD_PORT:-18080}"
connections="${LOAD_CONNECTIONS:-12}"
program="$build/bin/tavimorex"
driver="$build/robustness/tavimorex-loaddriver"
# shellcheck source=robustness/common.sh
. "$here/scripts/robustness/common.sh"

if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 10 ]; then
  echo "usage: $0 [seconds-per-round, at least 10]" >&2
  exit 2
fi
command -v wrk >/dev/null || { echo "wrk is not installed" >&2; exit 2; }

build_program "$build"

work="$(mktemp -d "${TMPDIR:-/tmp}/tavimorex-load-XXXXXX")"
program_pid=""
cleanup() {
  [ -n "$program_pid" ] && kill -KILL "$program_pid" 2>/dev/null || true
  for pid in $(jobs -p); do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  [ "${KEEP_WORK:-0}" = 1 ] || rm -rf "$work"
}
trap cleanup EXIT

start_program "$work" "[General]
startuponlaunch=true
servernic=$address
serverportnum=$port"
if ! wait_for_port "$address" "$port" 30; then
  echo "the program did not start listening on $address:$port" >&2
  cat "$work/program.log" >&2
  exit 1
fi

# Warm-up: the pages and every API path once, so that what is built on first use is built before the
# memory baseline is taken.
"$driver" --host "$address" --port "$port" --duration 5 --browsers 1 >"$work/warmup.txt" || {
  echo "the warm-up polling failed:" >&2
  cat "$work/warmup.txt" >&2
  exit 1
}
sleep 1
rss_start="$(rss_kb)"

# The browser also saves the camera list now and then (which rebuilds the program's cameras) and selects
# camera 1: the list as the page sends it, eight network cameras, percent-encoded.
camera_list="%5B"
for i in 1 2 3 4 5 6 7 8; do
  [ "$i" -gt 1 ] && camera_list="$camera_list%2C"
  camera_list="$camera_list%7B%22isUsb%22%3Afalse%2C%22name%22%3A%22Camera$i%22%2C%22camId%22%3A%220.0.0.0%22%7D"
done
camera_list="$camera_list%5D"

failed=0
declare -A served dropped non2xx drv_ok drv_bad mal_sent mal_bad slow_ans slow_cut peak after
run_round() {
  local round="$1"
  local peak_kb=0
  wrk -t1 -c"$connections" -d"${seconds}s" --timeout 5s -s "$here/scripts/robustness/loadtest.lua" \
    "http://$address:$port/" >"$work/wrk$round.txt" 2>&1 &
  local wrk_pid=$!
  "$driver" --host "$address" --port "$port" --duration "$seconds" --browsers 1 --malformed 8 --slow 4 \
    --periodic "/cam/saveSettings?camList=$camera_list@2000" --periodic "/cam/connect?camNum=0@3000" \
    --seed "$round" >"$work/driver$round.txt" 2>&1 &
  local driver_pid=$!
  while kill -0 "$wrk_pid" 2>/dev/null || kill -0 "$driver_pid" 2>/dev/null; do
    if kill -0 "$program_pid" 2>/dev/null; then
      local now
      now="$(rss_kb)"
      [ "$now" -gt "$peak_kb" ] && peak_kb="$now"
    fi
    sleep 1
  done
  local driver_status=0
  wait "$wrk_pid" || true
  wait "$driver_pid" || driver_status=$?
  sleep 3
  peak[$round]="$peak_kb"

  if ! kill -0 "$program_pid" 2>/dev/null; then
    echo "!! the program is gone after round $round" >&2
    tail -20 "$work/program.log" >&2
    exit 1
  fi
  after[$round]="$(rss_kb)"

  local total errors bad
  total="$(sed -n 's/^ *\([0-9]*\) requests in.*/\1/p' "$work/wrk$round.txt")"
  errors="$(sed -n 's/.*Socket errors: connect \([0-9]*\), read \([0-9]*\), write \([0-9]*\), timeout \([0-9]*\).*/\1 \2 \3 \4/p' \
    "$work/wrk$round.txt" | awk '{print $1 + $2 + $3 + $4}')"
  bad="$(sed -n 's/.*Non-2xx or 3xx responses: *\([0-9]*\).*/\1/p' "$work/wrk$round.txt")"
  served[$round]="${total:-0}"
  dropped[$round]="${errors:-0}"
  non2xx[$round]="${bad:-0}"
  drv_ok[$round]="$(field "$work/driver$round.txt" browser.ok)"
  drv_bad[$round]="$(($(field "$work/driver$round.txt" browser.failed) + $(field "$work/driver$round.txt" browser.unanswered)))"
  mal_sent[$round]="$(field "$work/driver$round.txt" malformed.sent)"
  mal_bad[$round]="$(field "$work/driver$round.txt" malformed.unexpected)"
  slow_ans[$round]="$(field "$work/driver$round.txt" slow.short.answered)"
  slow_cut[$round]="$(field "$work/driver$round.txt" slow.long.cut)"

  if [ -z "$total" ] || [ "${served[$round]}" -eq 0 ] || [ "${dropped[$round]}" -ne 0 ] || [ "${non2xx[$round]}" -ne 0 ]; then
    echo "!! round $round: wrk saw errors or failed answers" >&2
    cat "$work/wrk$round.txt" >&2
    failed=1
  fi
  if [ "$driver_status" -ne 0 ]; then
    echo "!! round $round: the driver saw failures" >&2
    grep -E '^note:|unexpected|failed|unanswered' "$work/driver$round.txt" >&2 || true
    failed=1
  fi
}

run_round 1
run_round 2

# Flat: what the first round left behind may stay (allocator pools, Qt's caches), the second round adds
# next to nothing.
growth=$((after[2] - after[1]))
allowed=$((after[1] / 10 > 8192 ? after[1] / 10 : 8192))
flat=yes
if [ "$growth" -gt "$allowed" ]; then
  flat=no
  failed=1
fi

stop_program
[ "$program_status" -eq 0 ] || { echo "!! the program ended with status $program_status" >&2; failed=1; }

echo
echo "Load test, $seconds s per round, $connections keep-alive connections + 1 polling browser + 8 malformed + 4 slow"
printf '  %-6s %12s %9s %8s %14s %14s %12s %12s %10s %10s\n' round served dropped non-2xx browser-ok browser-bad \
  malformed mal-unexp slow-ans slow-cut
for round in 1 2; do
  printf '  %-6s %12s %9s %8s %14s %14s %12s %12s %10s %10s\n' "$round" "${served[$round]}" "${dropped[$round]}" \
    "${non2xx[$round]}" "${drv_ok[$round]}" "${drv_bad[$round]}" "${mal_sent[$round]}" "${mal_bad[$round]}" \
    "${slow_ans[$round]}" "${slow_cut[$round]}"
done
echo "  memory (RSS): before load $((rss_start / 1024)) MB, peak $((peak[1] / 1024)) / $((peak[2] / 1024)) MB," \
  "after round 1 $((after[1] / 1024)) MB, after round 2 $((after[2] / 1024)) MB" \
  "(growth in round 2: $((growth / 1024)) MB, allowed $((allowed / 1024)) MB): flat $flat"
echo "  program exit status after SIGTERM: $program_status"
if [ "$failed" -ne 0 ]; then
  echo "LOAD TEST FAILED (work folder kept: $work)"
  KEEP_WORK=1
  exit 1
fi
echo "load test passed"
