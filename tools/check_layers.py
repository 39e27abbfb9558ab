#!/usr/bin/env python3
"""Lists the includes that point the wrong way between the program's layers.

The layers, bottom up: the core (no window), the shared Qt widgets, the forms,
the main window and start-up; the batch tool stands on the core alone. A file
may include its own layer and the layers below it. Folders must not include
each other in a circle either.

usage: check_layers.py LAYERS_FILE
LAYERS_FILE (written by CMake) holds "layer<TAB>path" for every listed source;
a header takes the layer of the .cpp of the same name beside it.
Prints each wrong include and exits 1 when there is one, else prints a count.
"""
import collections
import os
import re
import sys

BELOW = {
    "core": set(),
    "widgets": {"core"},
    "forms": {"widgets", "core"},
    "app": {"forms", "widgets", "core"},
    "cli": {"core"},
}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)


def main(layers_file):
    layer_of = {}
    with open(layers_file, encoding="utf-8") as f:
        for line in f:
            layer, _, path = line.rstrip("\n").partition("\t")
            if path:
                layer_of[os.path.normpath(path)] = layer
    for path, layer in list(layer_of.items()):
        header = os.path.splitext(path)[0] + ".h"
        if path.endswith(".cpp") and os.path.exists(header):
            layer_of.setdefault(header, layer)
    src = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src"))

    wrong = []
    folders = collections.defaultdict(set)
    checked = 0
    for path, layer in sorted(layer_of.items()):
        if not path.startswith(src + "/") or not os.path.exists(path):
            continue
        folder = os.path.relpath(path, src).split("/")[0]
        with open(path, encoding="utf-8") as f:
            text = f.read()
        for kind, name in INCLUDE.findall(text):
            checked += 1
            if kind == "<":
                if layer in ("core", "cli") and name.startswith("Q"):
                    wrong.append(f"{path}: <{name}>: a Qt header in the {layer}")
                continue
            target = os.path.normpath(os.path.join(src, name))
            if not os.path.exists(target):
                continue  # a generated header (support/version.h) or a system one
            target_layer = layer_of.get(target)
            if target_layer is None:
                wrong.append(f"{path}: \"{name}\" is in no layer (list it in its CMakeLists.txt)")
                continue
            if target_layer != layer and target_layer not in BELOW[layer]:
                wrong.append(f"{path}: \"{name}\": {layer} includes {target_layer}")
            target_folder = name.split("/")[0]
            if target_folder != folder:
                folders[folder].add(target_folder)

    # Circles between folders.
    state = {}

    def visit(node, trail):
        state[node] = "open"
        for nxt in sorted(folders.get(node, ())):
            if state.get(nxt) == "open":
                circle = trail[trail.index(nxt):] + [nxt]
                wrong.append("folders include each other in a circle: " + " -> ".join(circle))
            elif nxt not in state:
                visit(nxt, trail + [nxt])
        state[node] = "done"

    for node in sorted(folders):
        if node not in state:
            visit(node, [node])

    for line in wrong:
        print(line)
    print(f"{len(wrong)} includes cross the layers the wrong way ({checked} includes in {len(layer_of)} files checked)")
    return 1 if wrong else 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1]))
