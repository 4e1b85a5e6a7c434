#!/usr/bin/env bash
# A screenshot tour of the game: runs the built game under Xvfb once per screen (the splash, the
# main menu, levels, the pause screen, the victory screen) and saves each picture in a folder
# (out/tour/ unless given). Build first (tools/run.sh or /work/bin/vbuild build --target VANTIX).
#   tools/tour.sh [folder]
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
OUT=$(realpath -m "${1:-$ROOT/out/tour}")
GAME="$ROOT/build/VANTIX"
[ -x "$GAME" ] || { echo "No game at $GAME: build it first." >&2; exit 1; }
mkdir -p "$OUT"
export LIBGL_ALWAYS_SOFTWARE=1 ALSOFT_DRIVERS=${ALSOFT_DRIVERS:-null} SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

# shot <picture name> <level file, empty for the splash> <seconds before the picture>
shot() {
  local name=$1 level=$2 seconds=$3
  (cd "$ROOT/data" && VANTIX_START_LEVEL="$level" VANTIX_SCREENSHOT="$OUT/$name.png" \
    VANTIX_EXIT_AFTER_SECONDS="$seconds" \
    xvfb-run -a -s "-screen 0 1280x720x24" "$GAME" >"$OUT/$name.log" 2>&1) || true
  if [ -f "$OUT/$name.png" ]; then echo "saved $OUT/$name.png"; else echo "no picture for $name (see $OUT/$name.log)"; fi
}

shot splash "" 1.5
shot menu MainMenu.level 1
shot level02 Level02.level 1
shot level06 Level06.level 1
# The pause screen over a level: Escape is pressed through the X server once the level is up.
pause_shot() {
  local name=pause
  (cd "$ROOT/data" && VANTIX_START_LEVEL=Level03.level VANTIX_SCREENSHOT="$OUT/$name.png" \
    VANTIX_EXIT_AFTER_SECONDS=3 xvfb-run -a -s "-screen 0 1280x720x24" \
    bash -c '"$0" & game=$!; sleep 2; xdotool search --name VANTIX windowfocus --sync key --delay 100 Escape; wait $game' "$GAME" \
    >"$OUT/$name.log" 2>&1) || true
  if [ -f "$OUT/$name.png" ]; then echo "saved $OUT/$name.png"; else echo "no picture for $name (see $OUT/$name.log)"; fi
}

shot victory Victory.level 1
if command -v xdotool >/dev/null; then pause_shot; else echo "no pause picture: xdotool is missing"; fi
