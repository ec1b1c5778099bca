#!/usr/bin/env bash
# Runs a command with the services the tests need, all private to this run:
# a temporary HOME and XDG folders, a session bus, a PulseAudio server with
# a pipe source fed from a FIFO, an MQTT broker on a free loopback port
# (VANTREL_MQTT_PORT), and Qt's offscreen platform.
set -euo pipefail
root=$(mktemp -d /tmp/vantrel-test.XXXXXX)
export HOME=$root/home XDG_RUNTIME_DIR=$root/run XDG_CONFIG_HOME=$root/config
mkdir -p "$HOME" "$XDG_CONFIG_HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export VANTREL_AUDIO_FIFO=$root/in.fifo
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

# The pipe source creates its FIFO itself and refuses one that exists.
rm -f "$VANTREL_AUDIO_FIFO"
# Kept off the session bus, so that a test can start a private server of its own.
env -u DBUS_SESSION_BUS_ADDRESS pulseaudio -n --daemonize=no --exit-idle-time=-1 --log-target=file:"$root/pulse.log" \
  --load=module-native-protocol-unix \
  --load="module-pipe-source source_name=test_in file=$VANTREL_AUDIO_FIFO format=u8 rate=48000 channels=1 source_properties=device.description=TestInput" \
  > /dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do pactl info > /dev/null 2>&1 && break; sleep 0.1; done
pactl set-default-source test_in > /dev/null 2>&1 ||
  echo "with-services.sh: no PulseAudio pipe source (see $root/pulse.log)" >&2

# The broker takes the first free port it is given; "user" keeps it from
# dropping root's rights onto a user that cannot read the temporary folder.
for _ in $(seq 20); do
  port=$((20000 + RANDOM % 40000))
  printf 'listener %s 127.0.0.1\nallow_anonymous true\nuser %s\n' "$port" "$(id -un)" > "$root/mosquitto.conf"
  mosquitto -c "$root/mosquitto.conf" > "$root/mosquitto.log" 2>&1 &
  broker=$!
  for _ in $(seq 50); do
    mosquitto_pub -h 127.0.0.1 -p "$port" -t vantrel-ready -n > /dev/null 2>&1 && break
    kill -0 "$broker" 2> /dev/null || break
    sleep 0.1
  done
  if kill -0 "$broker" 2> /dev/null; then
    pids+=("$broker")
    export VANTREL_MQTT_PORT=$port
    break
  fi
done
[ -n "${VANTREL_MQTT_PORT:-}" ] || echo "with-services.sh: no MQTT broker (see $root/mosquitto.log)" >&2

"$@"
