#!/usr/bin/env bash
# The udev helper, as built, on the sysfs tree of an umockdev testbed (the simulated mouse's, a
# layout made by another hand than the helper's own tests): run as the rule runs it, with /sys
# and the node's path, it grants the mouse's node and refuses a captured headset's, whose vendor
# page 0xFFA0 collection has usage 3.
#   udev_match_testbed_test.sh HELPER SIM_HIDRAW_MOUSE DESCRIPTOR_DIR
set -uo pipefail
helper=$1
sim=$2
descriptors=$3
status=0

# verdict [--descriptor FILE]...: what the helper printed for hidraw0, and its exit code (the
# child's output comes on the simulation's standard error).
verdict() {
  printf '%s\n' 'wait-exit 10000' quit | umockdev-wrapper "$sim" "$@" -- sh -c \
    'node=$(readlink -f /sys/class/hidraw/hidraw0) && "$0" "$node"; echo "exit $?"' \
    "$helper" 2>&1 >/dev/null
}

expect() {
  local name=$1 expected=$2
  shift 2
  local got
  got=$(verdict "$@")
  if [ "$got" = "$expected" ]; then
    echo "ok: $name"
  else
    echo "FAILED: $name: expected '$expected', got '$got'"
    status=1
  fi
}

expect "the simulated mouse is granted" $'KORVALDZ314_VENDOR_COLLECTION=1\nexit 0'
expect "the headset is refused" "exit 0" \
  --descriptor "$descriptors/047F_C056_0001_000C_real.rpt_desc" \
  --descriptor "$descriptors/047F_C056_0005_000B_real.rpt_desc" \
  --descriptor "$descriptors/047F_C056_0003_FFA0_real.rpt_desc"
exit $status
