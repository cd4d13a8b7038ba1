# What the Linux monitor's end-to-end scripts share: their clean-up, the private sound server,
# and the simulated mouse's monitor and node. Source it after checks.sh, with $work and the
# array pids set; the mouse runs as the coprocess FEED (FEED_PID).

# The simulated mouse is asked to quit and given time to, so that it removes its testbed.
cleanup() {
  if [ -n "${FEED_PID:-}" ] && kill -0 "$FEED_PID" 2>/dev/null; then
    { echo quit >&"${FEED[1]}"; } 2>/dev/null
    until_true 10 ended "$FEED_PID"
  fi
  stop_feeder_and_programs
  rm -rf "$work"
}

say() { echo "-- $*"; }

# start_private_sound_server: a private PulseAudio server with a null source as the default
# microphone (in $XDG_RUNTIME_DIR), and source_muted / source_unmuted to look at it.
start_private_sound_server() {
  pulseaudio --daemonize=no --exit-idle-time=-1 -n --load=module-native-protocol-unix \
    --load="module-null-sink sink_name=spk" --load="module-null-source source_name=mic" \
    >"$work/pulse.log" 2>&1 &
  pids+=($!)
  server_answers() { pactl info >/dev/null 2>&1; }
  check "the private sound server runs" until_true 20 server_answers
  pactl set-default-source mic >/dev/null
}
source_muted() { pactl get-source-mute @DEFAULT_SOURCE@ | grep -q "Mute: yes"; }
source_unmuted() { pactl get-source-mute @DEFAULT_SOURCE@ | grep -q "Mute: no"; }

# The monitor started inside the testbed is the simulated mouse's child.
monitor_pid() { pgrep -P "$FEED_PID" -x korvaldz314mon | head -n 1; }
# The node's terminal in the testbed, as the simulated mouse names it ("ok /dev/hidrawN TERMINAL").
node_terminal() {
  local answer
  answer=$(feed node)
  [[ "$answer" == "ok "* ]] && echo "${answer##* }"
}
