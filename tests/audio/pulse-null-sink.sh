#!/usr/bin/env bash
# Starts or stops a private PulseAudio server with one mono null sink ("tarnvel"), whose
# monitor is the default source, so that sound played to the default output comes back
# from the default input. Everything lives under the given folder (sockets, state, log),
# so it never meets another server running on the same machine.
#
#   pulse-null-sink.sh start DIR [RATE]   prints the PULSE_SERVER value on success
#   pulse-null-sink.sh stop DIR
#
# Clients reach the server with PULSE_SERVER=unix:DIR/run/native.
set -uo pipefail

action=${1:-}
dir=${2:-}
rate=${3:-48000}
if [ -z "$action" ] || [ -z "$dir" ]; then
  echo "usage: $0 start|stop DIR [RATE]" >&2
  exit 2
fi
mkdir -p "$dir/run" "$dir/state"
dir=$(cd "$dir" && pwd)
export PULSE_RUNTIME_PATH=$dir/run PULSE_STATE_PATH=$dir/state PULSE_SERVER=unix:$dir/run/native
export JACK_NO_START_SERVER=1
# Clients (pactl here, the tests' PortAudio) must never spawn a server of their own.
echo "autospawn = no" >"$dir/client.conf"
export PULSE_CLIENTCONFIG=$dir/client.conf
unset PULSE_SINK PULSE_SOURCE

server_answers() { pactl info >/dev/null 2>&1; }

case "$action" in
start)
  command -v pulseaudio >/dev/null || { echo "pulseaudio is not installed" >&2; exit 3; }
  server_answers && { echo "$PULSE_SERVER"; exit 0; }
  pulseaudio --daemonize=yes -n --use-pid-file=yes --exit-idle-time=-1 --disallow-exit \
    --disable-shm=yes --log-target="file:$dir/pulse.log" \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$dir/run/native" \
    --load="module-null-sink sink_name=tarnvel rate=$rate channels=1" \
    --load="module-always-sink" >"$dir/start.log" 2>&1
  for _ in $(seq 50); do server_answers && break; sleep 0.1; done
  if ! server_answers; then
    echo "the private PulseAudio server did not start (see $dir/pulse.log)" >&2
    exit 4
  fi
  pactl set-default-sink tarnvel && pactl set-default-source tarnvel.monitor || exit 5
  echo "$PULSE_SERVER"
  ;;
stop)
  pulseaudio --kill >/dev/null 2>&1
  pid=$(cat "$dir/run/pid" 2>/dev/null)
  for _ in $(seq 50); do
    if ! server_answers && { [ -z "$pid" ] || ! kill -0 "$pid" 2>/dev/null; }; then break; fi
    sleep 0.1
  done
  server_answers && { echo "the private PulseAudio server is still answering" >&2; exit 6; }
  exit 0
  ;;
*)
  echo "unknown action $action" >&2
  exit 2
  ;;
esac
