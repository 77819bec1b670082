#!/usr/bin/python3
"""Compares the file search of the program with Linux find on the same tree:
every matching file once, no "_tmp" file, nothing through the symlink loop,
paths too long for Windows left out, and the count of what was left out
exact: each matching file whose Windows path ("Z:" + path) passes 259
characters once, plus each folder that cannot be searched because
"Z:<folder>\\*" passes 259 characters (counted where the search meets it;
nothing below it is seen). Usage: check_search_vs_find.py OUTDIR"""
import fnmatch
import os
import subprocess
import sys

PATTERNS = ["*.kzc", "(orv)*"]


def win_len(path):
    return len(path) + 2


def wanted(name):
    low = name.lower()
    return any(fnmatch.fnmatchcase(low, p) for p in PATTERNS) and not low.endswith("_tmp")


def reachable(root):
    """Files the search can list and the number of things it must skip."""
    files, skipped = [], 0
    stack = [root]
    while stack:
        folder = stack.pop()
        for entry in os.scandir(folder):
            if entry.is_symlink():
                continue
            if entry.is_dir():
                if win_len(entry.path) + 2 <= 259:
                    stack.append(entry.path)
                else:
                    skipped += 1
            elif wanted(entry.name):
                if win_len(entry.path) <= 259:
                    files.append(entry.path)
                else:
                    skipped += 1
    return sorted(files), skipped


def main():
    out = os.path.abspath(sys.argv[1])
    root = os.path.join(out, "findtree")
    lines = open(os.path.join(out, "findtree_result.txt")).read().splitlines()
    skipped = int(lines[0].split()[1])
    found = lines[1:]
    find = subprocess.run(["find", root, "-type", "f", "(", "-iname", "*.kzc", "-o",
                           "-iname", "(ORV)*", ")", "-not", "-iname", "*_tmp"],
                          capture_output=True, text=True, check=True)
    everything = sorted(find.stdout.split("\n")[:-1])
    expected, expected_skipped = reachable(root)
    problems = []
    if not set(expected) <= set(everything):
        problems.append("the walk lists files find does not: %r" % sorted(set(expected) - set(everything)))
    if len(found) != len(set(found)):
        problems.append("duplicates: %r" % sorted({p for p in found if found.count(p) > 1}))
    if any(p.lower().endswith("_tmp") for p in found):
        problems.append("a _tmp file was found")
    if any("/loop/" in p for p in found):
        problems.append("the symlink loop was followed")
    if sorted(found) != expected:
        problems.append("differs:\n  only search: %r\n  only expected: %r" % (
            sorted(set(found) - set(expected)), sorted(set(expected) - set(found))))
    if skipped != expected_skipped:
        problems.append("skipped %d, expected exactly %d" % (skipped, expected_skipped))
    if problems:
        print("FAIL:\n" + "\n".join(problems))
        return 1
    print("ok: %d files of the %d find lists, %d left out and counted exactly" %
          (len(found), len(everything), skipped))
    return 0


if __name__ == "__main__":
    sys.exit(main())
