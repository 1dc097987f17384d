#!/usr/bin/env bash
# Makes docs/screenshot.png: the window with a small sample database, under a virtual display.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"

bash "$top/scripts/setup.sh" imagemagick xdotool
cmake -S "$top" -B "$top/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DQUORVIA_BUILD_TESTS=OFF >/dev/null
cmake --build "$top/build/release" --target quorvia

work=$(mktemp -d)
trap 'kill "${program:-0}" "${server:-0}" 2>/dev/null || true; rm -rf "$work"' EXIT
printf '%s\r\n' "Quorvia" $'\tO;Contacts;7' $'\t\tO;Ann Berg;6' $'\t\t\tT;Phone;+46 70 123 45 67' \
    $'\t\t\tT;Mail;ann@example.com' $'\t\tO;Bo Lind;6' $'\t\t\tT;Phone;+46 8 555 01 02' \
    $'\tO;Notes;9' $'\t\tT;Todo;Buy milk' $'\tO;Places;8' $'\tO;Music;11' > "$work/Quorvia"

display=:77
Xvfb "$display" -screen 0 800x600x24 >/dev/null 2>&1 &
server=$!
sleep 1
(cd "$work" && DISPLAY=$display "$top/build/release/src/app/quorvia" >/dev/null 2>&1) &
program=$!
export DISPLAY=$display
window=""
for _ in $(seq 50); do
    window=$(xdotool search --name "Teslund Quorvia for Nokia 7650" 2>/dev/null | head -1) && break
    sleep 0.2
done
[ -n "$window" ] || { echo "the window did not appear" >&2; exit 1; }
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"
# Open the tree a little with the keyboard: expand the root and Contacts, select an attribute.
xdotool mousemove $((X + 40)) $((Y + 62)) click 1
xdotool key Right Down Right Down Right Down Down
sleep 0.5
mkdir -p "$top/docs"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$top/docs/screenshot.png"
echo "docs/screenshot.png written"
