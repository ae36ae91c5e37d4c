#!/usr/bin/env bash
# Runs a window program on a virtual X display and captures the whole screen, so that a
# window can be looked at (with its window-manager-less frame) on a machine without one.
#
#   tools/screenshot.sh OUT.png [DELAY_SECONDS] -- COMMAND [ARGS...]
#
# Example:
#   tools/screenshot.sh /tmp/box.png 2 -- build/tools/showbox "Lexorama" "Bonjour" 48
#
# The command is started under xvfb-run (1024x768, 24-bit), the screen is captured with
# ImageMagick's `import` after DELAY_SECONDS (default 2), then the command is ended.
# Needs xvfb (installed by scripts/setup.sh) and ImageMagick, which is for developers
# only:  apt-get install -y imagemagick
# For a window grab without a display, showbox --screenshot FILE is enough.
set -euo pipefail

if [ $# -lt 3 ]; then
  sed -n '2,14p' "$0" >&2
  exit 2
fi
out=$1; shift
delay=2
if [ "$1" != "--" ]; then delay=$1; shift; fi
[ "${1:-}" = "--" ] && shift
command -v import >/dev/null || { echo "ImageMagick's import is missing: apt-get install -y imagemagick" >&2; exit 1; }
out=$(realpath -m "$out")

inner=$(mktemp)
trap 'rm -f "$inner"' EXIT
cat > "$inner" <<'INNER'
#!/usr/bin/env bash
out=$1; delay=$2; shift 2
"$@" &
pid=$!
sleep "$delay"
import -window root "$out"
status=$?
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
exit $status
INNER
chmod +x "$inner"
xvfb-run -a -s "-screen 0 1024x768x24" "$inner" "$out" "$delay" "$@"
echo "saved $out"
