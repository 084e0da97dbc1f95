# Sourced by the benchmark scripts inside their virtual display: a private work folder ($work), a home and
# runtime folder of its own, no proxy from outside, and every process in $pids stopped at exit.
#   . scripts/bench-env.sh NAME
work="$(mktemp -d "/tmp/skycaster-$1.XXXXXX")"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export TMPDIR="$work/tmp" XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config" HOME="$work/home"
export LANG=C.UTF-8 TZ=Asia/Tokyo
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY no_proxy NO_PROXY all_proxy ALL_PROXY
mkdir -p "$TMPDIR" "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" "$HOME"
chmod 700 "$XDG_RUNTIME_DIR"
