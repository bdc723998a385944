#!/usr/bin/env bash
# Installs what the build and the tests need on a fresh Debian machine, and
# builds the Windows-side libraries (libtiff, GoogleTest) from Debian's own
# sources. Safe to run again: each step is skipped when its result is
# already there.
#   tools/setup.sh        what `make test` needs: libtiff and GoogleTest for
#                         x86_64, libtiff for i686 (its build is the program only)
#   tools/setup.sh run    what `make run` needs: the x86_64 libraries only
#
# The libraries and a fresh Wine prefix are made once per machine, in
# KV_SETUP_CACHE (default ~/.cache/korvalinde), keyed by the source version,
# the compiler and the flags; every clone links build/deps/<triple> to them
# and copies its own build/wineprefix from the cached one.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
deps="$top/build/deps"
what=${1:-all}
cache="${KV_SETUP_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/korvalinde}"

packages=(
  cmake ninja-build g++ ccache lld python3 dpkg-dev pkg-config
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64 libz-mingw-w64-dev
  wine wine64 xvfb xauth xdotool
  libtiff-dev zlib1g-dev googletest libgtest-dev
  libxml2-utils
  # the English word lists the language data of text recognition is made from
  wamerican wbritish
  # outside checks of the exports: a MusicXML reader, a strict MIDI parser and a MIDI renderer
  musescore3 python3-mido timidity fluid-soundfont-gm
  # the program's own bitmaps and icons are rendered from SVG sources
  librsvg2-bin imagemagick
  # the music font, the engine tests' glyph fixtures and the shape
  # classifier's training glyphs are made from LilyPond's outlines; the text
  # line fixtures are rendered in DejaVu and Liberation
  # (tools/make_text_lines.py); the score's text faces under Wine and the
  # recording device's text metrics are Liberation's
  python3-fontforge lilypond-fonts fonts-dejavu-core fonts-liberation2
  # the face LilyPond sets tablature numbers in, one of those the text
  # characters are tuned against (tools/textchars/render_digits.py)
  fonts-urw-base35
  # the text references are rendered with FreeType in DejaVu (core and
  # extra: serif italic and bold), Liberation, Caladea, Carlito, Linux
  # Libertine and Biolinum and EB Garamond (tools/textrefs)
  libfreetype-dev fonts-dejavu-extra fonts-crosextra-caladea fonts-crosextra-carlito
  fonts-linuxlibertine fonts-ebgaramond
  # faces the text references are not made from, for the text benchmark
  # (with fonts-urw-base35 above)
  fonts-freefont-ttf
  # benchmark and fixture pages engraved from the project's own scores, by
  # LilyPond (its musicxml2ly reads MusicXML) beside MuseScore 3
  lilypond
)

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
updated=0
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  as_root apt-get update -q
  updated=1
  DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Debian's source packages are needed for libtiff on the Windows side.
if ! grep -rqs '^Types:.*deb-src\|^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
  as_root tee /etc/apt/sources.list.d/korvalinde-src.sources >/dev/null <<SRC
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $suite
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  updated=0
fi

# The built libraries of one triple, shared by every clone on this machine.
# Whoever holds the lock builds; the others wait and reuse.
library_key() {
  local triple=$1 flags=$2
  echo "tiff $(dpkg-query -W -f='${Version}' libtiff-dev 2>/dev/null) gtest $(dpkg-query -W -f='${Version}' googletest)" \
       "cc $("${triple}-gcc-posix" -dumpfullversion) flags '$flags'" \
       "toolchain $(md5sum < "$top/cmake/mingw-w64-${triple%%-*}.cmake" | cut -c1-12)"
}

build_for_triple() {
  local triple=$1 flags=$2 with_gtest=$3
  local link="$deps/$triple"
  mkdir -p "$deps"
  # A clone set up before the shared cache keeps its own folder.
  if [ -d "$link" ] && [ ! -L "$link" ] && [ -f "$link/.tiff-done" ] &&
     { [ "$with_gtest" = 0 ] || [ -f "$link/.gtest-done" ]; }; then
    echo "setup: reusing the libraries for $triple in build/deps"
    return
  fi
  local key; key=$(library_key "$triple" "$flags")
  local prefix="$cache/deps/$triple-$(echo "$key" | md5sum | cut -c1-12)"
  local work="$cache/deps/src"
  mkdir -p "$work" "$prefix"
  exec 9>"$prefix.lock"
  flock 9

  if [ -f "$prefix/.tiff-done" ]; then
    echo "setup: libtiff for $triple already built on this machine ($prefix), reused"
  else
    if [ -z "$(ls -d "$work"/libtiff-v*/ 2>/dev/null)" ]; then
      [ "$updated" = 1 ] || { as_root apt-get update -q; updated=1; }
      (cd "$work" && apt-get source -q --download-only tiff && tar xjf tiff_*.orig.tar.bz2)
    fi
    local src; src=$(ls -d "$work"/libtiff-v*/ | head -1)
    echo "setup: building libtiff for $triple (once per machine, into $prefix)"
    rm -rf "$work/tiff-$triple"
    cmake -S "$src" -B "$work/tiff-$triple" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-${triple%%-*}.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
      -DCMAKE_C_FLAGS="$flags" -DBUILD_SHARED_LIBS=OFF \
      -Dtiff-tools=OFF -Dtiff-tests=OFF -Dtiff-contrib=OFF -Dtiff-docs=OFF -Dcxx=OFF \
      -Djpeg=OFF -Dold-jpeg=OFF -Djbig=OFF -Dlzma=OFF -Dzstd=OFF -Dwebp=OFF -Dlerc=OFF \
      -Dlibdeflate=OFF -Dzlib=ON -Dpixarlog=ON >/dev/null
    cmake --build "$work/tiff-$triple" >/dev/null
    cmake --install "$work/tiff-$triple" >/dev/null
    echo "$key" > "$prefix/.tiff-done"
  fi

  if [ "$with_gtest" = 1 ] && [ -f "$prefix/.gtest-done" ]; then
    echo "setup: GoogleTest for $triple already built on this machine, reused"
  elif [ "$with_gtest" = 1 ]; then
    echo "setup: building GoogleTest for $triple (once per machine, into $prefix)"
    rm -rf "$work/gtest-$triple"
    cmake -S /usr/src/googletest -B "$work/gtest-$triple" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-${triple%%-*}.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
      -DCMAKE_CXX_FLAGS="$flags" -DBUILD_SHARED_LIBS=OFF -DBUILD_GMOCK=OFF -Dgtest_disable_pthreads=OFF >/dev/null
    cmake --build "$work/gtest-$triple" >/dev/null
    cmake --install "$work/gtest-$triple" >/dev/null
    echo "$key" > "$prefix/.gtest-done"
  fi
  exec 9>&-
  if [ "$(readlink "$link" 2>/dev/null)" != "$prefix" ]; then
    rm -rf "$link"
    ln -s "$prefix" "$link"
  fi
}

# A program that crashes prints its backtrace and ends, instead of waiting in
# a debugger or a crash dialog that no one will close.
crash_settings() {
  local aedebug='HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug'
  wine reg add "$aedebug" /v Debugger /t REG_SZ /d 'winedbg --auto %ld %ld' /f >/dev/null 2>&1
  wine reg add "$aedebug" /v Auto /t REG_SZ /d 1 /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wineserver -w || true
  touch "$WINEPREFIX/.kv-crash-settings"
}

# The music font lies in the prefix's Fonts folder as on an installed system,
# and the score's text faces are drawn with the Liberation faces.
prefix_fonts() {
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  if [ -d "$fonts" ] && ! cmp -s "$top/resources/fonts/KORVLN__.TTF" "$fonts/KORVLN__.TTF"; then
    cp "$top/resources/fonts/KORVLN__.TTF" "$fonts/KORVLN__.TTF"
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts' /v 'Korvalinde Extra (TrueType)' \
      /t REG_SZ /d KORVLN__.TTF /f >/dev/null 2>&1
    local replacements='HKCU\Software\Wine\Fonts\Replacements'
    wine reg add "$replacements" /v Arial /t REG_SZ /d 'Liberation Sans' /f >/dev/null 2>&1
    wine reg add "$replacements" /v 'Times New Roman' /t REG_SZ /d 'Liberation Serif' /f >/dev/null 2>&1
    wineserver -w || true
  fi
}

# One Wine prefix for the project. A fresh one is made once per machine and
# Wine version, and each clone starts from a copy of it.
wine_prefix() {
  export WINEPREFIX="$top/build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    template="$cache/wineprefix-$(wine --version 2>/dev/null | tr -c 'A-Za-z0-9.\n-' _)"
    mkdir -p "$cache"
    exec 9>"$template.lock"
    flock 9
    if [ -f "$template/.kv-made" ]; then
      echo "setup: copying the Wine prefix made once on this machine ($template)"
    else
      echo "setup: creating the Wine prefix (once per machine, into $template)"
      rm -rf "$template"
      WINEPREFIX="$template" wineboot -i >/dev/null 2>&1 || true
      WINEPREFIX="$template" wineserver -w || true
      WINEPREFIX="$template" crash_settings
      WINEPREFIX="$template" prefix_fonts
      touch "$template/.kv-made"
    fi
    rm -rf "$WINEPREFIX"
    mkdir -p "$(dirname "$WINEPREFIX")"
    cp -a "$template" "$WINEPREFIX"
    rm -f "$WINEPREFIX/.kv-made"
    exec 9>&-
  fi
  if [ ! -f "$WINEPREFIX/.kv-crash-settings" ]; then
    crash_settings
  fi
  prefix_fonts
}

# The prefix is made while the libraries build: it waits on Wine more than
# it computes.
wine_prefix &
prefix_maker=$!
build_for_triple x86_64-w64-mingw32 "" 1
if [ "$what" != run ]; then
  # The 32-bit build is the program alone: no test links GoogleTest there.
  build_for_triple i686-w64-mingw32 "-msse2 -mfpmath=sse" 0
fi

wait "$prefix_maker"
