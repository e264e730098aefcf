#!/usr/bin/env bash
# Draws the viewer's icons (128 x 128, transparent background, light strokes for the dark panel) with
# ImageMagick and writes them into app/resources/icons/, where the Qt resource bundle picks them up.
# Re-run it after changing a picture and commit the results.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/app/resources/icons"
mkdir -p "$out"

canvas=(-size 128x128 xc:none)
# No timestamps or other metadata, so re-drawing an unchanged picture changes no bytes.
finish=(-strip -define png:exclude-chunks=date,time)

# Load a stereo image: two offset picture frames, red for the left eye and cyan for the right, with a
# landscape in the front one.
convert "${canvas[@]}" -fill none -strokewidth 6 \
  -stroke '#e04848' -draw "roundrectangle 10,34 90,106 8,8" \
  -stroke '#48d0e0' -draw "roundrectangle 38,18 118,90 8,8" \
  -stroke none -fill '#f0f0f0' -draw "polygon 46,82 70,50 86,68 96,58 112,82" \
  -fill '#ffd040' -draw "circle 60,36 60,44" \
  "${finish[@]}" "$out/stereo3.png"

# Load a model: a shaded cube.
convert "${canvas[@]}" -stroke white -strokewidth 3 -draw "stroke-linejoin round" \
  -fill '#d8d8d8' -draw "polygon 64,12 110,38 64,64 18,38" \
  -fill '#a0a0a0' -draw "polygon 18,38 64,64 64,116 18,90" \
  -fill '#686868' -draw "polygon 64,64 110,38 110,90 64,116" \
  "${finish[@]}" "$out/3D.png"

# Toggle the 3D cursor: three coloured axes with arrow heads around a white hub.
convert "${canvas[@]}" -strokewidth 7 -draw "stroke-linecap round" \
  -stroke '#e04848' -draw "line 48,80 104,80" -stroke none -fill '#e04848' -draw "polygon 120,80 100,68 100,92" \
  -stroke '#58d058' -draw "line 48,80 48,24" -stroke none -fill '#58d058' -draw "polygon 48,8 36,28 60,28" \
  -stroke '#5890f0' -draw "line 48,80 22,106" -stroke none -fill '#5890f0' -draw "polygon 10,118 14,94 34,114" \
  -stroke none -fill white -draw "circle 48,80 48,90" \
  "${finish[@]}" "$out/3Dcursor.png"

# Close: a white cross on a red disc.
convert "${canvas[@]}" -stroke none -fill '#c83232' -draw "circle 64,64 64,10" \
  -stroke white -strokewidth 12 -draw "stroke-linecap round" \
  -draw "line 42,42 86,86" -draw "line 86,42 42,86" \
  "${finish[@]}" "$out/close.png"

# Eye disparity (dragged sideways): two eyes and a double arrow for the distance between them.
convert "${canvas[@]}" -stroke '#303030' -strokewidth 3 -fill white \
  -draw "ellipse 34,74 24,15 0,360" -draw "ellipse 94,74 24,15 0,360" \
  -stroke none -fill '#2a82da' -draw "circle 34,74 34,84" -draw "circle 94,74 94,84" \
  -fill '#101010' -draw "circle 34,74 34,79" -draw "circle 94,74 94,79" \
  -stroke white -strokewidth 5 -draw "line 26,108 102,108" \
  -stroke none -fill white -draw "polygon 10,108 28,98 28,118" -draw "polygon 118,108 100,98 100,118" \
  "${finish[@]}" "$out/b.png"

# Focus plane (dragged up and down): an eye whose two sight lines converge on a plane.
convert "${canvas[@]}" \
  -stroke white -strokewidth 3 -fill '#2a82da80' -draw "polygon 70,26 102,10 102,98 70,114" \
  -stroke '#ffd040' -strokewidth 4 -draw "line 24,52 86,62" -draw "line 24,72 86,62" \
  -stroke none -fill '#ffd040' -draw "circle 86,62 86,68" \
  -stroke '#303030' -strokewidth 3 -fill white -draw "ellipse 20,62 14,11 0,360" \
  -stroke none -fill '#101010' -draw "circle 20,62 20,67" \
  "${finish[@]}" "$out/a.png"

# Application icon: red/cyan stereo glasses on a blue rounded tile.
convert "${canvas[@]}" -stroke none -fill '#2a82da' -draw "roundrectangle 4,4 123,123 24,24" \
  -stroke '#101010' -strokewidth 6 -fill '#e04848' -draw "roundrectangle 12,44 58,86 12,12" \
  -fill '#48d0e0' -draw "roundrectangle 70,44 116,86 12,12" \
  -fill none -draw "line 58,58 70,58" \
  "${finish[@]}" "$out/tavisher.png"
convert "$out/tavisher.png" -define icon:auto-resize=128,64,48,32,16 "$out/tavisher.ico"

echo "icons written to $out"
