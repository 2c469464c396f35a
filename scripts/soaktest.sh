#!/usr/bin/env bash
# Soak test of the real program: for the given number of minutes it drives the current camera, a
# simulated one (tavimorex-ptzsim) whose link is cut and refused at random, and is linked to OBS and vMix
# stand-ins that restart, drop their clients, hang and send garbage, while a browser-like client polls
# the web API the whole time (and now and then presses "reconnect" for OBS and vMix). Afterwards the
# camera must be connected again, no request may have gone unanswered, the program's memory must not
# have grown over the run (its floor, not its moments), and settings.ini must be intact and readable.
# Loopback only.
#
# Usage: scripts/soaktest.sh [minutes]      (default 3; CI uses a couple, run it for hours by hand)
#   SOAK_BUILD=<folder>   build folder of the program (default build); it is built when needed
#   SOAK_SEED=<n>         seed of the random faults (default: from the clock, printed)
#   SOAK_HEAP=1           also samples the heap in use once a minute (gdb attaches and asks the allocator),
#                         which tells a leak from memory the allocator keeps after a moment's peak
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
minutes="${1:-3}"
build="${SOAK_BUILD:-$here/build}"
seed="${SOAK_SEED:-$(date +%s)}"
web="127.0.14.4"
web_port=18081
camera="127.0.14.5"
control_port=5680
peers_address="127.0.14.6"
obs_port=14455
vmix_port=18088
program="$build/bin/tavimorex"
driver="$build/robustness/tavimorex-loaddriver"
peers="$build/robustness/tavimorex-soakpeers"
simulator="$build/bin/tavimorex-ptzsim"
# shellcheck source=robustness/common.sh
. "$here/scripts/robustness/common.sh"

if ! [[ "$minutes" =~ ^[0-9]+$ ]] || [ "$minutes" -lt 1 ]; then
  echo "usage: $0 [minutes]" >&2
  exit 2
fi
seconds=$((minutes * 60))
RANDOM=$((seed % 32768))

EXTRA_TARGETS="tavimorex-ptzsim" build_program "$build"

work="$(mktemp -d "${TMPDIR:-/tmp}/tavimorex-soak-XXXXXX")"
program_pid=""
sim_pid=""
peers_pid=""
driver_pid=""
cleanup() {
  for pid in "$driver_pid" "$program_pid" "$peers_pid" "$sim_pid"; do
    if [ -n "$pid" ]; then
      kill -CONT "$pid" 2>/dev/null || true
      kill -KILL "$pid" 2>/dev/null || true
      wait "$pid" 2>/dev/null || true
    fi
  done
  [ "${KEEP_WORK:-0}" = 1 ] || rm -rf "$work"
}
trap cleanup EXIT

log() { echo "$(date +%H:%M:%S) $*" >>"$work/chaos.log"; }

# One line to the simulator's control channel, its reply line back.
sim_control() {
  local reply=""
  { printf '%s\n' "$1" >&5 && IFS= read -r -t 5 reply <&5; } 5<>"/dev/tcp/$camera/$control_port" 2>/dev/null || true
  echo "$reply"
}

start_peers() {
  "$peers" --address "$peers_address" --obs-port "$obs_port" --vmix-port "$vmix_port" --fault-interval 3000 \
    --seed "$((seed + RANDOM))" >>"$work/peers.log" 2>&1 &
  peers_pid=$!
}

# The camera: VISCA on 5678 (the port the program uses), its HTTP pages on 80 when this user may bind it.
http_port=80
[ "$(id -u)" -eq 0 ] || http_port=18085
"$simulator" --control-port "$control_port" --http-port "$http_port" --name "Soak camera" "$camera" \
  >"$work/sim.log" 2>&1 &
sim_pid=$!
for _ in $(seq 1 100); do
  grep -q READY "$work/sim.log" 2>/dev/null && break
  sleep 0.1
done
grep -q READY "$work/sim.log" || { echo "the camera simulator did not start:" >&2; cat "$work/sim.log" >&2; exit 1; }
start_peers

cameras="1\\cameratype=0
1\\cameraid=$camera
1\\cameraname=Soak camera
1\\devicename=$camera"
for i in 2 3 4 5 6 7 8; do
  cameras="$cameras
$i\\cameratype=0
$i\\cameraid=0.0.0.0
$i\\cameraname=Camera$i
$i\\devicename=0.0.0.0"
done
start_program "$work" "[General]
startuponlaunch=true
servernic=$web
serverportnum=$web_port
obsip=$peers_address
obsport=$obs_port
obspwd=
enableobsctrl=true
vmixip=$peers_address
vmixport=$vmix_port
vmixid=admin
vmixpwd=
enablevmixctrl=true

[cameraslist]
$cameras
size=8"
if ! wait_for_port "$web" "$web_port" 30; then
  echo "the program did not start listening on $web:$web_port" >&2
  cat "$work/program.log" >&2
  exit 1
fi

# The browser: selects camera 1 (which connects it), polls throughout, presses "reconnect" for OBS and
# vMix now and then, as an operator would after OBS was restarted.
"$driver" --host "$web" --port "$web_port" --duration "$seconds" --browsers 1 --request-timeout 10000 \
  --start-call "/cam/connect?camNum=0" \
  --periodic "/obs/saveReconnect?obsIp=$peers_address&obsPort=$obs_port&obsPwd=@10000" \
  --periodic "/vmix/saveReconnect?vmixIp=$peers_address&vmixPort=$vmix_port&vmixId=admin&vmixPwd=@15000" \
  >"$work/driver.txt" 2>&1 &
driver_pid=$!

for _ in $(seq 1 100); do
  [ "$(sim_control connections)" != "OK 0" ] && break
  sleep 0.1
done
log "camera: $(sim_control connections)"

# The allocator's own count of the bytes in use; its report goes to the program's error output.
heap_sample() {
  gdb -batch -p "$program_pid" -ex 'call (void)malloc_stats()' >/dev/null 2>&1 || true
}
heap=no
if [ "${SOAK_HEAP:-0}" = 1 ]; then
  if command -v gdb >/dev/null; then heap=yes; else echo "SOAK_HEAP=1 needs gdb; heap not sampled" >&2; fi
fi

# Faults until the time is up; memory is sampled every five seconds.
start_time=$(date +%s)
next_sample=$start_time
next_heap=$start_time
samples=()
faults=0
while [ $(($(date +%s) - start_time)) -lt "$seconds" ]; do
  now=$(date +%s)
  if [ "$now" -ge "$next_sample" ]; then
    kill -0 "$program_pid" 2>/dev/null || break
    samples+=("$(rss_kb)")
    next_sample=$((now + 5))
  fi
  if [ "$heap" = yes ] && [ "$now" -ge "$next_heap" ]; then
    heap_sample
    next_heap=$((now + 60))
  fi
  faults=$((faults + 1))
  pause=$((1 + RANDOM % 3))
  case $((RANDOM % 7)) in
    0) log "camera link cut: $(sim_control drop)" ;;
    1)
      log "camera refuses: $(sim_control 'refuse on')"
      sleep $((1 + RANDOM % 8))
      log "camera accepts: $(sim_control 'refuse off')"
      ;;
    2)
      log "camera silent: $(sim_control 'silent all')"
      sleep $((1 + RANDOM % 5))
      log "camera answers: $(sim_control 'silent none')"
      ;;
    3)
      log "camera sends noise: $(sim_control 'send 90 50 ff 88 30 01 ff 90 60 02 ff 90 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f 10 11 12 13 14 15 16 17 18 19 1a 1b 1c 1d 1e 1f 20 ff')"
      ;;
    4)
      log "OBS and vMix hang (stopped)"
      kill -STOP "$peers_pid" 2>/dev/null || true
      sleep $((1 + RANDOM % 6))
      kill -CONT "$peers_pid" 2>/dev/null || true
      log "OBS and vMix go on"
      ;;
    5)
      log "OBS and vMix processes restart"
      kill -KILL "$peers_pid" 2>/dev/null || true
      wait "$peers_pid" 2>/dev/null || true
      sleep 1
      start_peers
      ;;
    *) log "quiet" ;;
  esac
  sleep "$pause"
done
chaos_end=$(date +%s)
sim_control 'refuse off' >/dev/null
sim_control 'silent none' >/dev/null
kill -CONT "$peers_pid" 2>/dev/null || true
log "faults over"

failed=0
if ! kill -0 "$program_pid" 2>/dev/null; then
  echo "!! the program is gone" >&2
  tail -30 "$work/program.log" >&2
  exit 1
fi

# The camera ends connected: the link is up and the program polls it again.
connected=no
for _ in $(seq 1 300); do
  if [ "$(sim_control connections)" != "OK 0" ] \
    && awk -v since="$((chaos_end * 1000))" '$3 == "RX" && $1 > since { found = 1 } END { exit !found }' "$work/sim.log"; then
    connected=yes
    break
  fi
  sleep 0.1
done
[ "$connected" = yes ] || { echo "!! the camera did not end connected" >&2; failed=1; }

driver_status=0
wait "$driver_pid" || driver_status=$?
driver_pid=""
samples+=("$(rss_kb)")
[ "$heap" = yes ] && heap_sample
if [ "$driver_status" -ne 0 ]; then
  echo "!! the polling browser saw failures" >&2
  grep -E '^note:|failed|unanswered' "$work/driver.txt" >&2 || true
  failed=1
fi

# Flat: the floor of the last third (the lowest sample, so that a moment's buffer does not count) is no
# higher than the floor of the first third plus a margin. The first third starts after the warm-up (a
# quarter of the run, at most a minute): what the links, the parsers and the network build on first use
# is built once, as the load test's warm-up does before its baseline.
count=${#samples[@]}
warmup=$((count / 4 < 12 ? count / 4 : 12))
third=$(((count - warmup) / 3 > 1 ? (count - warmup) / 3 : 1))
floor_early=0
floor_late=0
peak_rss=0
for ((i = 0; i < count; i++)); do
  value="${samples[$i]}"
  [ "$value" -gt "$peak_rss" ] && peak_rss="$value"
  if [ "$i" -ge "$warmup" ] && [ "$i" -lt $((warmup + third)) ]; then
    { [ "$floor_early" -eq 0 ] || [ "$value" -lt "$floor_early" ]; } && floor_early="$value"
  fi
  if [ "$i" -ge $((count - third)) ]; then
    { [ "$floor_late" -eq 0 ] || [ "$value" -lt "$floor_late" ]; } && floor_late="$value"
  fi
done
[ "$floor_early" -gt 0 ] || floor_early="${samples[0]}"
end_rss="${samples[$((count - 1))]}"
allowed=$((floor_early / 10 > 8192 ? floor_early / 10 : 8192))
flat=yes
if [ $((floor_late - floor_early)) -gt "$allowed" ]; then
  flat=no
  failed=1
fi

stop_program
[ "$program_status" -eq 0 ] || { echo "!! the program ended with status $program_status" >&2; failed=1; }
settings_ok=yes
if [ -e "$settings_file.unreadable" ] \
  || ! "$driver" --check-settings "$settings_file" --expect "servernic=$web" --expect "serverportnum=$web_port" \
    --expect "obsip=$peers_address" --expect "obsport=$obs_port" --expect "vmixip=$peers_address" \
    --expect "vmixport=$vmix_port" --expect "cameraslist/size=8" --expect "cameraslist/1/cameraid=$camera" \
    --expect "cameraslist/1/cameraname=Soak camera" >"$work/settings-check.txt"; then
  settings_ok=no
  failed=1
  cat "$work/settings-check.txt" >&2
fi

ok="$(field "$work/driver.txt" browser.ok)"
sent="$(field "$work/driver.txt" browser.sent)"
bad="$(($(field "$work/driver.txt" browser.failed) + $(field "$work/driver.txt" browser.unanswered)))"
latency="$(field "$work/driver.txt" browser.max_latency_ms)"
links="$(grep -c CONNECT "$work/sim.log" || true)"
echo
echo "Soak test, $minutes min, seed $seed: $faults fault rounds ($(grep -c 'camera link cut' "$work/chaos.log" || true) cuts," \
  "$(grep -c 'camera refuses' "$work/chaos.log" || true) refusals, $(grep -c 'hang (stopped)' "$work/chaos.log" || true) switcher hangs," \
  "$(grep -c 'processes restart' "$work/chaos.log" || true) switcher restarts, $(grep -cE 'garbage|restarts|drops|hangs' "$work/peers.log" || true) faults of the switchers themselves)"
echo "  camera links opened: $links; camera connected at the end: $connected"
echo "  web API: $sent requests, $ok answered OK, $bad failed or unanswered, slowest answer $latency ms;" \
  "OBS status with sources $(field "$work/driver.txt" browser.obs_status_with_sources) times," \
  "vMix status with inputs $(field "$work/driver.txt" browser.vmix_status_with_inputs) times"
echo "  memory (RSS): start $((samples[0] / 1024)) MB, floor of the first third $((floor_early / 1024)) MB," \
  "floor of the last third $((floor_late / 1024)) MB, end $((end_rss / 1024)) MB, peak $((peak_rss / 1024)) MB" \
  "(allowed growth of the floor $((allowed / 1024)) MB): flat $flat"
echo "  memory samples (MB, every 5 s; the first $warmup are the warm-up): $(for s in "${samples[@]}"; do printf '%s ' $((s / 1024)); done)"
if [ "$heap" = yes ]; then
  # malloc_stats() ends with the totals of every arena: "system bytes" (taken from the system) and "in use".
  echo "  heap in use / held by the allocator (MB, every minute):" \
    "$(awk '/^Total/ { total = 1; next } total && /^system bytes/ { held = $NF; next }
      total && /^in use bytes/ { printf "%.1f/%.1f ", $NF / 1048576, held / 1048576; total = 0 }' "$work/program.log")"
fi
echo "  settings.ini intact and readable after SIGTERM: $settings_ok; exit status $program_status"
if [ "$failed" -ne 0 ]; then
  KEEP_WORK=1
  echo "SOAK TEST FAILED (work folder kept: $work)"
  exit 1
fi
echo "soak test passed"
