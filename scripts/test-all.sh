#!/usr/bin/env bash
# Sets up, builds and runs every test: under ThreadSanitizer (the serial link's threads), under
# AddressSanitizer with UndefinedBehaviorSanitizer, then the plain build, whose CTest summary ends
# the output.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash scripts/setup.sh

out="$root/build-tests"
export QT_QPA_PLATFORM=offscreen

echo "== ThreadSanitizer: device link =="
TILKA_TARGETS="link_tcomm link_commandchannel link_hgsim" \
  bash scripts/build.sh "$out/tsan" -DTILKA_SANITIZE=thread
ctest --test-dir "$out/tsan" -L link --output-on-failure --repeat until-fail:3

echo "== AddressSanitizer + UndefinedBehaviorSanitizer =="
bash scripts/build.sh "$out/asan" -DTILKA_SANITIZE=address,undefined
ASAN_OPTIONS="detect_leaks=0" UBSAN_OPTIONS="print_stacktrace=1" \
  ctest --test-dir "$out/asan" --output-on-failure -j 2

echo "== All tests =="
bash scripts/build.sh "$out/plain"
ctest --test-dir "$out/plain" -L link --repeat until-fail:5 --output-on-failure
ctest --test-dir "$out/plain" --output-on-failure -j 2
