#!/usr/bin/env python3
"""Fails when a process of ours would hold the platform's state twice.

The platform lives in libDuiLib.so, so that windows, queues, handles and resources exist once
per process. A program that also links a static copy of a platform area (or two shared
libraries that both carry one) still runs: the dynamic linker binds every call to the first
definition it meets, and the other copy lies dead, until a call that was bound inside a library
meets the copy it did not expect. This check reads the symbol tables instead of waiting for
that day: no strong symbol may be defined both by a program and by a shared library of ours
it loads, nor by two such libraries.

Usage: one_platform_copy.py <program or shared library>...
"""
import os
import subprocess
import sys

# Defined by the C runtime start files in every linked object.
RUNTIME_SYMBOLS = {"_init", "_fini", "_start", "_edata", "_end", "__bss_start", "__data_start",
                   "data_start", "_IO_stdin_used", "__dso_handle", "main"}
# nm letters of strong definitions: code, initialised and uninitialised data, read-only data.
STRONG = set("TDBRG")


def strong_symbols(path, dynamic):
    args = ["nm", "--defined-only", "--extern-only"] + (["-D"] if dynamic else []) + [path]
    out = subprocess.run(args, check=True, capture_output=True, text=True).stdout
    names = set()
    for line in out.splitlines():
        parts = line.split()
        if len(parts) == 3 and parts[1] in STRONG and parts[2] not in RUNTIME_SYMBOLS:
            names.add(parts[2])
    return names


def needed(path):
    out = subprocess.run(["readelf", "-d", path], check=True, capture_output=True, text=True).stdout
    return [line.split("[", 1)[1].rstrip("]") for line in out.splitlines() if "(NEEDED)" in line]


def demangle(names):
    out = subprocess.run(["c++filt"], input="\n".join(names), check=True, capture_output=True,
                         text=True).stdout
    return out.splitlines()


def report(owner, other, shared):
    shown = sorted(demangle(sorted(shared)))
    print(f"{owner} and {other} both define {len(shared)} symbol(s):")
    for name in shown[:12]:
        print("    " + name)
    if len(shown) > 12:
        print(f"    ... and {len(shown) - 12} more")


def main(paths):
    libraries = {os.path.basename(p): p for p in paths if ".so" in os.path.basename(p)}
    exported = {name: strong_symbols(p, dynamic=True) for name, p in libraries.items()}
    faults = 0
    for path in paths:
        own_name = os.path.basename(path)
        loaded = [lib for lib in needed(path) if lib in libraries and lib != own_name]
        own = exported[own_name] if own_name in libraries else strong_symbols(path, dynamic=False)
        for i, lib in enumerate(loaded):
            if own & exported[lib]:
                report(path, libraries[lib], own & exported[lib])
                faults += 1
            for other in loaded[i + 1:]:
                if exported[lib] & exported[other]:
                    report(libraries[lib], libraries[other], exported[lib] & exported[other])
                    faults += 1
    print(f"{len(paths)} binaries read, {faults} with a second copy")
    return 1 if faults else 0


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1:]))
