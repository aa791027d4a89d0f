#!/usr/bin/env bash
# Sets up, checks the layering of src/ and the format of the sources, builds and runs every test:
# under ThreadSanitizer (the serial link's threads), under AddressSanitizer with
# UndefinedBehaviorSanitizer, each libFuzzer target for a minute on its corpus, then the plain
# build, whose CTest summary ends the output. The shared-store tests reach a throw-away
# PostgreSQL cluster started here.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash scripts/setup.sh

echo "== Layers: each src/ folder includes only the folders below it =="
bash scripts/check-layers.sh

echo "== Format: every C++ file as clang-format writes it =="
bash scripts/check-format.sh

out="$root/build-tests"
export QT_QPA_PLATFORM=offscreen

# Stopped and removed whatever the outcome, as is the fuzzers' scratch folder.
pg="$(mktemp -d)"
chmod 755 "$pg"
scratch=""
cleanup() {
  bash "$root/scripts/pg-cluster.sh" stop "$pg/cluster" || true
  rm -rf "$pg" ${scratch:+"$scratch"}
}
trap cleanup EXIT

echo "== PostgreSQL for the shared-store tests =="
bash scripts/pg-cluster.sh start "$pg/cluster"
# shellcheck source=/dev/null
. "$pg/cluster/env"

echo "== ThreadSanitizer: device link =="
TILKA_TARGETS="link_serialport link_commandchannel link_hgsim link_serialdevicelist" \
  bash scripts/build.sh "$out/tsan" -DTILKA_SANITIZE=thread
ctest --test-dir "$out/tsan" -L link --output-on-failure --repeat until-fail:3

echo "== AddressSanitizer + UndefinedBehaviorSanitizer =="
bash scripts/build.sh "$out/asan" -DTILKA_SANITIZE=address,undefined
ASAN_OPTIONS="detect_leaks=0" UBSAN_OPTIONS="print_stacktrace=1" \
  ctest --test-dir "$out/asan" --output-on-failure -j 2

echo "== libFuzzer targets (clang), 60 s each =="
fuzz_targets=(logimage_fuzz vcard_fuzz)
CC=clang CXX=clang++ TILKA_TARGETS="${fuzz_targets[*]}" \
  bash scripts/build.sh "$out/fuzz" -DTILKA_FUZZ=ON -DTILKA_TESTS=OFF \
    -DTILKA_SANITIZE=address,undefined
# libFuzzer adds the inputs it finds to the first corpus folder: it gets a copy, not the repo's.
scratch="$(mktemp -d)"
mkdir -p "$out/fuzz/artifacts"
for target in "${fuzz_targets[@]}"; do
  corpus="$scratch/$target"
  cp -r "tests/data/${target%_fuzz}-corpus" "$corpus"
  ASAN_OPTIONS="detect_leaks=0" "$out/fuzz/tools/fuzz/$target" -max_total_time=60 -artifact_prefix="$out/fuzz/artifacts/" \
    "$corpus"
done

echo "== Debian package =="
bash scripts/package.sh "$out/package"

echo "== All tests =="
bash scripts/build.sh "$out/plain"
ctest --test-dir "$out/plain" -L 'link|adapter' --repeat until-fail:5 --output-on-failure
ctest --test-dir "$out/plain" --output-on-failure -j 2
