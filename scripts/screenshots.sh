#!/usr/bin/env bash
# Takes the README's screenshots of the tool: starts it under a virtual X server (Xvfb)
# with a window manager (openbox), against the stand-in controller devsim, drives it with
# xdotool and saves three pictures in docs/:
#
#   docs/window-normal.png      the normal window with the port open
#   docs/window-maximized.png   maximized, with a product of the example project chosen
#                               in the tree and the board's settings read back
#   docs/version-info.png       the Version Information window
#
#   scripts/screenshots.sh [output folder, default docs]
#
# Installs xvfb, openbox, xdotool and imagemagick when missing, and builds the program.
# The tool runs from a folder of its own holding the shipped tables and example project,
# so build/bin is left as it was and the pictures show what the repository ships.
set -euo pipefail
cd "$(dirname "$0")/.."
out="$(realpath -m "${1:-docs}")"
mkdir -p "$out"

bash scripts/install-missing.sh xvfb openbox xdotool imagemagick

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "${SCREENSHOT_BUILD_JOBS:-3}" --target Tolvexan devsim manual

work="$(mktemp -d)"
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# The program folder, with the example project, and port COM4 (the start value) on devsim.
program="$work/program"
mkdir -p "$program/ports" "$work/home"
cp build/bin/Tolvexan build/bin/Tolvexan_UG.PDF "$program/"
cp data/Config.For data/Display.For data/Config.QVR "$program/"
chmod u+w "$program/Config.QVR"

# A programmed board: its image information block at 0x08002400 (offset 1024 of the image).
image="$work/board.BIN"
{
  head -c 1024 /dev/zero | tr '\0' '\377'
  printf '\377\377\377\377%-6s%-30s%-10s' "26129" "SQ-100-2026-0042" "K300Tavrin"
  head -c 974 /dev/zero | tr '\0' '\377'
} >"$image"

display=90
while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
export DISPLAY=":$display"
Xvfb "$DISPLAY" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.2; done
# Openbox with its defaults and one key more, to maximize the window under test.
cat >"$work/openbox.xml" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <keyboard>
    <keybind key="W-Up"><action name="ToggleMaximize"/></keybind>
  </keyboard>
</openbox_config>
EOF
openbox --config-file "$work/openbox.xml" >/dev/null 2>&1 &
pids+=($!)
sleep 1

build/bin/devsim --link "$program/ports/COM4" --image "$image" >/dev/null &
pids+=($!)
for _ in $(seq 50); do [ -e "$program/ports/COM4" ] && break; sleep 0.1; done

export HOME="$work/home" XDG_RUNTIME_DIR="$work"
"$program/Tolvexan" >/dev/null 2>&1 &
pids+=($!)
window="$(timeout 20 xdotool search --sync --onlyvisible --name '^Burning$' | head -1)"
sleep 1

# The window's controls are placed in twips from the top left of the area below the menu
# bar. The menu bar's height is found from the red port lamp, whose centre lies at
# (199, 110) pixels in that area.
lamp_column() {
  import -window "$window" "$work/shot.png"
  convert "$work/shot.png" -crop "1x400+199+0" +repage txt:- | awk -v want="$1" '$0 ~ want {
    split($1, at, "[,:]"); if (first == "") first = at[2]; last = at[2] } END { print first, last }'
}
read -r top bottom <<<"$(lamp_column '#FA0000')"
if [ -z "$top" ]; then
  echo "the port lamp was not found in the window" >&2
  exit 1
fi
menu_bar=$(((top + bottom) / 2 - 110))

# Clicks at a place of the designed layout, given in pixels (twips / 15).
click() {
  xdotool mousemove --window "$window" "$1" "$(($2 + menu_bar))" click "${3:-1}"
  sleep "${4:-0.5}"
}

# Saves window $1 with the window manager's frame into file $2, in few colours.
shoot() {
  import -frame -window "$1" -strip +dither -colors 128 -depth 8 "png8:$2"
}

click 199 52 1 1.5  # "OpenUart"; the link engine starts polling devsim
read -r top _ <<<"$(lamp_column '#00FF00')"
if [ -z "$top" ]; then
  echo "the port did not open" >&2
  exit 1
fi
shoot "$window" "$out/window-normal.png"

xdotool windowactivate --sync "$window" key super+Up
sleep 1.5

click 960 9 1 1       # the first product of the example tree: its stored settings
click 868 401 1 2     # picture 4: send the settings and save them in the board
click 868 273 1 2     # picture 2: read the board's settings back into the grid
xdotool mousemove --window "$window" 700 "$((menu_bar + 190))"
sleep 0.5
shoot "$window" "$out/window-maximized.png"

click 868 601 1 2     # picture 7: read the board's information
info="$(timeout 10 xdotool search --sync --onlyvisible --name '^Version Information$' | head -1)"
sleep 0.5
shoot "$info" "$out/version-info.png"
xdotool windowactivate --sync "$info" key Return 2>/dev/null || true  # "Enter" closes it

ls -l "$out"/window-normal.png "$out"/window-maximized.png "$out"/version-info.png
