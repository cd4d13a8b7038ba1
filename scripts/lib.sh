# Shared helpers of the set-up scripts. Source it; do not run it.

# mon_require_packages PKG...: installs the Debian packages that are not installed yet.
mon_require_packages() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$pkg")
  done
  if [ "${#missing[@]}" -gt 0 ]; then
    echo "== installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
      "${missing[@]}" >/dev/null
  fi
}

# Packages of the Linux-native monitor and its tests: GLib's main loop, udev and hidraw (tested in
# an umockdev testbed), PulseAudio's client library and a private server, SQLite for the settings,
# a session bus daemon and dbus-send for the link to the configuration program; the tray item
# (libayatana-appindicator3, on GTK) and its notices (GDBus), tested under Xvfb with a test
# shell in the system Python (python3-gi); its Debian package (CPack with dpkg-shlibdeps) and the
# package's checks.
MON_LINUX_PACKAGES=(libglib2.0-dev libudev-dev umockdev libumockdev-dev libpulse-dev pulseaudio
  pulseaudio-utils libsqlite3-dev dbus-daemon dbus-bin dpkg-dev file lintian desktop-file-utils
  libayatana-appindicator3-dev xvfb xauth python3-gi gir1.2-glib-2.0)
# Packages of the native build and its tests (the Linux monitor among them).
MON_NATIVE_PACKAGES=(cmake ninja-build ccache g++ googletest libbenchmark-dev libpng-dev pkg-config
  python3 "${MON_LINUX_PACKAGES[@]}")
# Packages of the fuzz targets (clang with libFuzzer and the sanitizer run-times).
MON_FUZZ_PACKAGES=(clang libclang-rt-dev)
# Packages of the Windows cross build and of running it under Wine, headless (pulseaudio: the
# audio server the Win32 audio tests start for themselves; nsis: the installer).
MON_WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine wine64 xvfb xauth
  pulseaudio python3 nsis)
# Packages of cross-building libpng from Debian's source package (scripts/build-mingw-libpng.sh).
MON_MINGW_LIBPNG_PACKAGES=(dpkg-dev cmake ninja-build gcc-mingw-w64-x86-64-posix libz-mingw-w64-dev)

# mon_start_wine [SCREEN]: a private Xvfb display and a fresh Wine prefix in a temporary folder,
# for the rest of the calling script. SCREEN is Xvfb's screen, WIDTHxHEIGHTxDEPTH (1280x1024x24
# when not given). mon_stop_wine ends both and removes the prefix; a script may then start another.
mon_start_wine() {
  local screen="${1:-1280x1024x24}"
  MON_WINE_TMP=$(mktemp -d /tmp/mon-wine.XXXXXX)
  local display
  for display in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ] || break
  done
  Xvfb ":$display" -screen 0 "$screen" -nolisten tcp >"$MON_WINE_TMP/xvfb.log" 2>&1 &
  MON_XVFB_PID=$!
  export DISPLAY=":$display"
  local waited=0
  until [ -e "/tmp/.X11-unix/X$display" ]; do
    sleep 0.1
    waited=$((waited + 1))
    if [ "$waited" -gt 100 ] || ! kill -0 "$MON_XVFB_PID" 2>/dev/null; then
      echo "Xvfb did not start" >&2
      return 1
    fi
  done
  export WINEPREFIX="$MON_WINE_TMP/prefix"
  # Wine links the user's Documents and Desktop to the home folder: a private one, so the
  # monitor's profile folder and the tests' files never land in the real home.
  export HOME="$MON_WINE_TMP/home"
  mkdir -p "$HOME"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="winemenubuilder.exe=d"
  wineboot -i >"$MON_WINE_TMP/wineboot.log" 2>&1
  wineserver -w
  # One wineserver and one desktop process (explorer.exe, started by the first program that
  # uses windows) for the whole run, both started here. Otherwise the first Wine program of a
  # test starts them, they inherit the test's output pipes and linger after its end, and ctest
  # waits for those pipes: 3 s more per test, or a time-out for a test that opens a window.
  # (Registry files in the prefix are then written only at mon_stop_wine; read the registry
  # with "wine reg query".)
  wineserver -p >>"$MON_WINE_TMP/wineboot.log" 2>&1
  wine cmd /c exit >>"$MON_WINE_TMP/wineboot.log" 2>&1
}

mon_stop_wine() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "${WINEPREFIX}" ]; then
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
  fi
  if [ -n "${MON_XVFB_PID:-}" ]; then
    kill "$MON_XVFB_PID" 2>/dev/null || true
    wait "$MON_XVFB_PID" 2>/dev/null || true
  fi
  [ -n "${MON_WINE_TMP:-}" ] && rm -rf "$MON_WINE_TMP"
  MON_XVFB_PID=""
  MON_WINE_TMP=""
}
