#!/usr/bin/env bash
# Installs what is missing, builds Bivora with its tests and runs the whole suite.
# BIVORA_SANITIZE=1 builds and runs the same suite with address and UB sanitizers.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/deps.sh"
if [ "${BIVORA_SANITIZE:-0}" = "1" ]; then
  dir="$here/build-sanitize"
  "$here/scripts/build.sh" "$dir" -DBIVORA_BUILD_TESTS=ON -DBIVORA_SANITIZE=ON
else
  dir="$here/build-tests"
  "$here/scripts/build.sh" "$dir" -DBIVORA_BUILD_TESTS=ON
fi
export QT_QPA_PLATFORM=offscreen
cd "$dir"
ctest --output-on-failure --parallel "${BIVORA_JOBS:-2}" --timeout 300
