# Shared by loadtest.sh and soaktest.sh: building the program and the helpers, starting the program on a
# private data folder, reading its memory.

# build_program <build-folder>: configures the folder when needed and builds the program and the helpers.
build_program() {
  local build="$1"
  if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
    cmake -S "$here" -B "$build" -G Ninja >/dev/null
  fi
  cmake --build "$build" -j"${JOBS:-2}" --target tavimorex ${EXTRA_TARGETS:-}
  cmake -S "$here/scripts/robustness" -B "$build/robustness" -G Ninja >/dev/null
  cmake --build "$build/robustness" -j"${JOBS:-2}"
}

# start_program <work-folder> <settings-text>: starts the program offscreen with its own data folder
# holding that settings.ini; sets program_pid.
start_program() {
  local work="$1" settings="$2"
  local data="$work/data/tavimorex/tavimorex-controller"
  mkdir -p "$data" "$work/config" "$work/runtime"
  chmod 700 "$work/runtime"
  printf '%s\n' "$settings" >"$data/settings.ini"
  settings_file="$data/settings.ini"
  QT_QPA_PLATFORM=offscreen XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" \
    XDG_RUNTIME_DIR="$work/runtime" QT_LOGGING_RULES="${QT_LOGGING_RULES:-*.debug=false}" \
    "$program" >"$work/program.log" 2>&1 &
  program_pid=$!
}

# wait_for_port <address> <port> <seconds>
wait_for_port() {
  local address="$1" port="$2" seconds="$3"
  for _ in $(seq 1 $((seconds * 10))); do
    if (exec 3<>"/dev/tcp/$address/$port") 2>/dev/null; then
      return 0
    fi
    kill -0 "$program_pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# rss_kb: resident memory of the program in kB.
rss_kb() {
  awk '/^VmRSS:/ {print $2}' "/proc/$program_pid/status"
}

# stop_program: SIGTERM (the program writes its settings and quits), then waits; sets program_status
# (137 when it had to be killed).
stop_program() {
  program_status=0
  kill -TERM "$program_pid" 2>/dev/null || true
  for _ in $(seq 1 100); do
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$program_pid" 2>/dev/null; then
    kill -KILL "$program_pid" 2>/dev/null || true
    wait "$program_pid" 2>/dev/null || true
    program_status=137
    return
  fi
  wait "$program_pid" 2>/dev/null || program_status=$?
}

# field <file> <name>: the value of a "name=value" line of a driver report (0 when absent).
field() {
  local value
  value="$(sed -n "s/^$2=//p" "$1" | tail -1)"
  echo "${value:-0}"
}
