#!/usr/bin/env bash
# Regenerates docs/screenshots/*.png from the real windows, under a virtual X server with the
# IPA Gothic font: scripts/screenshots.sh [BUILD_DIR] (default build-screenshots; an existing
# build tree is reused).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dir="${1:-$root/build-screenshots}"
cd "$root"
bash scripts/setup.sh
if [ -f "$dir/CMakeCache.txt" ]; then
  cmake --build "$dir" --target tilka-screenshots
else
  TILKA_TARGETS=tilka-screenshots bash scripts/build.sh "$dir" -DTILKA_TESTS=OFF
fi

runtime="$(mktemp -d)"
trap 'rm -rf "$runtime"' EXIT
XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=xcb \
  xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" \
  "$dir/tools/tilka-screenshots" "$root/docs/screenshots"
