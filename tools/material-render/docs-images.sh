#!/usr/bin/env bash
# Draws the renderer's pictures in docs/images with material-render (build
# native-release first). With a second material-render as the first
# argument it draws that one's torus and glass sphere as the "before" half
# of the README's before/after pair.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
render=$root/build/native-release/bin/material-render
out=$root/docs/images
tex=$root/samples/textures

draw() { local name=$1; shift; "$render" "$@" --out "$out/$name.png"; }

draw sphere-plain --sample sphere --diffuse 200,40,30 --gloss 0.7
draw cube-plain --sample cube --diffuse 40,90,180 --gloss 0.4
draw torus-plain --sample torus --diffuse 230,180,40 --gloss 0.8
draw sphere-marble --sample sphere --map marble
draw cube-marble --sample cube --map marble --vein 150,30,30
draw torus-wood --sample torus --map wood
draw sphere-checker --sample sphere --map "$tex/checker.png" --projection sphere
draw cube-bricks --sample cube --map "$tex/bricks.png" --projection box
draw torus-checker --sample torus --map "$tex/checker.png" --projection cylinder --scale 80,40
draw sphere-checker-none --sample sphere --diffuse 60,140,70 --map "$tex/checker.png" --projection planar --tiling none \
  --scale 60,60
draw sphere-checker-mirror --sample sphere --map "$tex/checker.png" --projection planar --tiling mirror --rotation 45 \
  --scale 40,40
draw cube-wood --sample cube --map wood

# The before/after pair: the gold torus, and a glass sphere.
pair() { local renderer=$1 when=$2; shift 2
  "$renderer" --sample torus --diffuse 230,180,40 --gloss 0.8 --size 240 --out "$out/torus-$when.png"
  "$renderer" --sample sphere --diffuse 120,200,255 --specular 40,40,40 --opacity 0.6 --size 240 --out "$out/glass-$when.png"
}
pair "$render" after
if [ $# -ge 1 ]; then
  pair "$1" before
fi
