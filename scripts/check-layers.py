#!/usr/bin/env python3
"""Checks the include order of the source tree and of the trees beside it.

The layers of src/, lowest first:
  0  core/                   containers, strings, links, text, the log
  1  sys/                    platform layer and its backends
  2  cell/                   the cell model
  3  lang/, install/, gx/    language table, installation, graphics
  4  ui/                     UI tree, layout and containers
  5  ui/widgets/             widgets, and the builders made of them
  6  wizard/                 the installer's pages
  7  app/                    the program

What src/ may include:
  - headers of its own folder's layer and the layers below, never of a layer
    above, and never of a sibling folder of the same layer (install/ never
    includes gx/);
  - a backend's headers (sys/posix/, gx/glfw/, gx/win32/, ...) only inside the
    subsystem it serves;
  - system headers (<windows.h>, <unistd.h>, <GLFW/glfw3.h>, X11, ...) only
    inside the backends: elsewhere the C++ standard library alone, and the
    few portable libraries PORTABLE names (in the layer it names);
  - no two folders include each other, and, in every folder but those of
    MUTUAL, no files include each other in a circle (a header and its
    source count as one file).

Everywhere (src/, tests/, bench/, fuzz/, tools/): an include names a file
that exists, from the root of src/ ("ui/ui_box.h"), never by a relative path
("../ui/ui_box.h"). The test trees also name a header of their own folder
by its bare name, and shared helpers as "support/...": their own tree's
support/ folder, or tests/support/, which every tree may use. Beyond that,
tests/, bench/, fuzz/ and tools/ never reach into each other.

Prints every breach and exits 1 when there is one.

Usage: check-layers.py [ROOT]    (ROOT holds src/ and the trees beside it)
"""

import os
import re
import sys

# Sections: the layers and their rules; reading includes; resolving a
# quoted include; the checks of src/; the checks of the trees beside it.

# --- The layers and their rules ----------------------------------------------

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

# Each backend folder and the subsystem that alone may use it.
BACKENDS = {
    "sys/posix": "sys",
    "sys/win32": "sys",
    "gx/gl": "gx",
    "gx/glfw": "gx",
    "gx/posix": "gx",
    "gx/win32": "gx",
}

# Portable libraries (angle-bracket headers with a name ending in .h) that a
# layer may use outside the backends: the PNG codec in the graphics, the
# processor's vector instructions in the CRC, zstd for the packed payload.
PORTABLE = {
    "lodepng.h": {"gx"},
    "immintrin.h": {"core"},
    "zstd.h": {"sys"},
}

# Folders whose files refer to each other by design: HCell and its tags and
# tag paths, gates and their keys; strings and their formatting; the
# language table and its rows.
MUTUAL = {"cell", "core", "lang"}

# The trees beside src/; each may use src/ and tests/support/.
SIDE_TREES = ("tests", "bench", "fuzz", "tools")

SOURCE_SUFFIXES = (".h", ".hpp", ".c", ".cc", ".cpp")

# --- Reading includes --------------------------------------------------------

INCLUDE = re.compile(r'^[ \t]*#[ \t]*include[ \t]*([<"])([^>"]+)[>"]', re.MULTILINE)


def source_files(tree):
    """Every source file under tree, as paths relative to it ('/' between)."""
    for root, dirs, names in os.walk(tree):
        dirs.sort()
        for name in sorted(names):
            if name.endswith(SOURCE_SUFFIXES):
                yield os.path.relpath(os.path.join(root, name), tree).replace(os.sep, "/")


def includes_of(path):
    """(kind, name, line) for each include of a file; kind is '"' or '<'."""
    with open(path, encoding="utf-8", errors="replace") as f:
        text = f.read()
    for m in INCLUDE.finditer(text):
        yield m.group(1), m.group(2).strip(), text.count("\n", 0, m.start()) + 1


def is_relative(name):
    parts = name.split("/")
    return "." in parts or ".." in parts


# --- Resolving a quoted include ----------------------------------------------


def resolve(root, tree, rel, name):
    """Where a quoted include of tree/rel lands, relative to root; None when
    it names nothing. src/ names everything from its own root; the trees
    beside it also name their own folder's headers bare and shared helpers
    as support/..."""
    candidates = []
    if tree == "src":
        candidates.append("src/" + name)
    elif "/" not in name:
        folder = os.path.dirname(rel)
        candidates.append(f"{tree}/{folder}/{name}" if folder else f"{tree}/{name}")
    elif name.startswith("support/"):
        candidates += [f"{tree}/{name}", f"tests/{name}"]
    else:
        candidates.append("src/" + name)
    for c in candidates:
        if os.path.isfile(os.path.join(root, c)):
            return c
    return None


# --- The checks of src/ ------------------------------------------------------


def layer_of(path):
    """The layer folder a path (relative to src) lies in, or None."""
    best = None
    for folder in LAYERS:
        if path == folder or path.startswith(folder + "/"):
            if best is None or len(folder) > len(best):
                best = folder
    return best


def backend_of(path):
    """The backend folder a path (relative to src) lies in, or None."""
    for folder in BACKENDS:
        if path.startswith(folder + "/"):
            return folder
    return None


def check_system_header(rel, name, line, problems):
    if backend_of(rel):
        return
    if "." not in name and "/" not in name:
        return  # the C++ standard library
    allowed = PORTABLE.get(name)
    if allowed and layer_of(rel) in allowed:
        return
    problems.append(f"src/{rel}:{line}: <{name}> is a system header outside the backends")


def check_src_include(rel, target, line, problems):
    """The layer, sibling and backend rules for one include src/rel -> src/target."""
    mine, theirs = layer_of(rel), layer_of(target)
    if mine is None or theirs is None:
        unknown = rel if mine is None else target
        problems.append(f"src/{rel}:{line}: {unknown} lies in no known layer")
        return False
    if LAYERS[theirs] > LAYERS[mine]:
        problems.append(f"src/{rel}:{line}: includes {target}, a layer above ({theirs}/ over {mine}/)")
    elif LAYERS[theirs] == LAYERS[mine] and theirs != mine:
        problems.append(f"src/{rel}:{line}: includes {target} of {theirs}/, a sibling of {mine}/")
    backend = backend_of(target)
    if backend and mine != BACKENDS[backend]:
        problems.append(f"src/{rel}:{line}: includes {target}, a backend of {BACKENDS[backend]}/ only")
    return True


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


def check_src(root, problems):
    src = os.path.join(root, "src")
    folder_edges, module_edges = {}, {}
    for rel in source_files(src):
        for kind, name, line in includes_of(os.path.join(src, rel)):
            if kind == "<":
                check_system_header(rel, name, line, problems)
                continue
            if is_relative(name):
                problems.append(f"src/{rel}:{line}: \"{name}\" is a relative include")
                continue
            found = resolve(root, "src", rel, name)
            if found is None:
                problems.append(f"src/{rel}:{line}: \"{name}\" names no file")
                continue
            target = found[len("src/"):]
            if not check_src_include(rel, target, line, problems):
                continue
            here, there = os.path.dirname(rel), os.path.dirname(target)
            if here != there:
                folder_edges.setdefault(here, set()).add(there)
            a, b = os.path.splitext(rel)[0], os.path.splitext(target)[0]
            if a != b and not (here == there and here in MUTUAL):
                module_edges.setdefault(a, set()).add(b)
    for here in sorted(folder_edges):
        for there in sorted(folder_edges[here]):
            if here < there and here in folder_edges.get(there, ()):
                problems.append(f"src/{here}/ and src/{there}/ include each other")
    for group in cycles(module_edges):
        problems.append("files include each other in a circle: " + ", ".join("src/" + g for g in group))


# --- The checks of the trees beside src/ -------------------------------------


def check_side_tree(root, tree, problems):
    base = os.path.join(root, tree)
    if not os.path.isdir(base):
        return
    for rel in source_files(base):
        for kind, name, line in includes_of(os.path.join(base, rel)):
            if kind == "<":
                continue
            where = f"{tree}/{rel}:{line}"
            if is_relative(name):
                problems.append(f"{where}: \"{name}\" is a relative include")
                continue
            found = resolve(root, tree, rel, name)
            if found is None:
                problems.append(f"{where}: \"{name}\" names no file")
            elif not (found.startswith(("src/", tree + "/", "tests/support/"))):
                problems.append(f"{where}: includes {found}, inside another tree")


def check(root):
    problems = []
    check_src(root, problems)
    for tree in SIDE_TREES:
        check_side_tree(root, tree, problems)
    return problems


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    root = os.path.normpath(root)
    if not os.path.isdir(os.path.join(root, "src")):
        print(f"{root} holds no src/ folder")
        return 2
    problems = check(root)
    for p in problems:
        print(p)
    if problems:
        print(f"{len(problems)} breach(es) of the include order")
        return 1
    print("include order: fine")
    return 0


if __name__ == "__main__":
    sys.exit(main())
