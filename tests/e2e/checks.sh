# Verdicts and waits shared by the end-to-end scripts. Source it; it counts in $failures.
failures=0

# check NAME COMMAND...: one verdict line per check
check() {
  local name=$1
  shift
  if "$@"; then echo "ok: $name"; else echo "FAILED: $name"; failures=$((failures + 1)); fi
}

# until_true SECONDS COMMAND...: polls COMMAND every 0.1 s
until_true() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -ge "$deadline" ] && return 1
    sleep 0.1
  done
}

# ended PID: the process is gone
ended() { ! kill -0 "$1" 2>/dev/null; }

# feed COMMAND: one command to the simulated mouse's feeder (a coprocess named FEED), its answer
# on stdout
feed() {
  echo "$1" >&"${FEED[1]}"
  local answer
  read -r -t 20 answer <&"${FEED[0]}"
  echo "$answer"
}

# stop_feeder_and_programs: ends the feeder coprocess (FEED) and the programs whose ids are in
# the array pids, and waits for them
stop_feeder_and_programs() {
  [ -n "${FEED_PID:-}" ] && { echo quit >&"${FEED[1]}"; } 2>/dev/null
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
}
