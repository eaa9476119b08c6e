#!/bin/sh
# wine-run.sh PREFIX PROGRAM.exe [ARGUMENT]...
# Runs a Windows program under Wine in the Wine prefix PREFIX, creating the
# prefix on first use. No display is used: windows are made by Wine's null
# graphics driver, so the window tests drive vornel.exe by its messages without
# an X server. Wine's own messages are off, and the installers for .NET and the
# HTML engine are never offered. A program that crashes writes its backtrace to
# standard error and ends, rather than waiting on a crash dialog that no one
# sees (a window left hanging blocks every later test that sends a message to
# all windows). Standard input, output, error and the exit
# status are the program's.
set -eu
prefix=$1
shift
# Without a locale of its own the command line would be read as ASCII.
export LANG="${LANG:-C.UTF-8}"
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
if [ ! -f "$prefix/.test-prefix" ]; then
    mkdir -p "$prefix"
    # Two tests may start at once; only one of them sets the prefix up.
    flock "$prefix/.setup.lock" sh -c '
        [ -f "$WINEPREFIX/.test-prefix" ] && exit 0
        { [ -f "$WINEPREFIX/system.reg" ] || wineboot --init
          wine reg add "HKCU\\Software\\Wine\\Drivers" /v Graphics /d null /f &&
          wine reg add "HKCU\\Software\\Wine\\WineDbg" /v ShowCrashDialog /t REG_DWORD /d 0 /f &&
          wineserver --wait; } >/dev/null 2>&1 &&
        touch "$WINEPREFIX/.test-prefix"'
fi
# The server stays up for a while after the last program ends. Without that,
# every program starts Wine's services anew, and one that starts while the
# server is shutting down fails ("recvmsg: Connection reset by peer"). The
# call that starts the server also starts the services, away from the
# caller's output: a service that held a test's output open would keep the
# test waiting until the server ends.
flock -o "$prefix/.server.lock" sh -c '
    wineserver -p30 && wine cmd /c exit || true' </dev/null >/dev/null 2>&1
exec wine "$@"
