# shellcheck shell=bash
# A private Wine prefix for the Windows build's tests, and its server.
# Sourced by scripts/build-windows.
#
# The prefix is made once (wineboot, a few seconds) and reused. 宋体 and its
# relatives are mapped to AR PL UMing CN, the CJK font the Linux build uses,
# so that the dialogs' font renders; Wine's own marlett.ttf gives the caption
# buttons their glyphs. Without a window manager there is no caption bar, so
# Wine draws the windows' frames itself (Decorated=N).

nimbo_wine_reg() {  # FILE: imports a .reg written as UTF-8, as UTF-16LE like regedit wants
  local utf16="$1.utf16"
  { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$1"; } >"$utf16"
  wine regedit /S "$(winepath -w "$utf16" 2>/dev/null)" >/dev/null 2>&1
}

nimbo_wine_prefix() {  # PREFIX: makes it when missing; exports WINEPREFIX
  export WINEPREFIX="$1" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [ -f "$WINEPREFIX/.nimbo-ready" ]; then
    nimbo_wine_caption_font
    return 0
  fi
  echo "build-windows: making the Wine prefix $WINEPREFIX"
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  wineserver -w
  local reg="$WINEPREFIX/nimbo-fonts.reg" f
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    for f in 宋体 SimSun 新宋体 NSimSun; do
      printf '"%s"="AR PL UMing CN"\r\n' "$f"
    done
    printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Decorated"="N"\r\n'
  } >"$reg"
  nimbo_wine_reg "$reg"
  nimbo_wine_caption_font
  wineserver -w
  touch "$WINEPREFIX/.nimbo-ready"
}

# Wine's marlett.ttf (Debian's fonts-wine) draws the caption buttons' glyphs.
nimbo_wine_caption_font() {
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  if [ -f /usr/share/wine/fonts/marlett.ttf ] && [ ! -f "$fonts/marlett.ttf" ]; then
    mkdir -p "$fonts"
    cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
  fi
}

# ctest can hang when the first test program also has to start the server:
# start it first, and end it (with everything in the prefix) afterwards.
nimbo_wine_server_start() {
  wineserver -p
  wine cmd /c exit >/dev/null 2>&1 || true
}

nimbo_wine_server_stop() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
}
