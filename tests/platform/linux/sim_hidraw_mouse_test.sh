#!/usr/bin/env bash
# The simulated hidraw mouse driven through its commands, with a child that reads one report
# from the node it was given: the report reaches the child, a re-added mouse gets a new node,
# exit codes and signals come back as the commands say.
#   sim_hidraw_mouse_test.sh SIM_HIDRAW_MOUSE
set -uo pipefail
sim=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

printf '%s\n' 'report 07 01 00 00 00 00 00 00' 'wait-exit 10000' remove add 'report zz' \
  'kill TERM' 'wait-exit 100' bogus quit |
  umockdev-wrapper "$sim" -- sh -c 'od -An -tx1 -N8 /dev/hidraw0; exit 3' >"$work/answers" \
    2>"$work/child"
expected='ok 8
ok 3
ok
ok /dev/hidraw1
error bad hex
error not running
ok 3
error unknown command
ok'
status=0
if [ "$(cat "$work/answers")" != "$expected" ]; then
  echo "answers differ:"; diff <(echo "$expected") "$work/answers"; status=1
fi
if ! grep -q '07 01 00 00 00 00 00 00' "$work/child"; then
  echo "the child did not read the report:"; cat "$work/child"; status=1
fi
# A child that runs on is ended by a signal, and ended when standard input closes.
printf '%s\n' 'kill TERM' 'wait-exit 5000' | umockdev-wrapper "$sim" -- sleep 60 >"$work/answers"
if [ "$(cat "$work/answers")" != $'ok\nok 143' ]; then
  echo "signal answers differ:"; cat "$work/answers"; status=1
fi
exit $status
