#!/usr/bin/env python3
"""Prints the include cycles among the modules of one source folder (default psw/).

A module is a file stem of the folder itself (not of its subfolders): X.h and X.cpp together.
X depends on Y when X.h or X.cpp includes "<folder>/Y.h". Every strongly connected component
of more than one module (or a module that includes itself) is printed, one line each, and the
exit status is 1; with no cycle the script prints "none" and exits 0.

Run from anywhere: python3 tools/include_cycles.py [folder]
"""
import os
import re
import sys

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")


def include_graph(folder):
    path = os.path.join(ROOT, folder)
    pattern = re.compile(r'^\s*#\s*include\s+"%s/([^"/]+)\.h"' % re.escape(folder), re.M)
    graph = {}
    for name in sorted(os.listdir(path)):
        stem, ext = os.path.splitext(name)
        if ext not in (".h", ".cpp"):
            continue
        with open(os.path.join(path, name), encoding="utf-8") as f:
            targets = set(pattern.findall(f.read()))
        graph.setdefault(stem, set()).update(t for t in targets if t != stem or ext == ".h")
    return graph


def components(graph):
    """Tarjan's strongly connected components, each as a sorted list of modules."""
    index, low, on_stack, stack, found = {}, {}, set(), [], []

    def visit(node):
        index[node] = low[node] = len(index)
        stack.append(node)
        on_stack.add(node)
        for target in sorted(graph.get(node, ())):
            if target not in index:
                visit(target)
                low[node] = min(low[node], low[target])
            elif target in on_stack:
                low[node] = min(low[node], index[target])
        if low[node] == index[node]:
            members = []
            while True:
                member = stack.pop()
                on_stack.discard(member)
                members.append(member)
                if member == node:
                    break
            found.append(sorted(members))

    sys.setrecursionlimit(10000)
    for node in sorted(graph):
        if node not in index:
            visit(node)
    return found


def main():
    folder = sys.argv[1].strip("/") if len(sys.argv) > 1 else "psw"
    graph = include_graph(folder)
    cycles = [c for c in components(graph) if len(c) > 1 or c[0] in graph.get(c[0], ())]
    for cycle in cycles:
        print("cycle of %d: %s" % (len(cycle), ", ".join(cycle)))
    if not cycles:
        print("none")
    return 1 if cycles else 0


if __name__ == "__main__":
    sys.exit(main())
