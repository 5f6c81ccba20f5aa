# scripts/wine-env.sh: sourced by the scripts that run the Windows plug-ins
# under wine (run-tests.sh, bench-windows.sh, windows-screenshot.sh).
#
#   wine_prepare BUILD   exports WINEPREFIX=BUILD/wineprefix and wine's quiet
#                        settings, makes the prefix if it is not ready yet
#                        (about 10 s, once) and keeps wine's server running
#                        until wine_finish; fails with the reason on stderr
#                        when this machine cannot run 64-bit Windows programs
#   wine_finish          stops wine's server (and so every wine program left)
#
# The prefix gets wine's own fonts (its Tahoma: Debian's wine does not find
# them where it installs them) and unmanaged windows (wine then closes a
# top-level window at once instead of waiting for a window manager). Every
# wine call is bounded by `timeout`: a wine that hangs must not hang the run.

wine_prepare() {
  local build=$1
  export WINEPREFIX="$PWD/$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if ! command -v wine >/dev/null || ! command -v wineserver >/dev/null; then
    echo "wine is not installed (scripts/install-deps.sh installs it)" >&2
    return 1
  fi
  if [ ! -f "$WINEPREFIX/.velmora-ready" ]; then
    # A half-made prefix (a run stopped while making it) may still have its
    # server running, which would live on bound to the removed folder.
    [ -d "$WINEPREFIX" ] && timeout 60 wineserver -k >/dev/null 2>&1
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    local log="$build/wineprefix.log"
    if ! timeout 300 wineboot -i >"$log" 2>&1 || ! timeout 120 wineserver -w >>"$log" 2>&1; then
      echo "wine cannot make a prefix here: $(grep -m1 . "$log" || echo "wineboot failed")" >&2
      return 1
    fi
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    if ! timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >>"$log" 2>&1; then
      echo "wine cannot run a 64-bit Windows program here: $(tail -1 "$log")" >&2
      return 1
    fi
    touch "$WINEPREFIX/.velmora-ready"
  fi
  # A server that stays up between the programs saves a second on each.
  timeout 60 wineserver -p >/dev/null 2>&1 &
}

wine_finish() {
  [ -n "${WINEPREFIX:-}" ] && timeout 60 wineserver -k >/dev/null 2>&1
  return 0
}
