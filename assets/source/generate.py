#!/usr/bin/env python3
"""Draws every picture and icon of the program into the assets folder.

Usage: python3 assets/source/generate.py [arrows|alarm|icons ...]   (default: all of them)
Needs only the Python 3 standard library; the output is the same byte for byte on every run.
"""

import os
import sys

import alarm_bell
import arrows
import icons
from formats import gif89a

ASSETS = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def write(name, data):
  with open(os.path.join(ASSETS, name), "wb") as out:
    out.write(data)
  print(f"wrote {name} ({len(data)} bytes)")


def make_arrows():
  palette, indices = arrows.render()
  write("arrows.gif", gif89a(arrows.WIDTH, arrows.HEIGHT, palette, indices,
                             arrows.TRANSPARENT_INDEX))


def make_alarm():
  palette, indices = alarm_bell.render()
  write("alarm.gif", gif89a(alarm_bell.WIDTH, alarm_bell.HEIGHT, palette, indices,
                            alarm_bell.TRANSPARENT_INDEX))


def make_icons():
  for name, data in icons.render_all().items():
    write(name, data)


MAKERS = {"arrows": make_arrows, "alarm": make_alarm, "icons": make_icons}

if __name__ == "__main__":
  for name in sys.argv[1:] or list(MAKERS):
    MAKERS[name]()
