#!/usr/bin/env bash
# Builds the Debian package and checks the metadata it installs:
# scripts/package.sh [BUILD_DIR] (default build-package). The package is left in BUILD_DIR.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dir="${1:-$root/build-package}"
cd "$root"
bash scripts/setup.sh

TILKA_TARGETS="tilka tilka-hgsim" bash scripts/build.sh "$dir" -DCMAKE_BUILD_TYPE=Release \
  -DTILKA_TESTS=OFF
rm -f "$dir"/tilka_*.deb
(cd "$dir" && cpack -G DEB)
deb="$(ls "$dir"/tilka_*_*.deb)"

contents="$(mktemp -d)"
trap 'rm -rf "$contents"' EXIT
dpkg-deb -x "$deb" "$contents"
echo "== $(basename "$deb") =="
dpkg-deb -f "$deb" Package Version Architecture Depends
dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '/$'

echo "== desktop-file-validate =="
for entry in "$contents"/usr/share/applications/*.desktop; do
  desktop-file-validate "$entry"
  echo "$(basename "$entry"): valid"
done
echo "== appstreamcli validate --no-net =="
appstreamcli validate --no-net "$contents"/usr/share/metainfo/*.metainfo.xml

echo "== the unpacked program keeps its files in the XDG folders of its user =="
home="$contents/home"
mkdir -p "$home"
# It runs until it is closed: five seconds are enough to create its folders and tables.
status=0
(cd "$home" && HOME="$home" XDG_CONFIG_HOME="" XDG_DATA_HOME="" QT_QPA_PLATFORM=offscreen \
  timeout 5 "$contents/usr/bin/tilka") || status=$?
[ "$status" -eq 124 ] || { echo "tilka ended early with status $status" >&2; exit 1; }
for made in .config/tilka .local/share/tilka/Logdat.db .local/share/tilka/Userdat.db \
  .local/share/tilka/Archive.db; do
  [ -e "$home/$made" ] || { echo "missing: ~/$made" >&2; exit 1; }
  echo "~/$made"
done
