#!/usr/bin/env bash
# The audio server of its own dies while vantrel --start records from it: the
# program keeps running, records again by itself once the server is back and
# logs the packets played then; SIGTERM ends it cleanly, saving the settings.
set -u
program=$1 synth=${2:?usage: audio_server_loss_test.sh PATH/TO/vantrel PATH/TO/vantrel-synth}
command -v pulseaudio > /dev/null || { echo "no pulseaudio: skipped"; exit 77; }
root=$(mktemp -d /tmp/vantrel-loss.XXXXXX)
export HOME=$root XDG_RUNTIME_DIR=$root/run XDG_CONFIG_HOME=$root/config QT_QPA_PLATFORM=offscreen
unset PULSE_SERVER
mkdir -m 700 "$root/run"
pa="" vantrel=""
trap 'kill -KILL $vantrel 2> /dev/null; kill $pa 2> /dev/null; wait 2> /dev/null; rm -rf "$root"' EXIT
fail() { cat "$root/vantrel.log" 2> /dev/null; echo "FAIL: $*"; exit 1; }

start_server() {
  # The pipe source refuses a FIFO that exists; off the bus, where another server may be.
  rm -f "$root/in.fifo"
  env -u DBUS_SESSION_BUS_ADDRESS pulseaudio -n --daemonize=no --exit-idle-time=-1 --log-target=file:"$root/pulse.log" \
    --load=module-native-protocol-unix \
    --load="module-pipe-source source_name=loss_in file=$root/in.fifo format=u8 rate=48000 channels=1" \
    > /dev/null 2>&1 &
  pa=$!
  for _ in $(seq 100); do pactl info > /dev/null 2>&1 && break; sleep 0.1; done
  pactl set-default-source loss_in > /dev/null 2>&1 || fail "test audio server did not start"
}
wait_recording() {
  for _ in $(seq 150); do [ -n "$(pactl list source-outputs short 2> /dev/null)" ] && return 0; sleep 0.1; done
  fail "vantrel did not $1"
}

mkdir -p "$root/config/Vantrel" "$root/logs"
printf '[General]\nLogDirectory=%s/logs/\nLogflag=1\n' "$root" > "$root/config/Vantrel/Vantrel.conf"
start_server
"$program" --start > "$root/vantrel.log" 2>&1 &
vantrel=$!
wait_recording "start recording"

kill "$pa"; wait "$pa" 2> /dev/null; pa=""
sleep 2
kill -0 "$vantrel" 2> /dev/null || fail "vantrel ended when the audio server went away"

start_server
wait_recording "record again once the audio server was back"
grep -q "audio input is back" "$root/vantrel.log" || fail "no status line for the return"

# Upright then inverted so that one copy decodes at either polarity, in real time.
echo '1D 07 A5 5A 0F F0 33 CC 87 01' > "$root/packets.txt"
for flip in "" --inverted "" --inverted; do "$synth" --raw --idle-bits 600 --length 3 $flip "$root/packets.txt" -; done > "$root/audio.raw"
for i in $(seq 0 12); do dd if="$root/audio.raw" bs=48000 skip="$i" count=1 status=none; sleep 1; done > "$root/in.fifo"
grep -q "Network Control 07A55A0FF033CC8701" "$root"/logs/orbcomm*.log 2> /dev/null || fail "no packet logged after the server came back"

kill -TERM "$vantrel"
timeout 10 tail --pid="$vantrel" -f /dev/null || fail "vantrel did not end on SIGTERM"
wait "$vantrel"; status=$?; vantrel=""
[ "$status" -eq 0 ] || fail "exit status $status"
grep -q "^HomeLat=-34.5$" "$root/config/Vantrel/Vantrel.conf" || fail "settings not saved at SIGTERM"
echo "PASS"
