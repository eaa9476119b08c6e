#!/usr/bin/env bash
# Takes docs/window.png: starts the calculator on a virtual X display, closes
# the product information window, evaluates the formula and captures the main
# window. Needs xvfb, xdotool and imagemagick; builds nothing itself.
#   scripts/screenshot.sh [path/to/vornel] [output.png]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
program=${1:-$root/build/dev/bin/vornel}
output=${2:-$root/docs/window.png}
display=:$((90 + RANDOM % 9))

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$app" "$xvfb" 2>/dev/null || true' EXIT
export DISPLAY=$display
sleep 1

"$program" >/dev/null 2>&1 &
app=$!

# The product information window comes first; its OK button is the default.
dialog=$(xdotool search --sync --onlyvisible --name '^Vornel$' | head -n 1)
xdotool windowfocus --sync "$dialog" key Return
sleep 1
window=$(xdotool search --sync --onlyvisible --name '^Vornel$' | head -n 1)
# "=" sits at 452,16 (81 x 25) in the keypad band, 224 pixels below the menu bar.
menu_bar=$(( $(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: [0-9]*x//p') - 362 ))
xdotool mousemove --window "$window" 492 $((menu_bar + 224 + 28)) click 1
sleep 0.5
import -window "$window" "$output"
echo "wrote $output"
