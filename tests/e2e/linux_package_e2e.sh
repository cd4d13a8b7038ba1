#!/usr/bin/env bash
# The Linux package as built, checked from outside; it builds nothing. The package's fields
# (name, version, architecture, Depends from dpkg-shlibdeps); lintian (no errors; when
# installed); an installation into a scratch root (dpkg --root, with --force-script-chrootless:
# dpkg would otherwise run the maintainer scripts chrooted into the scratch root, which has no
# shell); every file in place with its mode and nothing else; stripped programs whose libraries
# all resolve; the conffiles; the desktop entry (desktop-file-validate when installed); the
# icons; the udev rule and its helper, which is run the way the rule runs it on a fake sysfs
# tree (granted, refused, unusable input); the maintainer scripts with a stand-in udevadm, with
# udev running and without (a private mount namespace whose /run has udev's folder or not; root
# only), and dpkg's own runs of them in the scratch root, which must leave this system's udev
# alone; the installed monitor started and ended; then removal and purge.
#
# Usage: linux_package_e2e.sh DEB VERSION SOURCE_DIR
set -u
deb=$1
version=$2
source_dir=$3
source "$(dirname "$0")/checks.sh"

work=$(mktemp -d /tmp/mon-package-e2e.XXXXXX)
trap 'rm -rf "$work"' EXIT
root=$work/root
admin=$root/var/lib/dpkg
say() { echo "-- $*"; }

# A stand-in udevadm that records its calls and fails.
mkdir -p "$work/bin"
printf '#!/bin/sh\necho "$*" >>"%s"\nexit 1\n' "$work/udevadm.log" >"$work/bin/udevadm"
chmod 755 "$work/bin/udevadm"
if [ "$(id -u)" -eq 0 ] && unshare --mount true 2>/dev/null; then
  namespaces=yes
else
  namespaces=no
  echo "note: not root, so nothing runs with udev running (no private mount namespace)"
fi
# with_udev yes|no COMMAND...: COMMAND with the stand-in first on PATH; with namespaces, in a
# private mount namespace whose /run is empty, with /run/udev made (udev runs) for "yes".
with_udev() {
  local udev_runs=$1
  shift
  rm -f "$work/udevadm.log"
  if [ "$namespaces" = no ]; then
    PATH="$work/bin:$PATH" "$@"
    return
  fi
  # shellcheck disable=SC2016 # expanded by the inner shell
  unshare --mount sh -c 'mount -t tmpfs none /run && { [ "$0" != yes ] || mkdir /run/udev; } &&
    exec "$@"' "$udev_runs" env PATH="$work/bin:$PATH" "$@"
}
untouched() { [ ! -e "$work/udevadm.log" ]; }
reloaded_and_triggered() {
  [ "$(cat "$work/udevadm.log" 2>/dev/null)" = "control --reload-rules
trigger --subsystem-match=hidraw --action=change" ]
}

# dpkg on the scratch root, with udev running where namespaces allow.
dpkg_in_root() {
  with_udev yes dpkg --root="$root" --log="$work/dpkg.log" --force-not-root \
    --force-script-chrootless --force-depends "$@" >>"$work/dpkg.out" 2>&1
}

say "the package's fields"
architecture=$(dpkg --print-architecture)
field() { dpkg-deb -f "$deb" "$1"; }
check "the file is named korvaldz314mon_${version}_$architecture.deb" \
  test "$(basename "$deb")" = "korvaldz314mon_${version}_$architecture.deb"
check "Package korvaldz314mon" test "$(field Package)" = korvaldz314mon
check "Version is the project's ($version)" test "$(field Version)" = "$version"
check "Architecture $architecture" test "$(field Architecture)" = "$architecture"
depends=$(field Depends)
depends_on() { [[ ", $depends" == *", $1 ("* ]]; }
for library in libc6 libglib2.0-0 libudev1 libpulse0 libsqlite3-0 libstdc++6; do
  check "Depends on $library, with a version (dpkg-shlibdeps)" depends_on "$library"
done

if command -v lintian >/dev/null; then
  check "lintian finds no errors" lintian --fail-on error "$deb"
else
  echo "skipped: lintian is not installed"
fi

say "installed into a scratch root"
mkdir -p "$admin/info" "$admin/updates"
touch "$admin/status"
check "dpkg --root -i installs it" dpkg_in_root -i "$deb"
check "  ... and it is configured" \
  test "$(dpkg-query --admindir="$admin" -W -f='${Status}' korvaldz314mon)" = \
  "install ok installed"
check "  ... its postinst leaving this system's udev alone (dpkg sets DPKG_ROOT)" untouched

# Every file the package holds, with its mode.
expected_files() {
  cat <<'EOF'
/etc/xdg/KORVALDZ314/config.ini 644
/etc/xdg/autostart/korvaldz314mon.desktop 644
/usr/bin/korvaldz314mon 755
/usr/lib/udev/rules.d/70-korvaldz314mon.rules 644
/usr/libexec/korvaldz314mon/korvaldz314mon-udev-match 755
/usr/share/doc/korvaldz314mon/changelog.gz 644
/usr/share/doc/korvaldz314mon/copyright 644
/usr/share/icons/hicolor/16x16/apps/korvaldz314mon.png 644
/usr/share/icons/hicolor/16x16/apps/korvaldz314mon-muted.png 644
/usr/share/icons/hicolor/24x24/apps/korvaldz314mon.png 644
/usr/share/icons/hicolor/24x24/apps/korvaldz314mon-muted.png 644
/usr/share/icons/hicolor/32x32/apps/korvaldz314mon.png 644
/usr/share/icons/hicolor/32x32/apps/korvaldz314mon-muted.png 644
/usr/share/icons/hicolor/48x48/apps/korvaldz314mon.png 644
/usr/share/icons/hicolor/48x48/apps/korvaldz314mon-muted.png 644
/usr/share/icons/hicolor/64x64/apps/korvaldz314mon.png 644
/usr/share/icons/hicolor/64x64/apps/korvaldz314mon-muted.png 644
/usr/share/man/man1/korvaldz314mon.1.gz 644
EOF
}
installed_files() {
  dpkg-query --admindir="$admin" -L korvaldz314mon | while read -r path; do
    if [ -f "$root$path" ]; then echo "$path $(stat -c %a "$root$path")"; fi
  done | sort
}
check "exactly the expected files, each with its mode" diff <(expected_files | sort) <(installed_files)
directories_not_755() {
  dpkg-query --admindir="$admin" -L korvaldz314mon | while read -r path; do
    if [ -d "$root$path" ] && [ "$(stat -c %a "$root$path")" != 755 ]; then echo "$path"; fi
  done
}
check "every directory of the package is 755" test -z "$(directories_not_755)"
if [ "$(id -u)" -eq 0 ]; then
  not_roots() {
    expected_files | while read -r path _; do
      [ "$(stat -c %U:%G "$root$path")" = root:root ] || echo "$path"
    done
  }
  check "every file belongs to root:root" test -z "$(not_roots)"
fi

stripped() { file -b "$1" | grep -q "^ELF.*, stripped"; }
resolves() { ! ldd "$1" | grep -q "not found"; }
for program in /usr/bin/korvaldz314mon /usr/libexec/korvaldz314mon/korvaldz314mon-udev-match; do
  check "$program is a stripped ELF program" stripped "$root$program"
  check "  ... whose shared libraries all resolve" resolves "$root$program"
done

conffiles=$(dpkg-query --admindir="$admin" -W -f='${Conffiles}' korvaldz314mon)
for conffile in /etc/xdg/KORVALDZ314/config.ini /etc/xdg/autostart/korvaldz314mon.desktop; do
  check "$conffile is a conffile" grep -q "^ $conffile " <<<"$conffiles"
done
check "config.ini is the sample of src/app" \
  cmp -s "$root/etc/xdg/KORVALDZ314/config.ini" "$source_dir/src/app/config.ini"

say "the autostart entry and the icon"
desktop=$root/etc/xdg/autostart/korvaldz314mon.desktop
if command -v desktop-file-validate >/dev/null; then
  check "desktop-file-validate accepts the entry" desktop-file-validate "$desktop"
else
  echo "skipped: desktop-file-validate is not installed (package desktop-file-utils)"
fi
for line in Type=Application Exec=korvaldz314mon Icon=korvaldz314mon NoDisplay=true \
  X-GNOME-Autostart-enabled=true; do
  check "the entry says $line" grep -qx "$line" "$desktop"
done
for size in 16 24 32 48 64; do
  for name in korvaldz314mon korvaldz314mon-muted; do
    png=$root/usr/share/icons/hicolor/${size}x$size/apps/$name.png
    check "the ${size}x$size icon $name is a $size x $size RGBA PNG" \
      grep -q "PNG image data, $size x $size, 8-bit/color RGBA" <(file -b "$png")
  done
done
check "the muted icon is not the plain one" \
  eval '! cmp -s "$root/usr/share/icons/hicolor/32x32/apps/korvaldz314mon.png" \
    "$root/usr/share/icons/hicolor/32x32/apps/korvaldz314mon-muted.png"'

say "the udev rule and its helper"
rule=$root/usr/lib/udev/rules.d/70-korvaldz314mon.rules
check "the rule is for hidraw nodes" \
  grep -qx 'SUBSYSTEM!="hidraw", GOTO="korvaldz314mon_end"' "$rule"
check "  ... being added or changed" \
  grep -qx 'ACTION!="add|change", GOTO="korvaldz314mon_end"' "$rule"
check "  ... and ends at its label" grep -qx 'LABEL="korvaldz314mon_end"' "$rule"
check "the imported property tags the node uaccess" \
  grep -qx 'ENV{KORVALDZ314_VENDOR_COLLECTION}=="1", TAG+="uaccess"' "$rule"
program=$(sed -n 's/^IMPORT{program}="\(.*\)"$/\1/p' "$rule")
helper=${program%% *}
check "the rule imports a program with the node's sysfs path ($program)" \
  test "${program#* }" = "%S%p"
check "  ... that the package installs, executable" test -x "$root$helper"

# A HID device with its hidraw node as the kernel lays them out in sysfs.
devpath=/devices/pci0000:00/usb1/1-1/1-1:1.1/0003:1234:5678.0001/hidraw/hidraw0
sys=$work/sys
mkdir -p "$sys$devpath"
ln -s ../.. "$sys$devpath/device"
descriptor=$sys/devices/pci0000:00/usb1/1-1/1-1:1.1/0003:1234:5678.0001/report_descriptor
write_descriptor() {
  local byte escaped=""
  for byte in "$@"; do escaped+="\\x$byte"; done
  printf '%b' "$escaped" >"$descriptor"
}
# The helper run as the rule runs it: %S is sysfs' mount point, %p the node's path in it, and
# the line split at spaces.
run_helper() {
  local line=${program//%S/$sys}
  line=${line//%p/$devpath}
  local words
  read -r -a words <<<"$line"
  "$root${words[0]}" "${words[@]:1}" >"$work/out" 2>"$work/err"
  echo $? >"$work/rc"
}
answered() { [ "$(cat "$work/rc")" = "$1" ] && [ "$(cat "$work/out")" = "$2" ]; }
complained() { [ "$(cat "$work/rc")" = "$1" ] && grep -q "$2" "$work/err"; }

# Vendor page 0xFFA0, usage 1 (the mouse's collection): one 7-byte input report.
write_descriptor 06 A0 FF 09 01 A1 01 09 01 15 00 26 FF 00 75 08 95 07 81 02 C0
run_helper
check "the mouse's vendor collection: KORVALDZ314_VENDOR_COLLECTION=1, exit code 0" \
  answered 0 KORVALDZ314_VENDOR_COLLECTION=1
# The same page with usage 3 (a headset's), then a pointer.
write_descriptor 06 A0 FF 09 03 A1 01 09 01 15 00 26 FF 00 75 08 95 07 81 02 C0
run_helper
check "the vendor page with another usage: nothing, exit code 0" answered 0 ""
write_descriptor 05 01 09 02 A1 01 05 09 19 01 29 03 15 00 25 01 75 01 95 03 81 02 95 05 81 01 C0
run_helper
check "a pointer: nothing, exit code 0" answered 0 ""
echo "no descriptor here" >"$descriptor"
run_helper
check "text in place of a descriptor: exit code 1, said on stderr" \
  complained 1 "report_descriptor is not a HID report descriptor"
rm "$descriptor"
run_helper
check "no descriptor file: exit code 1, said on stderr" \
  complained 1 "cannot open .*report_descriptor"
"$root$helper" >"$work/out" 2>"$work/err"
echo $? >"$work/rc"
check "no argument: exit code 2 and the usage" complained 2 "usage: korvaldz314mon-udev-match"

if [ "$namespaces" = yes ]; then
  say "the maintainer scripts, with the stand-in udevadm (it fails)"
  for script in postinst:configure postrm:remove; do
    name=${script%%:*}
    argument=${script#*:}
    file=$admin/info/korvaldz314mon.$name
    check "$name $argument with udev running: exit code 0" \
      with_udev yes env -u DPKG_ROOT sh "$file" "$argument"
    check "  ... after reloading the rules and triggering the hidraw nodes" reloaded_and_triggered
    check "$name $argument without udev (a container): exit code 0" \
      with_udev no env -u DPKG_ROOT sh "$file" "$argument"
    check "  ... without calling udevadm" untouched
  done
fi

say "the installed monitor, in a session of its own without a sound server"
session=$work/session
mkdir -p "$session/config" "$session/run" "$session/home"
chmod 700 "$session/run"
XDG_CONFIG_HOME=$session/config XDG_RUNTIME_DIR=$session/run HOME=$session/home \
  XDG_CONFIG_DIRS=$root/etc/xdg PULSE_SERVER=unix:$session/none \
  "$root/usr/bin/korvaldz314mon" 2>"$session/stderr" &
monitor=$!
check "it starts and makes its settings store" \
  until_true 20 test -s "$session/config/KORVALDZ314/registry.sqlite3"
kill -TERM "$monitor"
wait "$monitor"
check "  ... and SIGTERM ends it with exit code 0" test $? -eq 0

say "removed, then purged"
check "dpkg --root -r removes it" dpkg_in_root -r korvaldz314mon
check "  ... its postrm leaving this system's udev alone" untouched
check "  ... the programs and the rule are gone" \
  test ! -e "$root/usr/bin/korvaldz314mon" -a ! -e "$rule" -a ! -e "$root$helper"
check "  ... the conffiles stay until the purge" test -e "$root/etc/xdg/KORVALDZ314/config.ini"
check "dpkg --root -P purges it" dpkg_in_root -P korvaldz314mon
check "  ... and nothing of it is left" \
  test -z "$(find "$root" -path "$admin" -prune -o -type f -print)"

if [ "$failures" -ne 0 ]; then
  echo "dpkg said:"
  cat "$work/dpkg.out"
fi
echo "$failures failed check(s)"
[ "$failures" -eq 0 ]
