#!/usr/bin/env bash
# The viewer's start-up failures end with a message on Qt's critical log that names the cause and exit code 1,
# never a crash:
#  - without Vulkan support on the window system (Qt's offscreen platform): "Failed to create QVulkanInstance";
#  - a scene file missing, or one that cannot be read as what it should be (shader, model, texture): the file is
#    named. The viewer is copied into a folder of its own with a broken scene beside it and started there.
#   start_failure_test.sh <tavisher> <repository root>
# Runs in the viewer's directory, where the build puts the scene files. Uses DISPLAY when set (scripts/test
# provides one), otherwise a private Xvfb.
set -uo pipefail
viewer=$1
root=$2
scene="$(dirname "$viewer")/scene"

fail() {
  echo "start-failure: FAILED: $*" >&2
  exit 1
}

work=$(mktemp -d "${TMPDIR:-/tmp}/tavisher-start-failure.XXXXXX")
cleanup() {
  if declare -F stop_private_display >/dev/null; then stop_private_display; fi
  rm -rf "$work"
}
trap cleanup EXIT

# expect_failure <what> <expected critical line (an extended regular expression)> <command...>
expect_failure() {
  local what=$1 expected=$2
  shift 2
  local log status
  log=$("$@" 2>&1)
  status=$?
  echo "---- $what ----"
  echo "$log"
  [ "$status" -eq 1 ] || fail "$what: expected exit code 1, got $status"
  grep -Eqx "$expected" <<<"$log" || fail "$what: no message matching '$expected'"
}

expect_failure "no Vulkan on the offscreen platform" "Failed to create QVulkanInstance" \
  env QT_QPA_PLATFORM=offscreen "$viewer"

if [ -z "${DISPLAY:-}" ]; then
  source "$root/scripts/common.sh"
  start_private_display || fail "no X display"
fi
export QT_QPA_PLATFORM=xcb TAVISHER_NO_DIALOGS=1
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  export XDG_RUNTIME_DIR="$work/runtime"
  mkdir -m 0700 "$XDG_RUNTIME_DIR"
fi

# broken_scene <name> <file to break> <how: missing|empty|garbage|faceless>: a copy of the viewer with the scene
# beside it, one file broken; prints the copy's folder.
broken_scene() {
  local dir="$work/$1"
  mkdir -p "$dir/scene"
  cp "$viewer" "$dir/"
  cp "$scene"/multiview-scene.vert.spv "$scene"/multiview-scene.frag.spv "$scene"/cottage.obj \
    "$scene"/cottage_diffuse.png "$dir/scene/"
  case $3 in
    missing) rm "$dir/scene/$2" ;;
    empty) : >"$dir/scene/$2" ;;
    garbage) printf 'this is not what it should be\n' >"$dir/scene/$2" ;;
    faceless) printf 'v 0 0 0\nf 1 2 3\n' >"$dir/scene/$2" ;;
  esac
  echo "$dir"
}

while read -r file how expected; do
  dir=$(broken_scene "$file-$how" "$file" "$how")
  # Started from the folder holding the copy, as well as from elsewhere: both find the broken file.
  expect_failure "$file $how" "$expected" bash -c 'cd "$1" && ./tavisher' _ "$dir"
  expect_failure "$file $how, started elsewhere" "$expected" bash -c 'cd / && "$1/tavisher"' _ "$dir"
done <<'CASES'
multiview-scene.vert.spv empty Cannot load the scene's vertex shader .*scene/multiview-scene\.vert\.spv: .*
multiview-scene.frag.spv garbage Cannot load the scene's fragment shader .*scene/multiview-scene\.frag\.spv: .*
cottage.obj missing Cannot load the scene's model .*scene/cottage\.obj: .*
cottage.obj faceless Cannot load the scene's model .*scene/cottage\.obj: .*
cottage_diffuse.png garbage Cannot load the scene's texture .*scene/cottage_diffuse\.png: .*
cottage_diffuse.png missing Cannot load the scene's texture .*scene/cottage_diffuse\.png: .*
CASES
echo "start-failure: every failure reported and exited with 1"
