#!/usr/bin/env python3
"""Fails when the folders of src/core include each other in a cycle.

Reads every '#include "folder/..."' in src/core, builds the folder graph and
prints the cycle it finds, if any. Usage: check_core_layers.py [CORE_DIR]
"""
import pathlib
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z0-9_]+)/', re.MULTILINE)


def folder_graph(core):
    folders = {p.name for p in core.iterdir() if p.is_dir()}
    graph = {f: set() for f in folders}
    where = {}
    for path in core.rglob("*"):
        if path.suffix not in (".h", ".cpp", ".in") or path.parent == core:
            continue
        source = path.relative_to(core).parts[0]
        for target in INCLUDE.findall(path.read_text(errors="replace")):
            if target in folders and target != source:
                graph[source].add(target)
                where.setdefault((source, target), path.relative_to(core))
    return graph, where


def find_cycle(graph):
    state = {}  # 1 while on the path, 2 when done

    def visit(node, path):
        state[node] = 1
        path.append(node)
        for nxt in sorted(graph[node]):
            if state.get(nxt) == 1:
                return path[path.index(nxt):] + [nxt]
            if nxt not in state:
                found = visit(nxt, path)
                if found:
                    return found
        path.pop()
        state[node] = 2
        return None

    for node in sorted(graph):
        if node not in state:
            found = visit(node, [])
            if found:
                return found
    return None


def main():
    core = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "src/core")
    graph, where = folder_graph(core)
    cycle = find_cycle(graph)
    if cycle:
        links = ", ".join(f"{a} -> {b} ({where[(a, b)]})" for a, b in zip(cycle, cycle[1:]))
        print(f"check_core_layers: folders of {core} include each other in a cycle: {links}")
        return 1
    print(f"check_core_layers: {len(graph)} folders of {core}, no cycle")
    return 0


if __name__ == "__main__":
    sys.exit(main())
