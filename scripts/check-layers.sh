#!/usr/bin/env bash
# Prints which src/ folders each folder includes and fails when two of them include each other,
# directly or through others: the layers only include downwards.
set -euo pipefail
cd "$(dirname "$0")/.."
python3 - <<'PY'
import pathlib
import re
import sys

src = pathlib.Path("src")
edges = {}
for f in src.rglob("*"):
    if f.suffix not in (".h", ".cpp") or f.parent == src:
        continue
    a = f.relative_to(src).parts[0]
    for b in re.findall(r'#include\s+"([a-z0-9_]+)/', f.read_text(errors="ignore")):
        if b != a and (src / b).is_dir():
            edges.setdefault(a, set()).add(b)


def reach(a):
    seen, todo = set(), list(edges.get(a, ()))
    while todo:
        n = todo.pop()
        if n not in seen:
            seen.add(n)
            todo += edges.get(n, ())
    return seen


for a in sorted(edges):
    print(a, "->", " ".join(sorted(edges[a])))
bad = sorted(a for a in edges if a in reach(a))
sys.exit("include cycle through: " + " ".join(bad) if bad else 0)
PY
