#!/usr/bin/env bash
# Prints which src/ folders each folder includes and fails when a folder includes one that lies
# above it in the documented order (docs/architecture.md), or a folder the order does not name.
set -euo pipefail
cd "$(dirname "$0")/.."
python3 - <<'PY'
import pathlib
import re
import sys

order = ["ui", "state", "db", "link", "protocol", "rules", "adapter", "windows", "app"]
rank = {name: i for i, name in enumerate(order)}
src = pathlib.Path("src")
edges = {}
for f in src.rglob("*"):
    if f.suffix not in (".h", ".cpp") or f.parent == src:
        continue
    a = f.relative_to(src).parts[0]
    for b in re.findall(r'#include\s+"([a-z0-9_]+)/', f.read_text(errors="ignore")):
        if b != a and (src / b).is_dir():
            edges.setdefault(a, {}).setdefault(b, []).append(str(f))

faults = []
for folder in sorted(p.name for p in src.iterdir() if p.is_dir()):
    if folder not in rank:
        faults.append(f"src/{folder} is not in the layer order")
for a in sorted(edges):
    print(a, "->", " ".join(sorted(edges[a])))
    for b, files in sorted(edges[a].items()):
        if a in rank and b in rank and rank[b] > rank[a]:
            faults.append(f"{a} includes {b}, a layer above it: {', '.join(sorted(set(files)))}")
for fault in faults:
    print("layer fault:", fault, file=sys.stderr)
print("layers:", " < ".join(order))
sys.exit(1 if faults else 0)
PY
