#!/usr/bin/env bash
# Starts the real viewer on an X display, checks the window and its "Camera" dock in a screenshot, asks for
# full screen with Alt+Return and back with Escape, closes the window the way a window manager would, and
# expects exit code 0 and a log free of warnings and errors.
#   end_to_end_test.sh <tavisher> <x11_test_helper> <repository root>
# Runs in the viewer's directory. Uses DISPLAY when set (scripts/test provides one), otherwise a private Xvfb.
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

"$viewer" >"$log" 2>&1 &
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

sleep 1 # let the first paint land
check_viewer_picture "$shots/started.png"

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

press_until_state alt+Return add
press_until_state Escape remove
kill -0 "$viewer_pid" 2>/dev/null || fail "the viewer died after the full-screen keys"
check_viewer_picture "$shots/after-full-screen.png"

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

if grep -Eqi 'warn|error|critical|fail|validation' "$log"; then
  fail "the log is not clean"
fi
echo "end-to-end: viewer started, showed its dock, went full screen and back, and closed with exit code 0"
