#!/usr/bin/env python3
"""Fails when a source file includes a header of the project by a bare name or from a layer it
must not use.

Every include of our own headers is written from the source root and so names its layer
("common/base/Log.h", "ui/ControlUI.h"); the platform's public headers are "platform/X.h" and
the web view's API header "webview/wke.h". A layer includes only itself and the layers below it:

    main/ update/ setup/ uninst/  ->  common/dialog/  ->  ui/  ->  platform/
                                  ->  common/         ->         platform/
    main/ -> webview/ -> platform/

Usage: layered_includes.py <source root>
"""
import os
import re
import sys

# Folder of the including file -> the first path parts it may include.
ALLOWED = {
    "platform": {"platform"},
    "ui": {"ui", "platform"},
    "webview": {"webview", "platform"},
    "common": {"common", "platform"},
    "common/dialog": {"common", "ui", "platform"},
    "main": {"main", "common", "ui", "webview", "platform"},
    "update": {"update", "common", "ui", "platform"},
    "setup": {"setup", "common", "ui", "platform"},
    "uninst": {"uninst", "common", "ui", "platform"},
}
SOURCE = re.compile(r"\.(cpp|h)$")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def layer_of(path):
    return "common/dialog" if path.startswith("common/dialog/") else path.split("/", 1)[0]


def problems(root):
    for folder in ALLOWED:
        for base, _, names in os.walk(os.path.join(root, folder)):
            for name in filter(SOURCE.search, names):
                path = os.path.relpath(os.path.join(base, name), root)
                layer = layer_of(path)
                text = open(os.path.join(root, path), encoding="utf-8", errors="replace").read()
                for included in INCLUDE.findall(text):
                    first = included.split("/", 1)[0]
                    if "/" not in included or included.startswith("."):
                        yield f"{path}: \"{included}\" does not name its layer"
                    elif first not in ALLOWED[layer] or (
                            included.startswith("common/dialog/") and layer == "common"):
                        yield f"{path}: {layer}/ must not include \"{included}\""


def main():
    found = sorted(set(problems(sys.argv[1])))
    for line in found:
        print(line)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
