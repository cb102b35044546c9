#!/usr/bin/env python3
"""Watches a region of the X display for a picture that may show only briefly.

One process grabs just that region over and over with XGetImage, tens of times a second however
busy the machine is, where starting a screenshot program for each look takes a second or more
under load and misses a picture that blinks for three seconds.

usage: region_watch.py <x> <y> <width> <height> <seconds>
Prints "ready" once it can grab the display, then waits for a line on its input: from then on it
looks for the region to turn mostly red (the alarm bell) for <seconds> at most. Seen: exits 0.
Not seen: exits 1. Either way it says how many looks it took.
"""

import ctypes
import ctypes.util
import sys
import time


class XImage(ctypes.Structure):
    _fields_ = [
        ("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
        ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_uint8)),
        ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
        ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
        ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
        ("bits_per_pixel", ctypes.c_int), ("red_mask", ctypes.c_ulong),
        ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong),
    ]


ALL_PLANES = ctypes.c_ulong(~0 & 0xFFFFFFFFFFFFFFFF)
Z_PIXMAP = 2
RED_SHARE = 0.25  # the mean of red minus green over the region, as the screenshot checks use


def open_x11():
    x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XDefaultRootWindow.restype = ctypes.c_ulong
    x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x11.XGetImage.restype = ctypes.POINTER(XImage)
    x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                              ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    x11.XDestroyImage.argtypes = [ctypes.POINTER(XImage)]
    return x11


def redness(x11, display, root, x, y, width, height):
    image = x11.XGetImage(display, root, x, y, width, height, ALL_PLANES, Z_PIXMAP)
    if not image:
        raise RuntimeError("XGetImage failed")
    try:
        data = image.contents
        if data.bits_per_pixel != 32 or data.red_mask != 0xFF0000 or data.green_mask != 0xFF00:
            raise RuntimeError("not a 24-bit display")
        raw = ctypes.string_at(data.data, data.bytes_per_line * height)
        total = 0
        for row in range(height):
            line = raw[row * data.bytes_per_line: row * data.bytes_per_line + 4 * width]
            # little-endian 0x00RRGGBB: bytes blue, green, red, pad
            total += sum(line[2::4]) - sum(line[1::4])
        return total / (255.0 * width * height)
    finally:
        x11.XDestroyImage(image)


def main():
    x, y, width, height, seconds = (int(arg) for arg in sys.argv[1:6])
    x11 = open_x11()
    display = x11.XOpenDisplay(None)
    if not display:
        print("could not open the display", flush=True)
        return 1
    root = x11.XDefaultRootWindow(display)
    redness(x11, display, root, x, y, width, height)
    print("ready", flush=True)
    sys.stdin.readline()
    start = time.monotonic()
    looks = 0
    while time.monotonic() - start < seconds:
        looks += 1
        if redness(x11, display, root, x, y, width, height) > RED_SHARE:
            print(f"seen after {time.monotonic() - start:.1f} s, {looks} looks", flush=True)
            return 0
        time.sleep(0.01)
    print(f"not seen in {seconds} s, {looks} looks", flush=True)
    return 1


if __name__ == "__main__":
    sys.exit(main())
