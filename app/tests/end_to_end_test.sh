#!/usr/bin/env bash
# Starts the real viewer on an X display from a working directory without its scene (it finds the files beside
# itself), checks the window, its "Camera" dock and the cottage in a screenshot, turns the view by dragging,
# zooms with the wheel and drags both value buttons of the dock (each changes the picture), asks for full screen
# with Alt+Return and back with Escape, resizes the window (to a tiny one too), lets it render at least 300
# frames, closes the window the way a window manager would, and expects exit code 0 and a log free of
# warnings, errors and validation messages (the validation layer runs with synchronization validation).
#   end_to_end_test.sh <tavisher> <x11_test_helper> <repository root>
# Uses DISPLAY when set (scripts/test provides one), otherwise a private Xvfb.
set -euo pipefail
viewer=$1
helper=$2
root=$3

fail() {
  echo "end-to-end: FAILED: $*" >&2
  if [ -s "${log:-}" ]; then
    echo "---- viewer log ----" >&2
    cat "$log" >&2
  fi
  exit 1
}

work=$(mktemp -d "${TMPDIR:-/tmp}/tavisher-e2e.XXXXXX")
viewer_pid=""
watcher_pid=""
cleanup() {
  [ -n "$viewer_pid" ] && kill "$viewer_pid" 2>/dev/null || true
  [ -n "$watcher_pid" ] && kill "$watcher_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  if declare -F stop_private_display >/dev/null; then stop_private_display; fi
  rm -rf "$work"
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then
  source "$root/scripts/common.sh"
  start_private_display
fi
export QT_QPA_PLATFORM=xcb
export VK_INSTANCE_LAYERS=VK_LAYER_KHRONOS_validation
export VK_LAYER_ENABLES=VK_VALIDATION_FEATURE_ENABLE_SYNCHRONIZATION_VALIDATION_EXT
export TAVISHER_NO_DIALOGS=1
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  export XDG_RUNTIME_DIR="$work/runtime"
  mkdir -m 0700 "$XDG_RUNTIME_DIR"
fi

shots="$PWD/end-to-end"
mkdir -p "$shots"
log="$work/viewer.log"
states="$work/states.txt"

# Hears the full-screen requests the viewer sends to the (absent) window manager.
"$helper" watch-state >"$states" &
watcher_pid=$!
for _ in $(seq 50); do grep -q '^watching$' "$states" && break; sleep 0.1; done
grep -q '^watching$' "$states" || fail "the state watcher did not start"

# Started elsewhere: the scene files are found beside the viewer.
(cd "$work" && exec "$viewer") >"$log" 2>&1 &
viewer_pid=$!

# The main window is the viewer's visible top-level of 1920 x 1080 (the Vulkan view is a child window).
window=""
for _ in $(seq 120); do
  kill -0 "$viewer_pid" 2>/dev/null || fail "the viewer exited during start-up"
  for candidate in $(xdotool search --onlyvisible --pid "$viewer_pid" 2>/dev/null || true); do
    eval "$(xdotool getwindowgeometry --shell "$candidate")"
    if [ "$WIDTH" = 1920 ] && [ "$HEIGHT" = 1080 ]; then window=$candidate; fi
  done
  [ -n "$window" ] && break
  sleep 0.5
done
[ -n "$window" ] || fail "no 1920 x 1080 window appeared"
title=$(xdotool getwindowname "$window")
[ "$title" = "Tavisher Demo" ] || fail "window title is '$title'"

# Counts, in the screenshot's right strip (where the dock sits), the panel buttons: the most runs of at
# least 60 rows of the buttons' frame grey found in one column.
count_buttons() {
  convert "$1" -crop 240x1080+1680+0 +repage txt:- | awk '
    NR > 1 {
      split($1, xy, /[,:]/); x = xy[1]; colour = $3
      if (colour == "#8F8F91") { run[x]++ } else { if (run[x] >= 60) runs[x]++; run[x] = 0 }
    }
    END { best = 0; for (x in runs) if (runs[x] > best) best = runs[x]; print best }'
}
pixel() {
  convert "$1" -format "%[hex:p{$2,$3}]" info:
}
count_colour() {
  convert "$1" -crop 240x1080+1680+0 +repage txt:- | grep -c " #$2 " || true
}
check_viewer_picture() {
  local shot=$1
  import -window root "$shot"
  local buttons
  buttons=$(count_buttons "$shot")
  [ "$buttons" = 6 ] || fail "$shot: expected the dock's 6 buttons, found $buttons"
  # The dock's background is the dark palette's window colour.
  [ "$(pixel "$shot" 1915 1075)" = 353535 ] || fail "$shot: dock background is #$(pixel "$shot" 1915 1075)"
  # The close button's red disc.
  local red
  red=$(count_colour "$shot" C83232)
  [ "$red" -gt 3000 ] || fail "$shot: the close icon is missing ($red red pixels)"
}

# The view: left of the dock, inside the window.
view_crop=1500x1000+40+40
# Pixels of the view that differ from its background (the clear colour, seen in its top-left corner).
scene_pixels() {
  local background
  background=$(pixel "$1" 5 5)
  convert "$1" -crop $view_crop +repage -fuzz 4% -fill black -opaque "#$background" -fill white +opaque black \
    -format '%[fx:round(mean*w*h)]' info:
}
# Takes screenshots until the view differs from the one in $1 (the screen follows a change within frames).
expect_view_change() {
  local before=$1 after=$2 what=$3 changed
  for _ in $(seq 40); do
    kill -0 "$viewer_pid" 2>/dev/null || fail "the viewer died: $what"
    import -window root "$after"
    # ImageMagick's policy refuses /dev/fd paths: the crops go through files.
    convert "$before" -crop $view_crop +repage "$work/before-crop.png"
    convert "$after" -crop $view_crop +repage "$work/after-crop.png"
    changed=$(compare -metric AE -fuzz 2% "$work/before-crop.png" "$work/after-crop.png" null: 2>&1 || true)
    [ "${changed%%[^0-9]*}" -gt 500 ] 2>/dev/null && return 0
    sleep 0.5
  done
  fail "$what did not change the picture ($changed pixels differ)"
}

# The first paint lands between engine frames, which take a second or more on a software rasteriser with the
# validation layer on.
for _ in $(seq 120); do
  import -window root "$shots/started.png"
  [ "$(count_buttons "$shots/started.png")" = 6 ] && break
  kill -0 "$viewer_pid" 2>/dev/null || fail "the viewer exited before its first paint"
  sleep 0.5
done
check_viewer_picture "$shots/started.png"
# The cottage: the first frames may still show the background only.
for _ in $(seq 60); do
  cottage=$(scene_pixels "$shots/started.png")
  [ "$cottage" -gt 5000 ] && break
  sleep 0.5
  import -window root "$shots/started.png"
done
[ "$cottage" -gt 5000 ] || fail "the view shows no cottage ($cottage pixels differ from the background)"

# Drags with the left button as a hand does, in steps. Qt merges the pointer moves that queue up while a frame is
# drawn (a frame takes seconds on a software rasteriser with validation on), and the camera takes the first move
# after a press as its starting point: each step waits for a frame to pass.
drag() {
  local x=$1 y=$2 stepx=$3 stepy=$4
  xdotool mousemove "$x" "$y" mousedown 1
  for step in 1 2 3; do
    sleep 2
    xdotool mousemove $((x + step * stepx)) $((y + step * stepy))
  done
  sleep 2
  xdotool mouseup 1
}

# Dragging in the view turns the camera.
drag 700 500 30 10
expect_view_change "$shots/started.png" "$shots/dragged.png" "dragging in the view"
# The wheel moves the camera nearer.
xdotool mousemove 700 500 click --repeat 5 4
expect_view_change "$shots/dragged.png" "$shots/zoomed.png" "the mouse wheel"

# The dock's value buttons: the fourth button sets the eye disparity (dragged sideways), the fifth the focus
# plane (dragged up and down). Their centres, from the runs of frame grey in the dock.
button_centres() {
  convert "$1" -crop 240x1080+1680+0 +repage txt:- | awk '
    NR > 1 {
      split($1, xy, /[,:]/); x = xy[1]; y = xy[2]; colour = $3
      if (colour == "#8F8F91") { if (run[x] == 0) start[x] = y; run[x]++ }
      else { if (run[x] >= 60) { n[x]++; mid[x, n[x]] = int((start[x] + y) / 2) } run[x] = 0 }
    }
    END {
      best = ""; for (x in n) if (best == "" || n[x] > n[best] || (n[x] == n[best] && x + 0 < best + 0)) best = x
      for (i = 1; i <= n[best]; i++) print 1680 + best + 64, mid[best, i]
    }'
}
mapfile -t centres < <(button_centres "$shots/zoomed.png")
[ "${#centres[@]}" = 6 ] || fail "expected 6 button centres, found ${#centres[@]}"
read -r dx dy <<<"${centres[3]}"
drag "$dx" "$dy" 20 0
expect_view_change "$shots/zoomed.png" "$shots/disparity.png" "dragging the eye disparity button"
read -r fx fy <<<"${centres[4]}"
drag "$fx" "$fy" 0 -25
expect_view_change "$shots/disparity.png" "$shots/focus.png" "dragging the focus plane button"

state_requested() {
  grep -qi "^$(printf '0x%x' "$window") $1 _NET_WM_STATE_FULLSCREEN$" "$states"
}
# Sends a key to the focused main window until the viewer asks for the expected full-screen change (the
# focus is set again on each try, in case another client took it meanwhile).
press_until_state() {
  local key=$1 action=$2
  for _ in 1 2 3; do
    xdotool windowfocus "$window"
    sleep 0.3
    xdotool key "$key"
    for _ in $(seq 30); do
      state_requested "$action" && return 0
      sleep 0.1
    done
  done
  fail "no '$action full screen' request after $key; requests seen: $(grep -v '^watching$' "$states" | tr '\n' ';')"
}

# The pointer leaves the dock: a hovered button wears a red frame.
xdotool mousemove 700 900
press_until_state alt+Return add
press_until_state Escape remove
kill -0 "$viewer_pid" 2>/dev/null || fail "the viewer died after the full-screen keys"
for _ in $(seq 20); do
  import -window root "$shots/after-full-screen.png"
  [ "$(count_buttons "$shots/after-full-screen.png")" = 6 ] && break
  sleep 0.5
done
check_viewer_picture "$shots/after-full-screen.png"

# Smaller, tiny (Qt keeps what the dock needs), and back to the full size: the swapchain follows each extent.
for size in "1200 700" "1 1" "1920 1080"; do
  xdotool windowsize "$window" $size
  sleep 1
  kill -0 "$viewer_pid" 2>/dev/null || fail "the viewer died after resizing to $size"
done
# The swapchain and the eye target are made again at the full size, then the next frames land.
for _ in $(seq 60); do
  import -window root "$shots/resized-back.png"
  [ "$(scene_pixels "$shots/resized-back.png")" -gt 5000 ] && break
  kill -0 "$viewer_pid" 2>/dev/null || fail "the viewer died after the resizes"
  sleep 0.5
done
[ "$(scene_pixels "$shots/resized-back.png")" -gt 5000 ] || fail "no cottage after the resizes"

# The viewer says every 300 frames how many it rendered. Four-sample frames of the full window take seconds on a
# software rasteriser under the validation layer; a smaller window renders the 300 frames in reasonable time.
xdotool windowsize "$window" 800 500
for _ in $(seq 600); do
  grep -Eq '\] [0-9]+ frames, [0-9.]+ frames per second' "$log" && break
  kill -0 "$viewer_pid" 2>/dev/null || fail "the viewer died while rendering"
  sleep 0.5
done
grep -Eq '\] [0-9]+ frames, [0-9.]+ frames per second' "$log" || fail "no report of 300 rendered frames"

"$helper" close "$window"
status=""
for _ in $(seq 150); do
  if ! kill -0 "$viewer_pid" 2>/dev/null; then
    status=0
    wait "$viewer_pid" || status=$?
    viewer_pid=""
    break
  fi
  sleep 0.1
done
[ -n "$status" ] || fail "the viewer did not exit after the close request"
[ "$status" = 0 ] || fail "the viewer exited with $status"

# The renderer warns, by design, each time the offscreen eye target follows a new window size.
if grep -v '\[warning\] .* SURFACE EXTENT HAS CHANGED FROM [0-9]*, [0-9]* TO [0-9]*, [0-9]*$' "$log" |
  grep -Eqi 'warn|error|critical|fail|validation'; then
  fail "the log is not clean"
fi
echo "end-to-end: viewer started elsewhere, showed its dock and the cottage, followed drag, wheel and both value" \
  "buttons, went full screen and back, followed resizes, rendered 300 frames and closed with exit code 0"
