#!/usr/bin/python3
"""Builds the tree for the file-search comparison with find: three levels of
data files, a "_tmp" file, a folder symlink that loops back to the root and a
folder chain whose paths pass 260 characters. Usage: make_search_tree.py OUTDIR"""
import os
import shutil
import sys


def touch(path):
    with open(path, "w") as f:
        f.write(os.path.basename(path))


def main():
    root = os.path.join(sys.argv[1], "findtree")
    if os.path.lexists(root):
        shutil.rmtree(root)
    os.makedirs(os.path.join(root, "level1", "level2", "level3"))
    for rel in ["Options.kzc", "(ORV)App.kzc", "(ORV)Bar3", "Options.kzc_tmp", "notes.txt",
                "level1/Profile0.kzc", "level1/profile1.KZC", "level1/(orv)Win0.kzc",
                "level1/level2/Profile2.kzc", "level1/level2/keep.txt",
                "level1/level2/level3/Profile3.kzc", "level1/level2/level3/SysProf.kzc_tmp"]:
        touch(os.path.join(root, rel))
    os.symlink("..", os.path.join(root, "level1", "loop"))  # back to the root
    # Long folder names until the Windows form "Z:" + path passes 260.
    deep = os.path.join(root, "long")
    os.makedirs(deep)
    touch(os.path.join(deep, "Near.kzc"))
    while len(deep) + 2 < 300:
        deep = os.path.join(deep, "f" * 40)
        os.makedirs(deep)
        touch(os.path.join(deep, "Deep.kzc"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
