#!/usr/bin/env bash
# Try Tavimorex without a camera: starts simulated PTZ cameras on 127.0.0.2 (VISCA over TCP), 127.0.0.3
# (VISCA over TCP), 127.0.0.4 (raw VISCA over UDP) and 127.0.0.5 (Sony VISCA over IP), the OBS and vMix
# fakes, and the program on a throw-away data folder whose Camera1 to Camera4 point at the simulators.
# The fakes switch scenes every few seconds: Camera1 and Camera2 show tally (red on air, green next) in
# the window and on the page. The web control page is at http://127.0.0.1:8080/.
# Usage: scripts/demo.sh [build-folder]
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$here/build}"
bin="$build/bin"
for program in tavimorex tavimorex-ptzsim; do
  if [ ! -x "$bin/$program" ]; then
    echo "$bin/$program is missing: build first (cmake -S . -B build -G Ninja && cmake --build build)" >&2
    exit 1
  fi
done

home="$(mktemp -d -t tavimorex-demo-XXXXXX)"
data="$home/tavimorex/tavimorex-controller"
mkdir -p "$data"
cat > "$data/settings.ini" <<INI
[General]
startuponlaunch=true
servernic=127.0.0.1
serverportnum=8080
enableobsctrl=true
obsip=127.0.0.1
obsport=4455
enablevmixctrl=true
vmixip=127.0.0.1
vmixport=8088
127.0.0.2_tally_obs=Camera 1
127.0.0.3_tally_obs=Camera 2
127.0.0.3_tally_vmix=Camera 2
127.0.0.2_visca_transport=tcp
127.0.0.2_visca_port=5678
127.0.0.4_visca_transport=udp
127.0.0.4_visca_port=1259
127.0.0.5_visca_transport=sony-udp
127.0.0.5_visca_port=52381

[cameraslist]
1\\cameratype=0
1\\cameraid=127.0.0.2
1\\cameraname=Camera1
1\\devicename=0.0.0.0
2\\cameratype=0
2\\cameraid=127.0.0.3
2\\cameraname=Camera2
2\\devicename=0.0.0.0
3\\cameratype=0
3\\cameraid=127.0.0.4
3\\cameraname=Camera3 UDP
3\\devicename=0.0.0.0
4\\cameratype=0
4\\cameraid=127.0.0.5
4\\cameraname=Camera4 Sony
4\\devicename=0.0.0.0
size=4
INI

pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$home"
}
trap cleanup EXIT INT TERM

"$bin/tavimorex-ptzsim" --name "Demo PTZ" 127.0.0.2 127.0.0.3 > "$home/ptzsim.log" &
pids+=($!)
# One camera per UDP transport; the TCP port is served too but left unused.
"$bin/tavimorex-ptzsim" --name "Demo PTZ UDP" --udp-port 1259 127.0.0.4 > "$home/ptzsim-udp.log" &
pids+=($!)
"$bin/tavimorex-ptzsim" --name "Demo PTZ Sony" --sony-port 52381 127.0.0.5 > "$home/ptzsim-sony.log" &
pids+=($!)
if [ -x "$bin/tavimorex-switcherfakes" ]; then
  # The fakes cut every few seconds, so tally moves between Camera1, Camera2 and a scene of neither.
  "$bin/tavimorex-switcherfakes" --address 127.0.0.1 --obs5-port 4455 --vmix-port 8088 --cycle-scenes 4 \
    > "$home/switchers.log" < /dev/null &
  pids+=($!)
fi
sleep 1
echo "Simulated cameras on 127.0.0.2 and 127.0.0.3 (VISCA TCP), 127.0.0.4 (VISCA UDP), 127.0.0.5 (Sony VISCA"
echo "over IP) (logs: $home/ptzsim*.log); web page: http://127.0.0.1:8080/"
XDG_DATA_HOME="$home" "$bin/tavimorex"
