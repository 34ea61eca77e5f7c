# shellcheck shell=bash
# The codecs for the Windows build (libjpeg-turbo, libpng, giflib), cross-built
# once from Debian's own source packages into a cache folder and reused. zlib
# comes from Debian's libz-mingw-w64-dev. Sourced by scripts/build-windows.
#
# Debian ships none of the three for mingw; their source packages build in
# well under a minute together. The sources are fetched with a private apt
# configuration (its own source list, lists and cache under the work folder),
# so the machine's apt setup is left as it is.

NIMBO_WIN_DEPS_VERSION=1  # raise when the recipe below changes

nimbo_win_deps_fetch() {  # WORK_DIR
  local work="$1" apt
  mkdir -p "$work/apt/sources.d" "$work/apt/lists/partial" "$work/apt/cache/archives/partial" "$work/src"
  cat >"$work/apt/sources.d/debian-src.sources" <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  apt=(-o "Dir::Etc::SourceList=/dev/null" -o "Dir::Etc::SourceParts=$work/apt/sources.d"
       -o "Dir::State::Lists=$work/apt/lists" -o "Dir::Cache=$work/apt/cache"
       -o "APT::Sandbox::User=root")
  apt-get "${apt[@]}" -qq update
  (cd "$work/src" && apt-get "${apt[@]}" -qq source --download-only libjpeg-turbo libpng1.6 giflib)
  # dpkg-source applies Debian's patches (security fixes among them).
  local dsc
  for dsc in "$work"/src/*.dsc; do
    (cd "$work/src" && dpkg-source --no-check -x "$(basename "$dsc")" >/dev/null)
  done
}

nimbo_win_deps_build() {  # PREFIX TOOLCHAIN_FILE [TRIPLE]
  local prefix="$1" toolchain="$2" triple="${3:-x86_64-w64-mingw32}" work
  if [ -f "$prefix/.complete-$NIMBO_WIN_DEPS_VERSION" ]; then
    return 0
  fi
  echo "build-windows: cross-building the codecs into $prefix"
  work="$(mktemp -d)"
  rm -rf "$prefix"
  mkdir -p "$prefix/include" "$prefix/lib"
  nimbo_win_deps_fetch "$work"
  local cc="$triple-gcc-posix"
  local common=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release
                -DCMAKE_INSTALL_PREFIX="$prefix" -DNIMBO_WIN_DEPS="$prefix")

  # libjpeg-turbo: the SIMD parts need nasm and are not worth it here.
  local jpeg; jpeg="$(find "$work/src" -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -1)"
  cmake -S "$jpeg" -B "$work/b-jpeg" "${common[@]}" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
    -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF -Wno-dev >/dev/null
  nice -n 10 cmake --build "$work/b-jpeg" -j 2 --target jpeg-static >/dev/null
  cp "$work/b-jpeg/libjpeg.a" "$prefix/lib/libjpeg.a"
  cp "$jpeg/jpeglib.h" "$jpeg/jmorecfg.h" "$jpeg/jerror.h" "$work/b-jpeg/jconfig.h" "$prefix/include/"

  # libpng against mingw's zlib.
  local png; png="$(find "$work/src" -maxdepth 1 -type d -name 'libpng1.6-*' | head -1)"
  cmake -S "$png" -B "$work/b-png" "${common[@]}" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF \
    -DPNG_EXECUTABLES=OFF -DZLIB_LIBRARY="/usr/$triple/lib/libz.a" \
    -DZLIB_INCLUDE_DIR="/usr/$triple/include" >/dev/null
  nice -n 10 cmake --build "$work/b-png" -j 2 >/dev/null
  cmake --install "$work/b-png" >/dev/null

  # giflib has only a Makefile for the host; its library is eight C files.
  local gif; gif="$(find "$work/src" -maxdepth 1 -type d -name 'giflib-*' | head -1)"
  mkdir -p "$work/b-gif"
  local f
  for f in dgif_lib egif_lib gifalloc gif_err gif_font gif_hash openbsd-reallocarray quantize; do
    nice -n 10 "$cc" -O2 -c "$gif/$f.c" -o "$work/b-gif/$f.o"
  done
  "$triple-ar" rcs "$prefix/lib/libgif.a" "$work"/b-gif/*.o
  cp "$gif/gif_lib.h" "$prefix/include/"

  rm -rf "$work"
  touch "$prefix/.complete-$NIMBO_WIN_DEPS_VERSION"
}
