#!/usr/bin/python3
"""What a user would write instead of Korvane: numpy, pandas and OpenCV.

Reads an event file (x, y, z, t separated by blanks or TABs), bins the events of each
picture into an 800 x 800 grid, box- or Gaussian-filters the counts, colours them on a
black-blue-green-red lookup table and writes bare BMP pictures (no frame, no labels).
It is not exact and is not meant to be: it is the yardstick scripts/bench-scale holds
korvane-batch against.

    density_series.py EVENTS OUTDIR spatial|time|perspective unit|gaussian
        [--pictures N] [--size PIXELS] [--radius R]
"""
import argparse
import math
import os

import cv2
import numpy as np
import pandas as pd

BOX = (0.0, 100.0, 0.0, 100.0, 0.0, 50.0)  # x, y, z ranges of the benchmark cloud
TIME = (0.0, 100.0)


def colour_table():
    """256 BGR colours from black over blue and green to red."""
    table = np.zeros((256, 1, 3), np.uint8)
    for i in range(256):
        f = i / 255.0
        b = max(0.0, 1.0 - abs(f - 0.25) * 4.0) if f < 0.5 else 0.0
        g = max(0.0, 1.0 - abs(f - 0.5) * 4.0)
        r = min(1.0, max(0.0, (f - 0.5) * 2.0))
        table[i, 0] = (int(255 * b), int(255 * g), int(255 * r))
    return table


def binned(across, up, ranges, size):
    """Counts of the events on a size x size grid over `ranges` (a0, a1, u0, u1)."""
    a0, a1, u0, u1 = ranges
    col = np.floor((across - a0) / (a1 - a0) * size).astype(np.int64)
    row = np.floor((u1 - up) / (u1 - u0) * size).astype(np.int64)
    keep = (col >= 0) & (col < size) & (row >= 0) & (row < size)
    flat = row[keep] * size + col[keep]
    return np.bincount(flat, minlength=size * size).astype(np.float32).reshape(size, size)


def filtered(counts, kind, radius):
    if kind == "unit":
        k = 2 * radius + 1
        return cv2.boxFilter(counts, -1, (k, k), normalize=False,
                             borderType=cv2.BORDER_CONSTANT)
    return cv2.GaussianBlur(counts, (0, 0), radius / 2.0, borderType=cv2.BORDER_CONSTANT)


def perspective(x, y, z, size):
    """The box turned by 30 and 20 degrees and seen from 250 units away, on the picture."""
    cx, cy, cz = x - 50.0, y - 50.0, z - 25.0
    a, b = math.radians(30.0), math.radians(20.0)
    x1 = cx * math.cos(a) - cy * math.sin(a)
    y1 = cx * math.sin(a) + cy * math.cos(a)
    y2 = y1 * math.cos(b) - cz * math.sin(b)
    z2 = y1 * math.sin(b) + cz * math.cos(b)
    depth = 250.0 + y2
    return x1 / depth * 250.0, z2 / depth * 250.0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("events")
    parser.add_argument("outdir")
    parser.add_argument("mode", choices=["spatial", "time", "perspective"])
    parser.add_argument("kind", choices=["unit", "gaussian"])
    parser.add_argument("--pictures", type=int, default=100)
    parser.add_argument("--size", type=int, default=800)
    parser.add_argument("--radius", type=int, default=5)
    args = parser.parse_args()

    frame = pd.read_csv(args.events, sep=r"\s+", header=None, names=["x", "y", "z", "t"],
                        engine="c", dtype=np.float64)
    x, y, z, t = (frame[c].to_numpy() for c in ("x", "y", "z", "t"))
    size, n = args.size, args.pictures
    lut = colour_table()
    os.makedirs(args.outdir, exist_ok=True)

    if args.mode == "spatial":
        order = np.argsort(z, kind="stable")
        zs = z[order]
        step = (BOX[5] - BOX[4]) / n
        half = args.radius * step
    elif args.mode == "time":
        order = np.argsort(t, kind="stable")
        ts = t[order]
    else:
        px, py = perspective(x, y, z, size)
        order = np.argsort(t, kind="stable")
        ts = t[order]

    for k in range(n):
        if args.mode == "spatial":
            depth = BOX[4] + (k + 0.5) * step
            lo, hi = np.searchsorted(zs, [depth - half, depth + half])
            pick = order[lo:hi]
            counts = binned(x[pick], y[pick], BOX[:4], size)
        elif args.mode == "time":
            end = TIME[0] + (k + 1) * (TIME[1] - TIME[0]) / n
            pick = order[:np.searchsorted(ts, end, side="right")]
            counts = binned(x[pick], y[pick], BOX[:4], size)
        else:
            end = TIME[0] + (k + 1) * (TIME[1] - TIME[0]) / n
            pick = order[:np.searchsorted(ts, end, side="right")]
            counts = binned(px[pick], py[pick], (-90.0, 90.0, -90.0, 90.0), size)
        density = filtered(counts, args.kind, args.radius)
        top = float(density.max()) or 1.0
        level = np.clip(density * (255.0 / top), 0, 255).astype(np.uint8)
        picture = cv2.applyColorMap(level, lut)
        cv2.imwrite(os.path.join(args.outdir, "%s%04d.bmp" % (args.mode, k + 1)), picture)


if __name__ == "__main__":
    main()
