#!/bin/sh
# Starts the desktop program under a private X server on the example recording and saves a
# picture of its main window.
#   screenshot.sh PROGRAM RECORDING OUTPUT.png [MILLISECONDS [WIDTHxHEIGHT [first-start]]]
# With "first-start" there is no settings file at all, as on a new installation (the station
# dialog then asks for the call sign over the window).
set -eu
program=$1
recording=$2
output=$3
ms=${4:-12000}
screen=${5:-1280x800}
fresh=${6:-}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
mkdir -p "$work/config/tarnvel" "$work/data" "$work/runtime"
if [ "$fresh" != "first-start" ]; then
    # A station with a call sign, so that no first-start dialog waits for an answer.
    printf '[Station]\nCall=SP9TST\n' >"$work/config/tarnvel/Tarnvel.ini"
fi
chmod 700 "$work/runtime"
Xvfb -displayfd 5 -screen 0 "${screen}x24" -nolisten tcp 5>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
stop() {
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap stop EXIT
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.05
done
display=$(head -n 1 "$work/display")
[ -n "$display" ] || { echo "Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
rm -f "$output"
LSAN_OPTIONS="suppressions=$here/lsan-desktop.supp" \
DISPLAY=":$display" QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" \
    XDG_RUNTIME_DIR="$work/runtime" "$program" --input-wav "$recording" --screenshot "$output" \
    --quit-after "$ms"
[ -s "$output" ] || { echo "no screenshot written to $output" >&2; exit 1; }
echo "screenshot: $output"
