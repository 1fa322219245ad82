#!/usr/bin/env python3
"""Checks the include graph of src/ between folders: no cycle between two folders, and no
control folder reaching the reference host, directly or through another folder.

Usage: include_layers.py SRC_DIR. Prints each fault and exits 1 when there is one."""
import os
import re
import sys

CONTROL_FOLDERS = {"line3d", "panel", "tabhead", "hotlabel", "sidelogo", "trayicon", "gradient", "maskedit"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def folder_of(path):
    """A file's folder relative to src/, private subfolders counted with their owner."""
    folder = os.path.dirname(path)
    parts = folder.split("/")
    if parts and parts[-1] == "internal":
        parts = parts[:-1]
    return "/".join(parts)


def include_graph(src):
    edges = {}
    for root, _, files in os.walk(src):
        for name in files:
            if not name.endswith((".h", ".cpp", ".inc")):
                continue
            path = os.path.join(root, name)
            rel = os.path.relpath(path, src)
            with open(path, encoding="utf-8", errors="replace") as f:
                text = f.read()
            source = folder_of(rel)
            for target in INCLUDE.findall(text):
                if not os.path.exists(os.path.join(src, target)):
                    continue  # a header of the same folder named relatively, or a generated one
                dest = folder_of(target)
                if dest != source:
                    edges.setdefault(source, {}).setdefault(dest, rel)
    return edges


def cycles(edges):
    """The strongly connected components of more than one folder (Tarjan)."""
    index, low, stack, on_stack, found = {}, {}, [], set(), []
    counter = [0]

    def visit(v):
        index[v] = low[v] = counter[0]
        counter[0] += 1
        stack.append(v)
        on_stack.add(v)
        for w in edges.get(v, {}):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on_stack:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            component = []
            while True:
                w = stack.pop()
                on_stack.discard(w)
                component.append(w)
                if w == v:
                    break
            if len(component) > 1:
                found.append(sorted(component))

    for v in sorted(edges):
        if v not in index:
            visit(v)
    return found


def reaches(edges, start, goal):
    seen, todo = set(), [start]
    while todo:
        v = todo.pop()
        if v == goal:
            return True
        if v in seen:
            continue
        seen.add(v)
        todo.extend(edges.get(v, {}))
    return False


def main():
    src = sys.argv[1]
    edges = include_graph(src)
    faults = []
    for component in cycles(edges):
        detail = ", ".join(f"{a} -> {b} ({edges[a][b]})" for a in component for b in edges.get(a, {}) if b in component)
        faults.append("include cycle between " + " and ".join(component) + ": " + detail)
    for folder in sorted(CONTROL_FOLDERS):
        if reaches(edges, folder, "host/reference"):
            faults.append(f"{folder} reaches the reference host")
    for fault in faults:
        print(fault)
    print(f"{len(edges)} folders checked, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
