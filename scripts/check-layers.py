#!/usr/bin/env python3
"""Checks the include order of the source tree.

The layers, lowest first:
  0  core/                   containers, strings, links, text, the log
  1  sys/                    platform layer and its backends
  2  cell/                   the cell model
  3  lang/, install/, gx/    language table, installation, graphics
  4  ui/                     UI tree, layout and containers
  5  ui/widgets/             widgets, and the builders made of them
  6  wizard/                 the installer's pages
  7  app/                    the program

A file may include headers of its own layer and the layers below it, never
of a layer above. Beside that, no two folders include each other, and, in
every folder but those of MUTUAL, no files include each other in a circle
(a header and its source count as one file). Prints every breach and exits
1 when there is one.

Usage: check-layers.py [SRC_DIR]
"""

import os
import re
import sys

LAYERS = {
    "core": 0,
    "sys": 1,
    "cell": 2,
    "lang": 3,
    "install": 3,
    "gx": 3,
    "ui": 4,
    "ui/widgets": 5,
    "wizard": 6,
    "app": 7,
}

# Folders whose files refer to each other by design: HCell and its tags and
# tag paths, gates and their keys; strings and their formatting; the
# language table and its rows.
MUTUAL = {"cell", "core", "lang"}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def layer_of(path):
    """The layer folder a path (relative to src) lies in, or None."""
    best = None
    for folder in LAYERS:
        if path == folder or path.startswith(folder + "/"):
            if best is None or len(folder) > len(best):
                best = folder
    return best


def read_includes(src):
    """(file, included file, line) for every project include."""
    found = []
    for root, _, names in os.walk(src):
        for name in sorted(names):
            if not name.endswith((".h", ".cpp")):
                continue
            full = os.path.join(root, name)
            rel = os.path.relpath(full, src).replace(os.sep, "/")
            with open(full, encoding="utf-8", errors="replace") as f:
                text = f.read()
            for m in INCLUDE.finditer(text):
                target = m.group(1)
                if os.path.exists(os.path.join(src, target)):
                    line = text.count("\n", 0, m.start()) + 1
                    found.append((rel, target, line))
    return found


def cycles(edges):
    """Strongly connected groups of more than one node (Tarjan)."""
    index, low, stack, on_stack, groups = {}, {}, [], set(), []
    counter = [0]

    def visit(node):
        index[node] = low[node] = counter[0]
        counter[0] += 1
        stack.append(node)
        on_stack.add(node)
        for nxt in sorted(edges.get(node, ())):
            if nxt not in index:
                visit(nxt)
                low[node] = min(low[node], low[nxt])
            elif nxt in on_stack:
                low[node] = min(low[node], index[nxt])
        if low[node] == index[node]:
            group = []
            while True:
                top = stack.pop()
                on_stack.discard(top)
                group.append(top)
                if top == node:
                    break
            if len(group) > 1:
                groups.append(sorted(group))

    sys.setrecursionlimit(10000)
    for node in sorted(edges):
        if node not in index:
            visit(node)
    return groups


def check(src):
    problems = []
    includes = read_includes(src)
    folder_edges = {}
    module_edges = {}
    for rel, target, line in includes:
        mine, theirs = layer_of(rel), layer_of(target)
        if mine is None or theirs is None:
            unknown = rel if mine is None else target
            problems.append(f"{rel}:{line}: {unknown} lies in no known layer")
            continue
        if LAYERS[theirs] > LAYERS[mine]:
            problems.append(f"{rel}:{line}: includes {target}, a layer above ({theirs}/ over {mine}/)")
        here, there = os.path.dirname(rel), os.path.dirname(target)
        if here != there:
            folder_edges.setdefault(here, set()).add(there)
        a, b = os.path.splitext(rel)[0], os.path.splitext(target)[0]
        if a != b and not (here == there and here in MUTUAL):
            module_edges.setdefault(a, set()).add(b)
    for here in sorted(folder_edges):
        for there in sorted(folder_edges[here]):
            if here < there and here in folder_edges.get(there, ()):
                problems.append(f"{here}/ and {there}/ include each other")
    for group in cycles(module_edges):
        problems.append("files include each other in a circle: " + ", ".join(group))
    return problems


def main():
    src = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "src")
    problems = check(os.path.normpath(src))
    for p in problems:
        print(p)
    if problems:
        print(f"{len(problems)} breach(es) of the include order")
        return 1
    print("include order: fine")
    return 0


if __name__ == "__main__":
    sys.exit(main())
