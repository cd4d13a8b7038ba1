#!/usr/bin/env bash
# Cross-builds a static libpng for the Windows x64 build from Debian's own libpng1.6 source
# package, against the mingw-w64 zlib of libz-mingw-w64-dev, and installs it into
# build/mingw-deps (a search root of cmake/mingw-w64-x86_64.cmake). Returns at once when that
# install is already complete; nothing of it is kept in the repository.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

prefix="$PWD/build/mingw-deps"
stamp="$prefix/libpng.stamp"
if [ -f "$stamp" ] && [ -f "$prefix/include/png.h" ] && [ -f "$prefix/lib/libpng16.a" ]; then
  echo "== libpng for mingw: up to date ($(cat "$stamp"))"
  exit 0
fi

mon_require_packages "${MON_MINGW_LIBPNG_PACKAGES[@]}"

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

# Source packages need deb-src entries. When the machine has none, derive them from its existing
# binary entries (same mirrors, suites, components and keys), so no host name is written here.
enable_deb_src() {
  if apt-cache showsrc libpng1.6 2>/dev/null | grep -q '^Package:'; then
    return 0
  fi
  local deb822=/etc/apt/sources.list.d/debian.sources
  local derived
  if [ -f "$deb822" ]; then
    # Paragraph mode: one stanza per record; drop comments, keep stanzas that carry "deb" and
    # are not disabled, and turn their type into deb-src.
    derived=$(awk 'BEGIN { RS = ""; FS = "\n" }
      {
        out = ""; binary = 0; disabled = 0
        for (i = 1; i <= NF; i++) {
          line = $i
          if (line ~ /^[ \t]*#/) continue
          if (line ~ /^Types:/) {
            if (line ~ /[ \t]deb([ \t]|$)/) binary = 1
            line = "Types: deb-src"
          }
          if (line ~ /^Enabled:[ \t]*no/) disabled = 1
          out = out line "\n"
        }
        if (binary && !disabled) printf "%s\n", out
      }' "$deb822")
    [ -n "$derived" ] || { echo "no binary entry in $deb822 to derive deb-src from" >&2; return 1; }
    echo "== enabling deb-src entries derived from $deb822"
    printf '%s\n' "$derived" | $sudo tee /etc/apt/sources.list.d/mon-deb-src.sources >/dev/null
  elif [ -f /etc/apt/sources.list ]; then
    derived=$(sed -n 's/^[ \t]*deb[ \t]/deb-src /p' /etc/apt/sources.list)
    [ -n "$derived" ] || { echo "no binary entry in /etc/apt/sources.list" >&2; return 1; }
    echo "== enabling deb-src entries derived from /etc/apt/sources.list"
    printf '%s\n' "$derived" | $sudo tee /etc/apt/sources.list.d/mon-deb-src.list >/dev/null
  else
    echo "no Debian sources entry found to derive deb-src from" >&2
    return 1
  fi
  $sudo apt-get update -qq
}
enable_deb_src

work="$PWD/build/mingw-deps-work"
rm -rf "$work"
mkdir -p "$work"
# apt's download sandbox user must be able to write the folder.
chmod 0777 "$work"
# Newest first; a mirror may list a version whose files it does not serve yet, so fall back to
# the next one listed.
version=""
for candidate in $(apt-cache showsrc libpng1.6 | awk '/^Version:/ { print $2 }' | sort -u -V -r); do
  echo "== libpng for mingw: fetching Debian's libpng1.6 $candidate source"
  if (cd "$work" && apt-get source -qq "libpng1.6=$candidate" >"$work/apt-source.log" 2>&1); then
    version=$candidate
    break
  fi
  tail -n 3 "$work/apt-source.log" >&2
  find "$work" -mindepth 1 -maxdepth 1 -name 'libpng1.6*' -exec rm -rf {} +
done
[ -n "$version" ] || { echo "no libpng1.6 source package could be fetched" >&2; exit 1; }
src=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'libpng1.6-*' | head -n 1)
[ -n "$src" ] || { echo "apt-get source gave no libpng1.6 folder" >&2; exit 1; }

echo "== libpng for mingw: building $version"
mingw_root=/usr/x86_64-w64-mingw32
cmake -S "$src" -B "$work/build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$work/install" \
  -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
  -DSKIP_INSTALL_EXECUTABLES=ON -DSKIP_INSTALL_PROGRAMS=ON \
  -DZLIB_INCLUDE_DIR="$mingw_root/include" -DZLIB_LIBRARY="$mingw_root/lib/libz.a" \
  >"$work/configure.log" 2>&1 || {
  cat "$work/configure.log" >&2
  exit 1
}
cmake --build "$work/build" -j 2 >"$work/build.log" 2>&1 || {
  cat "$work/build.log" >&2
  exit 1
}
cmake --install "$work/build" >"$work/install.log" 2>&1 || {
  cat "$work/install.log" >&2
  exit 1
}
[ -f "$work/install/include/png.h" ] && [ -f "$work/install/lib/libpng16.a" ] || {
  echo "the libpng build installed no include/png.h or lib/libpng16.a" >&2
  exit 1
}

# Into place only once complete, so an interrupted run never looks finished.
mkdir -p "$prefix"
rm -rf "$prefix/include/libpng16" "$prefix/include/png.h" "$prefix/include/pngconf.h" \
  "$prefix/include/pnglibconf.h" "$prefix"/lib/libpng*
cp -a "$work/install/include" "$work/install/lib" "$prefix/"
echo "$version" >"$stamp"
rm -rf "$work"
echo "== libpng for mingw: installed $version into $prefix"
