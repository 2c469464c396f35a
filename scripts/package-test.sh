#!/usr/bin/env bash
# Builds the Debian packages from a clean build folder, checks them with lintian, installs them with apt,
# runs the installed program the way a user would (offscreen, on a throw-away data folder, with the build
# folder moved out of the way), checks its web server, the desktop entry and the AppStream data, and
# removes the packages again. Usage: scripts/package-test.sh [build-folder]
# Needs root or sudo (apt); the program's web server binds 127.0.0.1:8080.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$here/build-package}"
app_id="org.tavimorex.tavimorex"
port=8080

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
apt_get() { $SUDO env DEBIAN_FRONTEND=noninteractive apt-get "$@"; }

fail() {
  echo "package-test: FAILED: $*" >&2
  exit 1
}
step() { echo "== package-test: $*"; }

data=""
pid=""
installed=0
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    kill -KILL "$pid" 2>/dev/null || true
  fi
  [ -d "$build.away" ] && mv "$build.away" "$build"
  if [ "$installed" -eq 1 ]; then
    apt_get remove -y -qq --purge tavimorex tavimorex-tools >/dev/null 2>&1 || true
  fi
  [ -n "$data" ] && rm -rf "$data"
  return 0
}
trap cleanup EXIT

step "building the packages in $build (clean)"
rm -rf "$build" "$build.away"
# Only what the packages hold: no tests, no benchmarks. /usr as prefix gives the multiarch library folder.
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_INSTALL_PREFIX=/usr \
  -DTAVIMOREX_BUILD_TESTS=OFF -DTAVIMOREX_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"
(cd "$build" && cpack -G DEB)

cd "$build"
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' CMakeCache.txt)"
arch="$(dpkg --print-architecture)"
main_deb="tavimorex_${version}_${arch}.deb"
tools_deb="tavimorex-tools_${version}_${arch}.deb"
[ -f "$main_deb" ] || fail "no $main_deb"
[ -f "$tools_deb" ] || fail "no $tools_deb"
for deb in "$main_deb" "$tools_deb"; do
  echo "$deb: $(du -k "$deb" | cut -f1) KiB, installed $(dpkg-deb -f "$deb" Installed-Size) KiB"
  echo "  Depends: $(dpkg-deb -f "$deb" Depends)"
done
# Whole outputs into variables: with pipefail, "grep -q" ending a pipe early would fail the producer.
contents="$(dpkg-deb -c "$main_deb")"
if grep -E -q '/usr/include/|/liblensgrip\.so( |$)' <<<"$contents"; then
  fail "$main_deb holds Lensgrip's headers or development link"
fi

step "lintian"
lintian --fail-on error "$main_deb" "$tools_deb" || fail "lintian reports errors"

step "installing $main_deb and $tools_deb with apt"
installed=1
apt_get install -y -qq "./$main_deb"
apt_get install -y -qq "./$tools_deb"
[ -x /usr/bin/tavimorex ] || fail "/usr/bin/tavimorex is missing after the install"
cd /

step "the installed files"
desktop="/usr/share/applications/$app_id.desktop"
metainfo="/usr/share/metainfo/$app_id.metainfo.xml"
desktop_out="$(desktop-file-validate "$desktop" 2>&1)" || {
  echo "$desktop_out"
  fail "desktop-file-validate: $desktop"
}
[ -z "$desktop_out" ] || echo "$desktop_out"
if grep -q 'error:\|warning:' <<<"$desktop_out"; then
  fail "desktop-file-validate reports errors or warnings"
fi
appstream_out="$(appstreamcli validate --no-net "$metainfo" 2>&1)" || {
  echo "$appstream_out"
  fail "appstreamcli validate: $metainfo"
}
echo "$appstream_out"
if grep -q '^[EW]:' <<<"$appstream_out"; then
  fail "appstreamcli validate reports errors or warnings"
fi
for size in 48 64 128 256; do
  icon="/usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png"
  grep -q "PNG image data, $size x $size" <<<"$(file "$icon")" || fail "icon $icon is not a $size px PNG"
done
[ -f "/usr/share/icons/hicolor/scalable/apps/$app_id.svg" ] || fail "no scalable icon"
libraries="$(ldd /usr/bin/tavimorex)"
if grep -q 'not found' <<<"$libraries"; then
  echo "$libraries"
  fail "the installed program misses a library"
fi
grep -Eq 'liblensgrip\.so\.1 => /usr/\S*/tavimorex/liblensgrip\.so\.1 ' <<<"$libraries" ||
  fail "Lensgrip is not taken from the program's private library folder"
for tool in tavimorex-ptzsim tavimorex-switcherfakes; do
  QT_QPA_PLATFORM=offscreen "/usr/bin/$tool" --help >/dev/null || fail "/usr/bin/$tool --help"
done

# The build folder out of sight: everything the program needs must come from the package.
mv "$build" "$build.away"

step "tavimorex --version and --help"
version_text="$(/usr/bin/tavimorex --version)"
echo "$version_text"
grep -qx "tavimorex $version (Qt .*)" <<<"$version_text" || fail "--version printed: $version_text"
data="$(mktemp -d)"
help="$(XDG_DATA_HOME="$data" /usr/bin/tavimorex --help)"
grep -q -- "--version" <<<"$help" || fail "--help lists no options"
grep -qF "$data/tavimorex/tavimorex-controller/settings.ini" <<<"$help" || fail "--help names no settings file"
grep -qF "$data/tavimorex/tavimorex-controller/app.log" <<<"$help" || fail "--help names no log"
if /usr/bin/tavimorex --no-such-option 2>/dev/null; then
  fail "an unknown option was accepted"
fi

step "starting /usr/bin/tavimorex offscreen on $data"
mkdir -p "$data/tavimorex/tavimorex-controller"
printf '[General]\nstartuponlaunch=true\nservernic=127.0.0.1\nserverportnum=%s\n' "$port" \
  >"$data/tavimorex/tavimorex-controller/settings.ini"
XDG_DATA_HOME="$data" XDG_CONFIG_HOME="$data/config" QT_QPA_PLATFORM=offscreen /usr/bin/tavimorex &
pid=$!

page="$data/page.html"
code=""
for _ in $(seq 1 100); do
  code="$(curl -s -o "$page" -w '%{http_code}' "http://127.0.0.1:$port/" || true)"
  [ "$code" = 200 ] && break
  kill -0 "$pid" 2>/dev/null || fail "the program ended before its web server answered"
  sleep 0.2
done
[ "$code" = 200 ] || fail "GET / answered $code"
grep -qi "<html" "$page" || fail "GET / sent no page"
grep -q "script.js" "$page" || fail "the page does not load its script"
code="$(curl -s -o "$data/script.js" -w '%{http_code}' "http://127.0.0.1:$port/assets?_type=js&_name=script.js" || true)"
[ "$code" = 200 ] && [ -s "$data/script.js" ] || fail "GET the page's script answered $code"
info="$(curl -s -w '\n%{http_code}' "http://127.0.0.1:$port/cam/getCurrentCamInfo")"
[ "$(tail -n1 <<<"$info")" = 200 ] || fail "GET /cam/getCurrentCamInfo answered $(tail -n1 <<<"$info")"
grep -q '"status"' <<<"$info" || fail "GET /cam/getCurrentCamInfo sent no API reply: $info"
echo "GET / and /cam/getCurrentCamInfo: 200"

step "SIGTERM"
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
pid=""
[ "$status" -eq 0 ] || fail "the program exited with $status after SIGTERM"
grep -q "cameraslist" "$data/tavimorex/tavimorex-controller/settings.ini" || fail "no settings written"

step "the window's class under X is the desktop entry's StartupWMClass"
wm_class="$(sed -n 's/^StartupWMClass=//p' "$desktop")"
[ -n "$wm_class" ] || fail "$desktop has no StartupWMClass"
classes="$(XDG_DATA_HOME="$data/x11" xvfb-run -a bash -c '
  /usr/bin/tavimorex >/dev/null 2>&1 & pid=$!
  for _ in $(seq 1 50); do
    windows="$(xwininfo -root -tree | awk "/\"Tavimorex App/ {print \$1}")"
    [ -n "$windows" ] && break
    sleep 0.2
  done
  for window in $windows; do xprop -id "$window" WM_CLASS; done
  kill -TERM $pid
  wait $pid')" || fail "the program under X did not quit cleanly"
echo "$classes"
grep -qF "WM_CLASS(STRING) = \"$wm_class\", \"$wm_class\"" <<<"$classes" ||
  fail "the main window's class is not \"$wm_class\""

mv "$build.away" "$build"

step "removing the packages with apt"
apt_get remove -y -qq --purge tavimorex tavimorex-tools
installed=0
[ ! -e /usr/bin/tavimorex ] || fail "/usr/bin/tavimorex is still there after the removal"
[ ! -e "$desktop" ] || fail "$desktop is still there after the removal"
if dpkg -s tavimorex >/dev/null 2>&1; then
  fail "dpkg still knows tavimorex"
fi
echo "package-test: passed"
