#!/usr/bin/env bash
# Configures and builds one tree: scripts/build.sh BUILD_DIR [extra cmake arguments...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dir="$1"
shift
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@" >/dev/null
# TILKA_TARGETS, when set, names the only targets to build.
targets=()
for t in ${TILKA_TARGETS:-}; do targets+=(--target "$t"); done
cmake --build "$dir" -j "$(nproc)" "${targets[@]}"
