#!/usr/bin/env python3
"""Measures how far each colour space's encoding is from a round trip.

Every RGB colour of a grid (every STEP-th level of each channel and 255; all 16.7
million colours with --step 1) is converted from RGB into the space and back, and
the difference to the start is counted in levels. In the subsampled layouts (YUY2,
UYVY, Y41P, YVU9) each colour fills a whole block of pixels that share their
chroma, so these are measured on their encoding alone, not on the chroma detail
that neighbouring pixels of different colours lose.

    python3 round_trips.py [--step N]
"""
import argparse

import numpy as np

import qclr

# (space, method): None is the direct route (built-in formulas, no handle).
ROUTES = [(s.name, None) for s in qclr.SPACES if s.name != "RGB"] + [
    ("CMYK", "icc"), ("CMY", "icc"), ("LAB", "icc"), ("YCCK", "icc"), ("LAB", "tables")]

# Pixels that share one chroma sample: (width, height).
BLOCKS = {"YUY2": (2, 1), "UYVY": (2, 1), "Y41P": (8, 1), "YVU9": (4, 4)}


def colour_blocks(red, levels, block):
    """Every (red, g, b) colour of the grid in one image, each colour a block."""
    g, b = np.meshgrid(levels, levels, indexing="ij")
    colours = np.stack([np.full(g.size, red, np.uint8), g.ravel(), b.ravel()], axis=-1)
    row = np.repeat(colours, block[0], axis=0)[np.newaxis]
    return np.repeat(row, block[1], axis=0)


def round_trip(rgb, space, method):
    if space == "YVU9":  # planar: the size goes with the buffer
        size = (rgb.shape[1], rgb.shape[0])
        return qclr.convert(qclr.convert(rgb, "RGB", space), space, "RGB", size=size)
    return qclr.convert(qclr.convert(rgb, "RGB", space, method), space, "RGB", method)


def measure(space, method, levels):
    """(largest difference, mean difference, share of exact colours in %)."""
    worst, total, exact, count = 0, 0, 0, 0
    for red in levels:
        rgb = colour_blocks(red, levels, BLOCKS.get(space, (1, 1)))
        diff = np.abs(round_trip(rgb, space, method).astype(np.int16) - rgb)
        worst = max(worst, int(diff.max()))
        total += int(diff.sum())
        exact += int(np.all(diff == 0, axis=-1).sum())
        count += diff.size // 3
    return worst, total / (3 * count), 100.0 * exact / count


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--step", type=int, default=15, help="grid step in levels (1: every colour)")
    args = parser.parse_args()
    levels = np.unique(np.append(np.arange(0, 256, args.step), 255)).astype(np.uint8)
    print("qclr %d.%d.%d, %d colours" % (qclr.library_version() + (len(levels) ** 3,)))
    print("%-5s %-8s %5s %8s %8s" % ("space", "method", "max", "mean", "exact"))
    for space, method in ROUTES:
        worst, mean, exact = measure(space, method, levels)
        print("%-5s %-8s %5d %8.3f %7.2f%%" % (space, method or "direct", worst, mean, exact))


if __name__ == "__main__":
    main()
