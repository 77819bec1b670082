#!/usr/bin/python3
"""Compares the file search of the program with Linux find on the same tree:
every matching file once, no "_tmp" file, nothing through the symlink loop,
and paths too long for Windows left out but counted.
Usage: check_search_vs_find.py OUTDIR"""
import os
import subprocess
import sys


def main():
    out = sys.argv[1]
    root = os.path.join(out, "findtree")
    lines = open(os.path.join(out, "findtree_result.txt")).read().splitlines()
    skipped = int(lines[0].split()[1])
    found = lines[1:]
    find = subprocess.run(["find", root, "-type", "f", "(", "-iname", "*.kzc", "-o",
                           "-iname", "(ORV)*", ")"], capture_output=True, text=True, check=True)
    everything = find.stdout.split("\n")[:-1]
    # The program sees "Z:" + path with backslashes; 259 characters at most.
    expected = sorted(p for p in everything if len(p) + 2 <= 259)
    too_long = [p for p in everything if len(p) + 2 > 259]
    problems = []
    if len(found) != len(set(found)):
        problems.append("duplicates: %r" % sorted({p for p in found if found.count(p) > 1}))
    if any(p.endswith("_tmp") for p in found):
        problems.append("a _tmp file was found")
    if any("/loop/" in p for p in found):
        problems.append("the symlink loop was followed")
    if sorted(found) != expected:
        problems.append("differs from find:\n  only search: %r\n  only find: %r" % (
            sorted(set(found) - set(expected)), sorted(set(expected) - set(found))))
    if not too_long or skipped < 1:
        problems.append("long path: %d files too long, %d skipped" % (len(too_long), skipped))
    if problems:
        print("FAIL:\n" + "\n".join(problems))
        return 1
    print("ok: %d files as find lists them, %d too long (%d paths skipped)" %
          (len(found), len(too_long), skipped))
    return 0


if __name__ == "__main__":
    sys.exit(main())
