#!/usr/bin/env bash
# Takes screenshots of the Windows program vornel.exe under Wine on a virtual
# X display with openbox: the product information window, the main window
# after evaluating A*B+1 with F9, the box and the mark of the failure of 1/0,
# Explain on an If block, a result line longer than its rows (and its last
# message reached by Tab), and the About
# window. Needs xvfb, openbox,
# xdotool, imagemagick and wine; builds nothing itself.
#   scripts/screenshot-windows.sh [path/to/vornel.exe] [output-folder]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
program=${1:-$root/build/mingw/bin/vornel.exe}
output=${2:-$root/docs/windows}
display=:$((80 + RANDOM % 9))
mkdir -p "$output"
export WINEPREFIX=${WINEPREFIX:-$root/build/mingw/wine-display} WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
app=
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null
    wineserver -k 2>/dev/null || true
    kill "$wm" "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=$display
sleep 1
openbox >/dev/null 2>&1 &
wm=$!
[ -f "$WINEPREFIX/system.reg" ] || { wineboot --init && wineserver --wait; } >/dev/null 2>&1

wine "$program" >/dev/null 2>&1 &
app=$!

# The product information window comes first; its OK button is the default.
dialog=$(xdotool search --sync --onlyvisible --name '^Vornel$' | head -n 1)
sleep 1
import -window "$dialog" "$output/product-information.png"
xdotool windowactivate --sync "$dialog" key Return
sleep 1
window=$(xdotool search --sync --onlyvisible --name '^Vornel$' | head -n 1)
xdotool windowactivate --sync "$window"
# The formula box has the focus: select all of it and type over it.
xdotool key ctrl+a
xdotool type --delay 30 'A*B+1'
xdotool key F9
sleep 1
import -window "$window" "$output/main.png"
xdotool key ctrl+a
xdotool type --delay 30 '1/0'
xdotool key F9
box=$(xdotool search --sync --onlyvisible --name '^Error Number-11$' | head -n 1)
sleep 0.5
import -window "$box" "$output/failure-box.png"
xdotool windowactivate --sync "$box" key Return
sleep 1
import -window "$window" "$output/failure-mark.png"
# Explain (Shift+F9) on an If block: the verdicts and the shaded branch.
xdotool key ctrl+a
xdotool type --delay 20 'If (A>100) Then'
xdotool key Return
xdotool type --delay 20 '  A*2'
xdotool key Return
xdotool type --delay 20 'Else'
xdotool key Return
xdotool type --delay 20 '  B+C'
xdotool key Return
xdotool type --delay 20 'EndIf'
xdotool key shift+F9
sleep 1
import -window "$window" "$output/explain.png"
# Notes enough for more than the result line's two rows.
xdotool key ctrl+a
xdotool type --delay 20 '1^2^3^4^5^6 Thud'
xdotool key F9
sleep 1
import -window "$window" "$output/result-line.png"
# Tab onto the result line and through its messages to the last, which the
# line moves up to show.
xdotool key Tab
for _ in 1 2 3 4 5 6; do xdotool key Tab; done
sleep 0.5
import -window "$window" "$output/result-line-keys.png"
xdotool key alt+h
sleep 0.5
xdotool key Down Return
about=$(xdotool search --sync --onlyvisible --name '^About Vornel$' | head -n 1)
sleep 1
import -window "$about" "$output/about.png"
xdotool key Escape
echo "wrote product-information.png, main.png, failure-box.png, failure-mark.png, explain.png, result-line.png, result-line-keys.png and about.png to $output"
