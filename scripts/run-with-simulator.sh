#!/usr/bin/env bash
# Sets up, builds and starts Tilka wired to the simulated adapter as COM1.
# The phone book and call log tables are kept in ./demo; the adapter's commands are printed here.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash scripts/setup.sh
bash scripts/build.sh build -DTILKA_TESTS=OFF

bin="$root/build/src"
rm -f "$bin/COM1"
build/tools/tilka-hgsim --folder "$bin" --port 1 &
sim=$!
trap 'kill $sim 2>/dev/null || true; rm -f "$bin/COM1"' EXIT
for _ in $(seq 50); do
  [ -e "$bin/COM1" ] && break
  sleep 0.1
done

mkdir -p demo
cd demo
"$bin/tilka"
