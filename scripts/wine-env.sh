# shellcheck shell=bash
# The environment for running Torvane.exe and its test programs under Wine. Sourced by
# wine-run.sh, test.sh and run.sh:
#
#   . scripts/wine-env.sh
#   torvane_wine_ensure      # display + prefix + a running wine server; quick the second time
#   wine some.exe
#   torvane_wine_stop        # stops the wine server, and Xvfb if we started it
#
# Overridable: WINEPREFIX (default build/wineprefix), WINEDEBUG, WINEDLLOVERRIDES,
# TORVANE_SCREEN (Xvfb screen, default 1024x768x24).

_torvane_repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

export WINEPREFIX="${WINEPREFIX:-$_torvane_repo/build/wineprefix}"
export WINEARCH=win64
# No debug chatter, and no offer to download Mono or Gecko (there is no network for it).
export WINEDEBUG="${WINEDEBUG:--all}"
# winedbg=d: a test program that crashes ends at once instead of waiting in the crash
# debugger until the time-out.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winedbg.exe=d}"
TORVANE_SCREEN="${TORVANE_SCREEN:-1024x768x24}"

# Wine takes its ANSI code page from the locale: 932 (Shift_JIS) only under a Japanese one.
# The settings file is written in that code page, so the tests need it. A test of another code
# page names its locale in TORVANE_LOCALE (hi_IN.UTF-8 gives 65001, UTF-8; Wine needs no
# generated locale for that).
if [ -n "${TORVANE_LOCALE:-}" ]; then
  export LANG="$TORVANE_LOCALE" LC_ALL="$TORVANE_LOCALE"
elif locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8'; then
  export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
else
  echo "wine-env: locale ja_JP.UTF-8 is missing (scripts/setup.sh generates it);" \
    "Wine will use code page 1252 instead of 932" >&2
fi

# Bookkeeping of what we started (Xvfb's pid and display, the server's display), beside
# the prefix so that each prefix has its own.
TORVANE_WINE_STATE="${TORVANE_WINE_STATE:-$WINEPREFIX.state}"

# Bump when torvane_wine_prefix sets up something new, so old prefixes get it too.
_torvane_prefix_version=1

_torvane_log() { echo "wine-env: $*" >&2; }

_torvane_display_usable() {
  [ -n "${1:-}" ] && xdpyinfo -display "$1" >/dev/null 2>&1
}

# Makes DISPLAY point at a working X server: the caller's own if it works, else an Xvfb
# we started earlier for this prefix, else a new Xvfb on a free display number.
torvane_wine_display() {
  if _torvane_display_usable "${DISPLAY:-}"; then
    export DISPLAY
    return 0
  fi
  local pid_file="$TORVANE_WINE_STATE/xvfb.pid" display_file="$TORVANE_WINE_STATE/xvfb.display"
  if [ -s "$pid_file" ] && [ -s "$display_file" ] && kill -0 "$(cat "$pid_file")" 2>/dev/null &&
    _torvane_display_usable "$(cat "$display_file")"; then
    DISPLAY="$(cat "$display_file")"
    export DISPLAY
    return 0
  fi
  if ! command -v Xvfb >/dev/null; then
    _torvane_log "no usable DISPLAY and no Xvfb: run scripts/setup.sh"
    return 1
  fi
  mkdir -p "$TORVANE_WINE_STATE"
  local fd_file="$TORVANE_WINE_STATE/xvfb.displayfd"
  : >"$fd_file"
  # -displayfd lets the server pick a free display number and tells us when it is ready.
  # Its own session and no inherited output: a test runner waiting for our output to close
  # must not wait for Xvfb too.
  setsid Xvfb -displayfd 9 -screen 0 "$TORVANE_SCREEN" -nolisten tcp -noreset \
    9>"$fd_file" </dev/null >"$TORVANE_WINE_STATE/xvfb.log" 2>&1 &
  local pid=$! tries=0 number=""
  while [ $tries -lt 400 ]; do # up to 20 s
    number="$(tr -dc '0-9' <"$fd_file")"
    [ -n "$number" ] && break
    if ! kill -0 "$pid" 2>/dev/null; then
      _torvane_log "Xvfb exited at once; its log:"
      cat "$TORVANE_WINE_STATE/xvfb.log" >&2
      return 1
    fi
    sleep 0.05
    tries=$((tries + 1))
  done
  if [ -z "$number" ]; then
    _torvane_log "Xvfb did not report a display within 20 s"
    kill "$pid" 2>/dev/null
    return 1
  fi
  echo "$pid" >"$pid_file"
  echo ":$number" >"$display_file"
  DISPLAY=":$number"
  export DISPLAY
  _torvane_log "started Xvfb on $DISPLAY (pid $pid)"
}

# Creates the prefix once: Wine's first start, a virtual desktop named "shell" (without a
# window manager, every hide of a top-level window otherwise stalls and a maximised popup
# is not really shown), and the Marlett font that draws the caption buttons.
torvane_wine_prefix() {
  local marker="$WINEPREFIX/.torvane-prefix"
  if [ -f "$marker" ] && [ "$(cat "$marker")" = "$_torvane_prefix_version" ]; then
    return 0
  fi
  _torvane_log "setting up the Wine prefix $WINEPREFIX (takes a few seconds, once)"
  mkdir -p "$WINEPREFIX"
  # A persistent server of an older set-up would keep the registry from being written back.
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  wineboot -i </dev/null >"$TORVANE_WINE_STATE/wineboot.log" 2>&1 9>&- || {
    _torvane_log "wineboot -i failed; its log:"
    cat "$TORVANE_WINE_STATE/wineboot.log" >&2
    return 1
  }
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d shell /f \
    </dev/null >/dev/null 2>&1 9>&- &&
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /t REG_SZ /d 1024x768 /f \
      </dev/null >/dev/null 2>&1 9>&- || {
    _torvane_log "could not write the virtual desktop's registry keys"
    return 1
  }
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
    cp -f /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
  else
    _torvane_log "marlett.ttf missing (package fonts-wine): caption buttons will draw as letters"
  fi
  # The registry lives in the server's memory until the server exits; let this short-lived
  # one exit now so every later server starts from the settings above.
  wineserver -w >/dev/null 2>&1 || true
  echo "$_torvane_prefix_version" >"$marker"
}

# Keeps one wine server alive for the whole run: without it every process start pays for
# a server start and a desktop start. A server started for another display is replaced,
# since its desktop window lives on that display.
torvane_wine_server() {
  local display_file="$TORVANE_WINE_STATE/wineserver.display"
  if [ -s "$display_file" ] && [ "$(cat "$display_file")" != "$DISPLAY" ]; then
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
  fi
  # Not even the lock's descriptor may be inherited: the server would hold the lock forever.
  # Exit code 0 means a new server; 2, one was running already.
  if wineserver -p </dev/null >/dev/null 2>&1 9>&-; then
    # A new server's first program starts the background services and the desktop
    # process, which stay as long as the server does and inherit that program's output.
    # Start them here with output to nowhere: started by a test, they would hold the test
    # runner's pipe open and it would wait for them until its time-out.
    wine rundll32.exe user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1 9>&- || true
  fi
  echo "$DISPLAY" >"$display_file"
}

# Display, prefix and server, once per prefix and safe to call from parallel test runs.
torvane_wine_ensure() {
  mkdir -p "$TORVANE_WINE_STATE" || return 1
  (
    flock -w 300 9 || {
      _torvane_log "timed out waiting for $TORVANE_WINE_STATE/lock"
      exit 1
    }
    torvane_wine_display && torvane_wine_prefix && torvane_wine_server
  ) 9>"$TORVANE_WINE_STATE/lock" || return 1
  # The subshell found or started the display; take it over here.
  if ! _torvane_display_usable "${DISPLAY:-}"; then
    DISPLAY="$(cat "$TORVANE_WINE_STATE/xvfb.display")"
    export DISPLAY
  fi
}

# Stops the wine server of this prefix, and Xvfb if we started it.
torvane_wine_stop() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  rm -f "$TORVANE_WINE_STATE/wineserver.display"
  local pid_file="$TORVANE_WINE_STATE/xvfb.pid"
  if [ -s "$pid_file" ]; then
    local pid
    pid="$(cat "$pid_file")"
    if kill -0 "$pid" 2>/dev/null && [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = Xvfb ]; then
      kill "$pid" 2>/dev/null || true
    fi
    rm -f "$pid_file" "$TORVANE_WINE_STATE/xvfb.display"
  fi
}
