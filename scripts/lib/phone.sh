# Sourced by scripts/run: when adb lists no device, the simulated phone stands
# in for one on port 5555, where the adb server's emulator scan finds it as
# emulator-5554. Its files live under the user's data folder.

NIMBO_PHONE_PID=""

# True when "adb devices" lists at least one device in any state.
nimbo_phone__any_device() {
  adb devices 2>/dev/null | tail -n +2 | grep -q $'\t'
}

nimbo_phone__listed() {
  adb devices 2>/dev/null | grep -q $'^emulator-5554\tdevice$'
}

nimbo_phone__wait_listed() {
  local tries="$1"
  for _ in $(seq "$tries"); do
    nimbo_phone__listed && return 0
    sleep 0.5
  done
  return 1
}

# nimbo_phone_start_if_none BUILD_DIR
nimbo_phone_start_if_none() {
  local build="$1"
  local program="$build/bin/nimbo-phonesim"
  local state="${XDG_DATA_HOME:-$HOME/.local/share}/nimbo/phone"
  if ! command -v adb >/dev/null; then
    echo "nimbo: adb is not installed; no simulated phone started" >&2
    return 1
  fi
  if nimbo_phone__any_device; then
    return 0
  fi
  if [ ! -x "$program" ]; then
    echo "nimbo: $program is missing; build the nimbo-phonesim target" >&2
    return 1
  fi
  mkdir -p "$state"
  "$program" --port 5555 --state "$state" >"$state/phonesim.out" 2>"$state/phonesim.log" &
  NIMBO_PHONE_PID=$!
  local up=""
  for _ in $(seq 50); do
    if grep -q "^listening on" "$state/phonesim.out" 2>/dev/null; then up=1; break; fi
    if ! kill -0 "$NIMBO_PHONE_PID" 2>/dev/null; then break; fi
    sleep 0.1
  done
  if [ -z "$up" ]; then
    echo "nimbo: the simulated phone did not start: $(tail -n 3 "$state/phonesim.log")" >&2
    nimbo_phone_stop
    return 1
  fi
  # A server that was already running scanned for emulators before the phone
  # was there; a fresh one finds it at once. Nimbo restarts the server itself
  # at start, so nothing is lost by doing it here.
  if ! nimbo_phone__wait_listed 6; then
    adb kill-server >/dev/null 2>&1 || true
    adb start-server >/dev/null 2>&1 || true
    if ! nimbo_phone__wait_listed 30; then
      echo "nimbo: adb does not list the simulated phone as emulator-5554" >&2
      nimbo_phone_stop
      return 1
    fi
  fi
  echo "nimbo: no phone attached; the simulated phone runs as emulator-5554 (files in $state)"
}

nimbo_phone_stop() {
  if [ -n "$NIMBO_PHONE_PID" ]; then
    kill "$NIMBO_PHONE_PID" 2>/dev/null || true
    wait "$NIMBO_PHONE_PID" 2>/dev/null || true
    NIMBO_PHONE_PID=""
  fi
}
