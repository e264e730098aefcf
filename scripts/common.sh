# Shared by scripts/test, scripts/run and scripts/bench: configure + build, and a private X server.
# Source it; it expects `root` to be the repository root.

build_dir="${TAVISHER_BUILD_DIR:-$root/build}"

configure_and_build() {
  local jobs
  jobs=$(nproc 2>/dev/null || echo 2)
  if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
  fi
  cmake --build "$build_dir" --parallel "$jobs"
}

# Starts Xvfb on a free display number and a private XDG_RUNTIME_DIR; both are torn down by
# stop_private_display (installed as an EXIT trap by the callers).
xvfb_pid=""
private_runtime_dir=""
start_private_display() {
  private_runtime_dir=$(mktemp -d "${TMPDIR:-/tmp}/tavisher-runtime.XXXXXX")
  chmod 0700 "$private_runtime_dir"
  export XDG_RUNTIME_DIR="$private_runtime_dir"

  local display_file="$private_runtime_dir/display"
  # -displayfd makes Xvfb choose a free display and write its number once it accepts connections.
  # -noreset: without it the server resets whenever its last client leaves and refuses connections meanwhile.
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3>"$display_file" >"$private_runtime_dir/xvfb.log" 2>&1 &
  xvfb_pid=$!
  local tries=0
  while [ ! -s "$display_file" ]; do
    if ! kill -0 "$xvfb_pid" 2>/dev/null || [ $tries -ge 100 ]; then
      echo "could not start Xvfb:" >&2
      cat "$private_runtime_dir/xvfb.log" >&2
      return 1
    fi
    sleep 0.1
    tries=$((tries + 1))
  done
  export DISPLAY=":$(head -n1 "$display_file")"
  export QT_QPA_PLATFORM=xcb
}

stop_private_display() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
  fi
  if [ -n "$private_runtime_dir" ]; then
    rm -rf "$private_runtime_dir"
    private_runtime_dir=""
  fi
}
