#!/usr/bin/env bash
# Installs what is missing, builds Bivora and starts it. Arguments go to the program
# (for example two start folders). Without a display it runs under Xvfb, saves a
# screenshot after a few seconds and prints where it is.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/deps.sh"
"$here/scripts/build.sh" "$here/build" -DBIVORA_BUILD_TESTS=OFF
exe="$here/build/src/bivora"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$exe" "$@"
fi

shot="$here/build/screenshot.png"
echo "No display: starting Bivora under Xvfb."
xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  "$0" "${@:2}" &
  pid=$!
  sleep "${BIVORA_SHOT_DELAY:-4}"
  import -window root "$1"
  kill -TERM "$pid"
  wait "$pid" || true
' "$exe" "$shot" "$@"
echo "Screenshot saved to $shot"
