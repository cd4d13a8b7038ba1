#!/usr/bin/env bash
# Under Wine: profile file saves that do not finish. A saving program is killed at random points
# of its run, 100 times: the profile file is always exactly the old or the new image, never a mix
# or a truncation. A save into a full folder (a small tmpfs, filled) is reported as failed and
# leaves the old file as it was. Runs inside the environment of scripts/lib.sh's mon_start_wine;
# the full folder needs root (or sudo without a password) to mount the tmpfs.
#   profile_save_e2e.sh COMPANIONS_DIR
set -uo pipefail
companions=$1
work=$(mktemp -d "${MON_WINE_TMP:-/tmp}/save.XXXXXX")
source "$(dirname "$0")/checks.sh"
runs=100
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo -n"

cleanup() {
  mountpoint -q "$work/full" 2>/dev/null && $sudo umount "$work/full"
  rm -rf "$work"
}
trap cleanup EXIT

saver() { wine "$companions/profile_saver.exe" "$@" 2>/dev/null | tr -d '\r'; }
digest() { sha256sum <"$1" 2>/dev/null | cut -d' ' -f1; }
now_ms() { date +%s%3N; }

mkdir -p "$work/profiles" "$work/reference"
file="$work/profiles/Profile1.pfd"
check "the two images are saved whole" \
  test "$(saver save "$(winepath -w "$work/reference/a.pfd")" 1)$(saver save \
    "$(winepath -w "$work/reference/b.pfd")" 2)" = savedsaved
image_a=$(digest "$work/reference/a.pfd")
image_b=$(digest "$work/reference/b.pfd")
check "  ... and differ" test -n "$image_a" -a "$image_a" != "$image_b"

# A whole run of 200 saves, timed: the kills fall anywhere from the program's start to its end.
saver save "$(winepath -w "$file")" 1 >/dev/null
started=$(now_ms)
saver save "$(winepath -w "$file")" 2 200 >/dev/null
run_ms=$(($(now_ms) - started))
echo "   (a run of 200 saves takes $run_ms ms)"

old=0 new=0 broken=0
for run in $(seq "$runs"); do
  if [ "$(digest "$file")" = "$image_a" ]; then seed=2 image_old=$image_a image_new=$image_b
  else seed=1 image_old=$image_b image_new=$image_a; fi
  wine "$companions/profile_saver.exe" save "$(winepath -w "$file")" "$seed" 200 >/dev/null 2>&1 &
  saving=$!
  sleep "$(awk -v r="$RANDOM" -v ms="$run_ms" 'BEGIN { printf "%.3f", r / 32768 * ms / 1000 }')"
  kill -KILL "$saving" 2>/dev/null
  wait "$saving" 2>/dev/null
  case $(digest "$file") in
    "$image_old") old=$((old + 1)) ;;
    "$image_new") new=$((new + 1)) ;;
    *) broken=$((broken + 1)); echo "   run $run: the file is $(stat -c %s "$file") bytes of neither" ;;
  esac
done
left=$(find "$work/profiles" -name '*.tmp' | wc -l)
echo "   ($runs killed runs: $old left the old image, $new the new one, $broken neither;" \
  "$left were killed in the middle of a write and left their temporary file)"
check "every killed save left the old or the new image" test "$broken" = 0
check "  ... both happened (the kills fell before and after saves)" test "$old" -gt 0 -a "$new" -gt 0

mkdir -p "$work/full"
if check "a small file system to fill" $sudo mount -t tmpfs -o size=1m tmpfs "$work/full"; then
  full_file="$work/full/Profile1.pfd"
  check "a save into the folder before it is full" \
    test "$(saver save "$(winepath -w "$full_file")" 1)" = saved
  dd if=/dev/zero of="$work/full/filler" bs=4k >/dev/null 2>&1
  check "a save into the full folder is reported as failed" \
    test "$(saver save "$(winepath -w "$full_file")" 2)" = "failed 1"
  check "  ... and the old file stays as it was" test "$(digest "$full_file")" = "$image_a"
  check "  ... and no temporary file is left" test "$(find "$work/full" -name '*.tmp' | wc -l)" = 0
  rm -f "$work/full/filler"
  check "with room again the same save succeeds" \
    test "$(saver save "$(winepath -w "$full_file")" 2)" = saved
  check "  ... and writes the new image" test "$(digest "$full_file")" = "$image_b"
fi

echo "$failures failed"
[ "$failures" -eq 0 ]
