#!/usr/bin/env python3
"""Prints which folders of src/ include which (from their #include "<folder>/..." lines)
and fails when the graph has a cycle, or when a driver backend includes more than the
USB port and the leaf folders it may use."""
import pathlib
import re
import sys

SRC = pathlib.Path(__file__).resolve().parent.parent / "src"
# What drivers/* may include besides themselves.
DRIVER_DEPS = {"usb", "files", "numbers"}


def folder_of(path: pathlib.Path) -> str:
    parts = path.relative_to(SRC).parts
    return "/".join(parts[:2]) if parts[0] == "drivers" else parts[0]


def graph() -> dict:
    folders = {folder_of(p) for p in SRC.rglob("*") if p.suffix in (".h", ".cpp")}
    edges = {f: set() for f in folders}
    include = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
    for path in SRC.rglob("*"):
        if path.suffix not in (".h", ".cpp"):
            continue
        source = folder_of(path)
        for line in path.read_text(encoding="utf-8", errors="replace").splitlines():
            m = include.match(line)
            if not m:
                continue
            target = m.group(1).split("/")
            name = "/".join(target[:2]) if target[0] == "drivers" else target[0]
            if name in folders and name != source:
                edges[source].add(name)
    return edges


def cycle(edges: dict):
    state = {}
    stack = []

    def visit(node):
        state[node] = "open"
        stack.append(node)
        for nxt in sorted(edges[node]):
            if state.get(nxt) == "open":
                return stack[stack.index(nxt):] + [nxt]
            if nxt not in state:
                found = visit(nxt)
                if found:
                    return found
        stack.pop()
        state[node] = "done"
        return None

    for node in sorted(edges):
        if node not in state:
            found = visit(node)
            if found:
                return found
    return None


def main() -> int:
    edges = graph()
    for node in sorted(edges):
        print(f"{node:16} -> {', '.join(sorted(edges[node])) or '(nothing)'}")
    ok = True
    found = cycle(edges)
    if found:
        print("cycle: " + " -> ".join(found))
        ok = False
    for node in sorted(edges):
        extra = edges[node] - DRIVER_DEPS
        if node.startswith("drivers/") and extra:
            print(f"{node} includes {', '.join(sorted(extra))}")
            ok = False
    if not found:
        print("no cycle")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
