#!/usr/bin/env bash
# Runs a command with the services the tests need, all private to this run:
# a temporary HOME and XDG folders, a session bus, a PulseAudio server with
# one silent source, and Qt's offscreen platform. The tests that need an
# audio server to lose, a bus to end or an MQTT broker start their own.
set -euo pipefail
root=$(mktemp -d /tmp/vantrel-test.XXXXXX)
export HOME=$root/home XDG_RUNTIME_DIR=$root/run XDG_CONFIG_HOME=$root/config
mkdir -p "$HOME" "$XDG_CONFIG_HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$root"
}
trap cleanup EXIT

dbus-daemon --session --fork --nopidfile --address="unix:path=$XDG_RUNTIME_DIR/bus" \
  --print-pid=1 > "$root/dbus.pid"
pids+=("$(cat "$root/dbus.pid")")
export DBUS_SESSION_BUS_ADDRESS=unix:path=$XDG_RUNTIME_DIR/bus

# Kept off the session bus, so that a test can start a private server of its own.
env -u DBUS_SESSION_BUS_ADDRESS pulseaudio -n --daemonize=no --exit-idle-time=-1 --log-target=file:"$root/pulse.log" \
  --load=module-native-protocol-unix \
  --load="module-null-source source_name=test_in description=TestInput" \
  > /dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do pactl info > /dev/null 2>&1 && break; sleep 0.1; done
pactl set-default-source test_in > /dev/null 2>&1 ||
  echo "with-services.sh: no PulseAudio source (see $root/pulse.log)" >&2

"$@"
