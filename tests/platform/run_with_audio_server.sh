#!/usr/bin/env bash
# Runs a command (a Windows test binary under Wine) against a chosen audio set-up:
#   run_with_audio_server.sh none COMMAND...        no audio server is reachable
#   run_with_audio_server.sh pulseaudio COMMAND...  a private PulseAudio server holding a null
#                                                   sink and a null source
# Both get a private runtime folder (mode 0700) and a client configuration without autospawn, and
# the clients are pointed at the private socket only, so the user's own server is never reached.
# The server is started here, waited for with a time-out and ended by its process id afterwards;
# the folder is removed. The exit code is the command's.
set -uo pipefail

mode=${1:-}
shift || true
if [ "$mode" != none ] && [ "$mode" != pulseaudio ] || [ "$#" -eq 0 ]; then
  echo "usage: $0 none|pulseaudio COMMAND..." >&2
  exit 2
fi

work=$(mktemp -d /tmp/mon-audio.XXXXXX) || exit 1
server_pid=""
cleanup() {
  if [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null
    local waited=0
    while kill -0 "$server_pid" 2>/dev/null && [ "$waited" -lt 100 ]; do
      sleep 0.1
      waited=$((waited + 1))
    done
    kill -9 "$server_pid" 2>/dev/null
    wait "$server_pid" 2>/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -m 0700 "$work/runtime" "$work/config"
export XDG_RUNTIME_DIR="$work/runtime"
export PULSE_SERVER="unix:$XDG_RUNTIME_DIR/pulse/native"
export PULSE_COOKIE="$work/cookie"
export PULSE_CLIENTCONFIG="$work/client.conf"
printf 'autospawn = no\n' >"$PULSE_CLIENTCONFIG"

if [ "$mode" = pulseaudio ]; then
  if ! command -v pulseaudio >/dev/null; then
    echo "pulseaudio is not installed (scripts/lib.sh lists it among the Windows packages)" >&2
    exit 1
  fi
  # The socket module comes last, so that the socket appears only when the devices exist.
  HOME="$work" XDG_CONFIG_HOME="$work/config" \
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
    --log-target="file:$work/pulseaudio.log" \
    -L "module-null-sink sink_name=nullout" \
    -L "module-null-source source_name=nullmic" \
    -L "module-native-protocol-unix socket=$XDG_RUNTIME_DIR/pulse/native auth-anonymous=1" \
    </dev/null >/dev/null 2>&1 &
  server_pid=$!
  waited=0
  until [ -S "$XDG_RUNTIME_DIR/pulse/native" ]; do
    if ! kill -0 "$server_pid" 2>/dev/null || [ "$waited" -ge 200 ]; then
      echo "the PulseAudio server did not start; its log:" >&2
      cat "$work/pulseaudio.log" >&2 2>/dev/null
      exit 1
    fi
    sleep 0.05
    waited=$((waited + 1))
  done
fi

"$@"
