#!/usr/bin/env bash
# The Windows build's window test: windows_window_gui_test.exe under Wine on
# Xvfb, with the real Linux adb server and the simulated phone, all inside one
# private network namespace (Wine's sockets live in the wineserver's
# namespace, so the wineserver is started in there too). Afterwards no program
# of the test may be left running.
#
#   tests/windows/window_test.sh BUILD_WIN HOST_BUILD
#
# Runs itself again under `unshare -n` (root, or a user namespace).
set -euo pipefail
BUILD="$1"
HOST="$2"

if [ -z "${NIMBO_IN_NETNS:-}" ]; then
  export NIMBO_IN_NETNS=1
  if [ "$(id -u)" -eq 0 ]; then
    exec unshare -n "$0" "$@"
  fi
  exec unshare -rn "$0" "$@"
fi

ip link set lo up
WORK="$(mktemp -d)"
PIDS=()
cleanup() {
  local status=$?
  wineserver -k 2>/dev/null || true
  ANDROID_ADB_SERVER_PORT=$PORT adb kill-server >/dev/null 2>&1 || true
  for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$WORK"
  exit $status
}
PORT=5037
trap cleanup EXIT

# A display of our own, on a number no other server holds.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$WORK/display" >"$WORK/xvfb.log" 2>&1 &
PIDS+=($!)
for _ in $(seq 100); do [ -s "$WORK/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -1 "$WORK/display")"

# The simulated phone on 5555, where the adb server looks for emulators.
"$HOST/bin/nimbo-phonesim" --port 5555 --state "$WORK/phone" >"$WORK/phone.out" 2>"$WORK/phone.log" &
PIDS+=($!)
for _ in $(seq 50); do grep -q '^listening on' "$WORK/phone.out" 2>/dev/null && break; sleep 0.1; done
export ANDROID_ADB_SERVER_PORT=$PORT ADB_EMU=1
adb start-server >/dev/null 2>&1
listed=""
for _ in $(seq 60); do
  if adb devices 2>/dev/null | grep -q $'^emulator-5554\tdevice$'; then listed=1; break; fi
  sleep 0.5
done
if [ -z "$listed" ]; then
  echo "window_test: adb does not list the simulated phone" >&2
  exit 1
fi

export WINEPREFIX="$BUILD/wineprefix" WINEDEBUG=-all
wineserver -k 2>/dev/null || true
wineserver -p
wine cmd /c exit >/dev/null 2>&1 || true

(cd "$BUILD" && ctest --output-on-failure -L windows-gui --timeout 300)

# Nothing of the test may outlive it: no test program, no adb stand-in. Only
# this namespace's programs count: other builds may run the same tests.
own_net="$(readlink /proc/self/ns/net)"
left=""
while read -r pid args; do
  [ "$(readlink "/proc/$pid/ns/net" 2>/dev/null)" = "$own_net" ] && left+="$args"$'\n'
done < <(ps -eo pid=,args= | grep -E 'windows_window_gui_test|adb_stand_in|system\\adb\.exe' | grep -v grep || true)
left="${left%$'\n'}"
if [ -n "$left" ]; then
  echo "window_test: programs left running:" >&2
  echo "$left" >&2
  exit 1
fi
echo "window_test: pictures in $BUILD/pictures"
