#!/usr/bin/env bash
# Installs the Windows installer given silently under Wine, in a fresh prefix
# without a display, checks the files, the Start-menu shortcut and the "Apps"
# entry, starts the program through the shortcut, then uninstalls it and
# checks that nothing is left. scripts/test.d/windows.sh runs it.
#   scripts/check-windows-installer.sh vornel-<version>-win64.exe
set -euo pipefail
installer=$(realpath "$1")
export WINEPREFIX
WINEPREFIX=$(mktemp -d /tmp/vornel-installer.XXXXXX)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
cleanup() {
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
fail() {
    echo "installer: $*" >&2
    exit 1
}
{ wineboot --init && wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f &&
    wineserver --wait; } >/dev/null 2>&1

installed="$WINEPREFIX/drive_c/Program Files/Vornel"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Vornel"
apps='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vornel'

wine "$installer" /S
wineserver --wait
for file in vornel.exe vornel-eval.exe vornel-help.html LICENSE Uninstall.exe; do
    [ -f "$installed/$file" ] || fail "$file is not installed"
done
[ -f "$menu/Vornel.lnk" ] || fail "no Start-menu shortcut"
wine reg query "$apps" /v DisplayName 2>/dev/null | grep -q 'Vornel' || fail 'no entry in Apps'
[ "$(wine "$installed/vornel-eval.exe" '1+1' | tr -d '\r')" = 2.000000000000000 ] ||
    fail 'the installed vornel-eval does not work'

# The shortcut starts the program: its first window, the product information,
# shows; the program is then ended.
wine start /unix "$menu/Vornel.lnk" >/dev/null 2>&1 &
started=
for _ in $(seq 1 100); do
    if pgrep -f 'Program Files.Vornel.vornel.exe' >/dev/null; then
        started=yes
        break
    fi
    sleep 0.2
done
[ -n "$started" ] || fail 'the Start-menu shortcut does not start vornel.exe'
wineserver -k
wait || true

wine "$installed/Uninstall.exe" /S
wineserver --wait
# The uninstaller copies itself away and returns at once; give it time.
for _ in $(seq 1 50); do
    [ -e "$installed" ] || break
    sleep 0.2
done
[ ! -e "$installed" ] || fail "left behind: $(ls "$installed")"
[ ! -e "$menu" ] || fail 'the Start-menu folder is left behind'
if wine reg query "$apps" >/dev/null 2>&1; then
    fail 'the Apps entry is left behind'
fi
echo "installer: installs, starts from the Start menu and uninstalls cleanly"
