#!/usr/bin/env bash
# The Debian package as a user gets it: scripts/package builds it, and this
# checks what it holds and what it depends on, unpacks it with dpkg-deb -x into
# a scratch root, runs the unpacked nimbo's --version and --help without a
# display, starts it on a virtual display and waits for its main window, and
# runs desktop-file-validate, appstreamcli validate and lintian (errors fail,
# warnings are listed).
#
#   package_test.sh SOURCE_DIR BUILD_DIR     (ctest: package_deb_test)
#   package_test.sh --window ROOT WORK       (itself, under xvfb-run)
set -uo pipefail

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
failures=0

# Starts ROOT/usr/bin/nimbo with a home under WORK, a private adb server port
# and, first on PATH, an adb that records any start: the packaged program must
# run the system's adb, write none of its own, and show its main window.
window_check() {
  local root=$1 work=$2
  local home=$work/home decoy=$work/decoy
  mkdir -p "$home/data" "$home/config" "$decoy"
  : >"$decoy/starts"
  printf '#!/bin/sh\necho "adb $*" >>"%s"\nexit 1\n' "$decoy/starts" >"$decoy/adb"
  chmod 755 "$decoy/adb"
  # Globals: the EXIT trap runs after this function has returned.
  port=$(python3 -S -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  local version
  version=$("$root/usr/bin/nimbo" --version | sed 's/^Nimbo //')

  HOME=$home XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config \
    ANDROID_ADB_SERVER_PORT=$port PATH="$decoy:$PATH" QT_QPA_PLATFORM=xcb \
    "$root/usr/bin/nimbo" >"$work/nimbo.log" 2>&1 &
  pid=$!
  # The server the program started on the private port: stopped with the
  # system's adb, which is the one that must have started it.
  trap 'kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; /usr/bin/adb -P "$port" kill-server >/dev/null 2>&1' EXIT

  local title="Nimbo${version} [PC版]" shown="" i
  for i in $(seq 1 120); do
    if xwininfo -root -tree 2>/dev/null | grep -qF "$title"; then shown=yes; break; fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.5
  done
  if [ -n "$shown" ]; then
    echo "main window shown: $(xwininfo -root -tree | grep -F "$title" | sed 's/^ *//')"
  else
    fail "no window titled '$title' (program log follows)"
    cat "$work/nimbo.log"
  fi
  # Start-up stops a server and starts one through adb: the system's, so the
  # private port comes alive and the stand-in on PATH is never asked.
  local listening=""
  for i in $(seq 1 40); do
    if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then listening=yes; break; fi
    sleep 0.5
  done
  [ -n "$listening" ] || fail "no adb server came up on port $port: the system's adb was not run"
  [ -s "$decoy/starts" ] && fail "the adb on PATH was run instead of the system's: $(cat "$decoy/starts")"
  local system=$home/data/nimbo/system
  [ -f "$system/quillet.apk" ] || fail "start-up wrote no companion package into $system"
  [ -e "$system/adb" ] && fail "the packaged program wrote an adb of its own into $system"
  kill -0 "$pid" 2>/dev/null || fail "the program ended by itself"
  return 0
}

if [ "${1:-}" = "--window" ]; then
  window_check "$2" "$3"
  exit $((failures > 0))
fi

SRC="${1:?usage: $0 SOURCE_DIR BUILD_DIR}"
BUILD="${2:?usage: $0 SOURCE_DIR BUILD_DIR}"
WORK="$BUILD/package-test"
rm -rf "$WORK"
mkdir -p "$WORK"

echo "== building the package"
deb=$(NIMBO_SKIP_SETUP=1 NIMBO_PACKAGE_BUILD_DIR="$BUILD/deb" NIMBO_PACKAGE_OUT_DIR="$WORK" \
  "$SRC/scripts/package") || { echo "FAIL: scripts/package"; exit 1; }
echo "$deb"
version=$(dpkg-deb -f "$deb" Version)
[ "$(basename "$deb")" = "nimbo_${version}_amd64.deb" ] || fail "package named $(basename "$deb")"
[ -s "$WORK/nimbo_${version}_main-window.png" ] || fail "no main-window screenshot beside the package"

echo "== contents"
contents=$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|')
for want in /usr/bin/nimbo /usr/share/applications/nimbo.desktop \
  /usr/share/metainfo/example.tarnwick.nimbo.metainfo.xml \
  /usr/share/icons/hicolor/scalable/apps/nimbo.svg /usr/share/man/man1/nimbo.1.gz \
  /usr/share/doc/nimbo/copyright /usr/share/doc/nimbo/changelog.gz; do
  grep -qxF "$want" <<<"$contents" || fail "missing $want"
done
for size in 16 22 24 32 48 64 128 256; do
  grep -qxF "/usr/share/icons/hicolor/${size}x${size}/apps/nimbo.png" <<<"$contents" ||
    fail "missing the ${size}x${size} icon"
done
stray=$(grep -E 'phonesim|render-pictures|nimbo-pictures|_test|bench|\.a$|/include/' <<<"$contents")
[ -z "$stray" ] || fail "files that are no part of the program: $stray"

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
# Computed by dpkg-shlibdeps (the Qt widgets and the codecs), added by hand
# (what the program starts or loads by name).
for dep in libqt6widgets6 libjpeg62-turbo libpng16-16 libgif7 adb qt6-qpa-plugins fonts-arphic-uming; do
  grep -qE "(^|, )$dep( |,|$)" <<<"$depends" || fail "Depends lacks $dep"
done

echo "== the unpacked program"
ROOT="$WORK/root"
dpkg-deb -x "$deb" "$ROOT"
nimbo="$ROOT/usr/bin/nimbo"
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$nimbo" --version 2>&1)
[ "$out" = "Nimbo $version" ] || fail "--version printed '$out', not 'Nimbo $version'"
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$nimbo" --help 2>&1)
[ $? -eq 0 ] && grep -q '^用法: nimbo' <<<"$out" || fail "--help printed: $out"
for size in 16 22 24 32 48 64 128 256; do
  icon="$ROOT/usr/share/icons/hicolor/${size}x${size}/apps/nimbo.png"
  file "$icon" | grep -q "PNG image data, $size x $size, 8-bit/color RGBA" ||
    fail "the ${size}x${size} icon is $(file -b "$icon")"
done
xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --window "$ROOT" "$WORK" || fail "the window check"

echo "== validators"
desktop-file-validate "$ROOT/usr/share/applications/nimbo.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$ROOT"/usr/share/metainfo/*.metainfo.xml || fail "appstreamcli validate"
lintian_out=$(lintian --fail-on error --tag-display-limit 0 "$deb" 2>&1)
lintian_rc=$?
echo "$lintian_out"
[ $lintian_rc -eq 0 ] || fail "lintian reports errors"

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
rm -rf "$ROOT" "$WORK/home"
echo "the package is sound"
