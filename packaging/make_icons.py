#!/usr/bin/env python3
"""Draws the program's icon for the hicolor theme at every installed size.

The pictures are the skin's own program icon (ui/skin/make_skin.py, app_icon)
drawn at each size, so the menu shows what the window's title bar shows. Run
from any folder: python3 packaging/make_icons.py. The PNGs are written under
packaging/icons/ and committed; the build only installs them. The scalable
icon, packaging/icons/kestovar3gp.svg, is the same drawing by hand.
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "ui", "skin"))

import make_skin  # noqa: E402

SIZES = (16, 22, 24, 32, 48, 64, 128, 256)


def main():
    for size in SIZES:
        name = os.path.join(HERE, "icons", "kestovar3gp-%d.png" % size)
        make_skin.app_icon(size).save(name)


if __name__ == "__main__":
    main()
