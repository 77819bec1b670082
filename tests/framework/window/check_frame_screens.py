#!/usr/bin/python3
"""Checks the window tests' screenshots against the rectangles written
beside them: bay pixels outside bars are the bay colour, every bar is
painted (not only bay colour), and a vacated place shows the bare screen."""
import glob
import os
import sys

from PIL import Image


def inside(x, y, r):
    return r[0] <= x < r[2] and r[1] <= y < r[3]


def check(png, rects_path):
    image = Image.open(png).convert("RGB")
    width, height = image.size
    pixels = image.load()
    entries = []
    with open(rects_path) as f:
        for line in f:
            kind, *numbers = line.split()
            values = [int(v) for v in numbers]
            entries.append((kind, tuple(values[:4]), tuple(values[4:7])))
    bars = [r for k, r, _ in entries if k == "bar"]
    skips = [r for k, r, _ in entries if k == "skip"]
    problems = []
    for kind, r, colour in entries:
        box = (max(r[0], 0), max(r[1], 0), min(r[2], width), min(r[3], height))
        if kind == "bay":
            wrong = 0
            for y in range(box[1], box[3]):
                for x in range(box[0], box[2]):
                    if any(inside(x, y, b) for b in bars + skips):
                        continue
                    if pixels[x, y] != colour:
                        wrong += 1
            if wrong:
                problems.append(f"{png}: {wrong} bay pixels of {r} are not {colour}")
        elif kind == "bar":
            colours = {pixels[x, y] for y in range(box[1], box[3]) for x in range(box[0], box[2])}
            if len(colours) < 2:
                problems.append(f"{png}: bar {r} is one flat colour {colours}")
        elif kind == "root":
            # What the bar covered shows the bare screen: no bar colours left,
            # only what lies beneath (the root, or another window of the test).
            bay_colours = {c for k, _, c in entries if k == "bay"}
            left = sum(1 for y in range(box[1], box[3]) for x in range(box[0], box[2])
                       if pixels[x, y] in bay_colours and not any(inside(x, y, b) for b in bars))
            if left:
                problems.append(f"{png}: {left} pixels of the vacated {r} still show a bar")
    return problems


def main():
    folder = sys.argv[1]
    rects = sorted(glob.glob(os.path.join(folder, "*.rects")))
    if not rects:
        print("no screenshots with rectangles in", folder)
        return 1
    problems = []
    for path in rects:
        png = path[:-len(".rects")] + ".png"
        if not os.path.exists(png):
            problems.append(f"missing {png}")
            continue
        problems += check(png, path)
    for p in problems:
        print(p)
    print(f"{len(rects)} screenshots checked, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
