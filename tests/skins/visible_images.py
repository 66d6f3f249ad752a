#!/usr/bin/env python3
"""Fails when an image of a skin shows nothing.

The skin images are drawn by scripts (scripts/skin-images) and committed. A drawing command
that goes wrong can still write a well-formed PNG of the right size whose every pixel is
transparent: the control it belongs to then simply never appears (a progress bar that never
fills), and no window test notices. Every PNG below the skins folder must have at least one
pixel that is not fully transparent.

Usage: visible_images.py <skins folder>
"""
import os
import subprocess
import sys


def images(folder):
    for root, _, files in os.walk(folder):
        for name in sorted(files):
            if name.endswith(".png"):
                yield os.path.join(root, name)


def main():
    paths = list(images(sys.argv[1]))
    if not paths:
        print("no images below", sys.argv[1])
        return 1
    # One ImageMagick run: the largest alpha value of each image, 0 when nothing shows.
    out = subprocess.run(["convert"] + paths + ["-alpha", "extract", "-format", "%[fx:maxima]\n", "info:"],
                         check=True, capture_output=True, text=True).stdout.split()
    if len(out) != len(paths):
        print("ImageMagick answered for", len(out), "of", len(paths), "images")
        return 1
    invisible = [path for path, alpha in zip(paths, out) if float(alpha) == 0.0]
    for path in invisible:
        print("shows nothing:", os.path.relpath(path, sys.argv[1]))
    print(len(paths), "images checked")
    return 1 if invisible else 0


if __name__ == "__main__":
    sys.exit(main())
