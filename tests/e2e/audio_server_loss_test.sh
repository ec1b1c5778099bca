#!/usr/bin/env bash
# The audio server dies while vantrel --start records from it: the program
# must stop capture and keep running, then end cleanly on SIGTERM. Runs its
# own PulseAudio server, so the shared test server is left alone.
set -u
program=${1:?usage: audio_server_loss_test.sh PATH/TO/vantrel}
command -v pulseaudio > /dev/null || { echo "no pulseaudio: skipped"; exit 77; }
root=$(mktemp -d /tmp/vantrel-loss.XXXXXX)
export HOME=$root XDG_RUNTIME_DIR=$root/run XDG_CONFIG_HOME=$root/config QT_QPA_PLATFORM=offscreen
unset PULSE_SERVER
mkdir -m 700 "$root/run"
pa="" vantrel=""
cleanup() {
  [ -n "$vantrel" ] && kill -KILL "$vantrel" 2> /dev/null
  [ -n "$pa" ] && kill "$pa" 2> /dev/null
  wait 2> /dev/null
  rm -rf "$root"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

# Off the session bus: a server already on it would make this one refuse to start.
env -u DBUS_SESSION_BUS_ADDRESS pulseaudio -n --daemonize=no --exit-idle-time=-1 --log-target=file:"$root/pulse.log" \
  --load=module-native-protocol-unix \
  --load="module-pipe-source source_name=loss_in file=$root/in.fifo format=u8 rate=48000 channels=1" \
  > /dev/null 2>&1 &
pa=$!
for _ in $(seq 100); do pactl info > /dev/null 2>&1 && break; sleep 0.1; done
pactl set-default-source loss_in > /dev/null 2>&1 || fail "test audio server did not start"

"$program" --start > "$root/vantrel.log" 2>&1 &
vantrel=$!
for _ in $(seq 100); do [ -n "$(pactl list source-outputs short 2> /dev/null)" ] && break; sleep 0.1; done
[ -n "$(pactl list source-outputs short)" ] || fail "vantrel did not start recording"

kill "$pa"; wait "$pa" 2> /dev/null; pa=""
sleep 2
kill -0 "$vantrel" 2> /dev/null || { cat "$root/vantrel.log"; fail "vantrel ended when the audio server went away"; }

kill -TERM "$vantrel"
for _ in $(seq 100); do kill -0 "$vantrel" 2> /dev/null || break; sleep 0.1; done
kill -0 "$vantrel" 2> /dev/null && fail "vantrel did not end on SIGTERM"
wait "$vantrel"; status=$?; vantrel=""
[ "$status" -eq 0 ] || { cat "$root/vantrel.log"; fail "exit status $status"; }
echo "PASS"
