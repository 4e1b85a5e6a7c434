#!/usr/bin/env bash
# The sprite scene in VANTIX (batched, and each sprite its own draw as before batching) and in
# LÖVE (one draw call per sprite, and hand-batched through one SpriteBatch over an atlas), run
# alternately in rounds; prints each one's median ms a frame and the ratios, by the clock and by
# the CPU time of the whole process (the rasteriser's threads included; steadier when other work
# shares the cores). Beside them, the rasteriser's floor: the scene's quads built once and drawn
# with no per-frame CPU work, which no way of preparing the sprites can go below.
# Usage: bench/sprites_vs_love.sh BUILD_DIR [ROUNDS]   (needs an X display: run under xvfb-run
# -s "-screen 0 1280x720x24"; LÖVE is Debian's "love", installed by hand, not a game dependency)
set -euo pipefail
build=$1
rounds=${2:-3}
here=$(cd "$(dirname "$0")" && pwd)
art=$(mktemp -d)
trap 'rm -rf "$art"' EXIT
export LIBGL_ALWAYS_SOFTWARE=1
"$build/bench/bench_sprites" art "$art"

median() { sort -g | awk '{v[NR]=$1} END {print (NR%2 ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2)}'; }
# Appends "clock cpu" of one run to the file $1.
ms() { awk '{for (i = 1; i < NF; i++) { if ($i == "ms_per_frame") w = $(i + 1); if ($i == "cpu_ms_per_frame") c = $(i + 1) }} END {print w, c}' >>"$1"; }
col() { awk -v c="$1" '{print $c}' "$2" | median; }

for config in "1000 32 200" "5000 32 100" "20000 2 40" "100000 2 10"; do
  set -- $config
  n=$1 px=$2 frames=$3
  : >"$art/vb" >"$art/vs" >"$art/ls" >"$art/lb" >"$art/fl"
  for ((r = 0; r < rounds; r++)); do
    "$build/bench/bench_sprites" scene "$art" "$n" "$px" "$frames" batch | ms "$art/vb"
    "$build/bench/bench_sprites" scene "$art" "$n" "$px" "$frames" single | ms "$art/vs"
    love "$here/love_sprites" "$art" "$n" "$px" "$frames" single | ms "$art/ls"
    love "$here/love_sprites" "$art" "$n" "$px" "$frames" batch | ms "$art/lb"
    "$build/bench/bench_sprites" floor "$art" "$n" "$px" "$frames" | ms "$art/fl"
  done
  for c in 1 2; do
    what=$([ $c = 1 ] && echo "clock" || echo "CPU  ")
    vb=$(col $c "$art/vb") vs=$(col $c "$art/vs") ls=$(col $c "$art/ls") lb=$(col $c "$art/lb")
    fl=$(col $c "$art/fl")
    awk -v n="$n" -v px="$px" -v w="$what" -v vb="$vb" -v vs="$vs" -v ls="$ls" -v lb="$lb" -v fl="$fl" 'BEGIN {
      printf "%6d sprites of %2d px, %s: VANTIX %.2f ms (single draws %.2f ms), LOVE one call a sprite %.2f ms, LOVE hand-batched %.2f ms\n", n, px, w, vb, vs, ls, lb
      printf "        VANTIX / LOVE single = %.2fx (single draws %.2fx), VANTIX / LOVE batched = %.2fx (single draws %.2fx)\n", vb / ls, vs / ls, vb / lb, vs / lb
      printf "        rasteriser floor %.2f ms = %.2fx LOVE batched; VANTIX = floor x %.2f\n", fl, fl / lb, vb / fl
    }'
  done
done
