# Environment of the project's Wine: sourced by the scripts that run Windows programs.
# HORAVOX_WINEPREFIX: the prefix (default: build/win/wineprefix in the checkout).
# HORAVOX_CAPTURE: when set, everything played goes to this file as raw samples.
_horavox_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${HORAVOX_WINEPREFIX:-$_horavox_root/build/win/wineprefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono/Gecko install prompts, no desktop menu entries.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml=;winemenubuilder.exe=d"}
# Windows sees code page 1251, as on a Russian user's machine; needs the ru_RU.UTF-8 locale.
if locale -a 2>/dev/null | grep -qi '^ru_RU\.utf8$'; then export LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8; fi
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
if [ -n "${HORAVOX_CAPTURE:-}" ]; then
  # The default ALSA device appends what is played to $HORAVOX_CAPTURE; the user's own
  # ALSA settings are left alone (this file is loaded after the system's).
  export ALSA_CONFIG_PATH=/usr/share/alsa/alsa.conf:$_horavox_root/tools/alsa-capture.conf
fi

# The prefix's own settings; raise the version when they change, so existing prefixes
# take them on at their next use.
_horavox_prefix_version=4
horavox_wine_prefix_ready() {
  [ "$(cat "$WINEPREFIX/.horavox-ready" 2>/dev/null)" = "$_horavox_prefix_version" ] && return 0
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ "$(cat "$WINEPREFIX/.horavox-ready" 2>/dev/null)" != "$_horavox_prefix_version" ]; then
      if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "wine-run: creating the Wine prefix $WINEPREFIX (once)" >&2
        DISPLAY= "$WINE" wineboot -i >/dev/null 2>&1 || true
        "$WINESERVER" -w
      fi
      "$WINE" reg add 'HKCU\Software\Wine\Drivers' /v Audio /d alsa /f >/dev/null 2>&1
      "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
      # No window manager under Xvfb: Wine manages the windows itself (and does not wait for
      # a window manager to withdraw a hidden window).
      "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
      # "Arial" (labels' turned and filled captions) is not installed: a TrueType look-alike.
      "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d 'Liberation Sans' /f >/dev/null 2>&1
      # The faces the forms name (Tahoma) and the caption buttons' glyphs (Marlett): Wine
      # ships them (fonts-wine) but a prefix does not find them where they lie, so a form's
      # "Tahoma" would come out as a wider face and its captions would be cut.
      mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
      for font in tahoma.ttf tahomabd.ttf marlett.ttf; do
        if [ -f "/usr/share/wine/fonts/$font" ]; then
          cp -f "/usr/share/wine/fonts/$font" "$WINEPREFIX/drive_c/windows/Fonts/$font"
        fi
      done
      "$WINESERVER" -w
      echo "$_horavox_prefix_version" > "$WINEPREFIX/.horavox-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
}
