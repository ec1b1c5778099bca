#!/usr/bin/env bash
# The desktop program on its own X server, used from the keyboard: View >
# Messages, then File > Exit. Usage: desktop_keys.sh VANTREL_BINARY OUT_DIR
# (screenshots of each step go there).
set -euo pipefail
program=$1 out=$2
for tool in Xvfb xdotool import compare; do
  command -v "$tool" > /dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
mkdir -p "$out"
root=$(mktemp -d /tmp/vantrel-e2e.XXXXXX)
export HOME=$root/home XDG_CONFIG_HOME=$root/config XDG_RUNTIME_DIR=$root/run QT_QPA_PLATFORM=xcb
mkdir -p "$HOME" "$XDG_CONFIG_HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
pids=()
trap 'kill "${pids[@]}" 2> /dev/null; wait 2> /dev/null; rm -rf "$root"' EXIT
fail() { echo "FAIL: $*"; echo "--- program output"; cat "$root/vantrel.log"; exit 1; }

# Xvfb picks a free display itself and writes its number once it accepts clients.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3> "$root/display" > "$root/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$root/display" ] && break; sleep 0.05; done
[ -s "$root/display" ] || { echo "no X server could be started"; exit 1; }
export DISPLAY=":$(cat "$root/display")"

"$program" > "$root/vantrel.log" 2>&1 &
vantrel=$!
pids+=($vantrel)
main=$(timeout 10 xdotool search --sync --name '^Untitled - Vantrel$' 2> /dev/null | head -1) || true
[ -n "$main" ] || fail "the main window did not appear"
# No window manager: give the window the keyboard focus ourselves.
xdotool windowfocus --sync "$main"
sleep 0.5
import -window root "$out/e2e-signal.png"

# View (Alt+V) > Messages, its second item; a busy machine may drop keys, so try again.
changed=0
for attempt in 1 2 3; do
  xdotool windowfocus --sync "$main" key --clearmodifiers alt+v sleep 0.5 key Down Return
  for _ in $(seq 20); do
    sleep 0.2
    import -window root "$out/e2e-messages.png"
    changed=$(compare -metric AE "$out/e2e-signal.png" "$out/e2e-messages.png" null: 2>&1 || true)
    changed=${changed%% *} changed=${changed%.*}
    [ "$changed" -gt 20000 ] && break 2
  done
  xdotool key Escape Escape
done
[ "$changed" -gt 20000 ] || fail "the screen did not change after View > Messages ($changed pixels)"

# File > Exit (Alt+F, X): the program ends by itself, successfully.
xdotool windowfocus --sync "$main" key --clearmodifiers alt+f sleep 0.5 key x
timeout 10 tail --pid="$vantrel" -f /dev/null || fail "File > Exit did not end the program"
wait "$vantrel" || fail "the program exited with status $?"
echo "PASS: screen changed by $changed pixels; File > Exit works"
