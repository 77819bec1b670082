#!/usr/bin/python3
"""Builds the tree for the file-search comparison with find: three levels of
data files, leftover "_tmp" files, a folder symlink that loops back to the
root, a folder chain whose paths pass 260 characters, and folders whose
Windows paths ("Z:" + path) are exactly 250, 257 and 258 characters long.
Usage: make_search_tree.py OUTDIR"""
import os
import shutil
import sys


def touch(path):
    with open(path, "w") as f:
        f.write(os.path.basename(path))


def win_len(path):
    return len(path) + 2  # "Z:" + the path with backslashes


def folder_of_length(parent, length, letter):
    """A new folder below `parent` whose Windows path has `length` characters."""
    path = os.path.join(parent, letter * (length - win_len(parent) - 1))
    assert win_len(path) == length
    os.makedirs(path)
    return path


def main():
    root = os.path.join(sys.argv[1], "findtree")
    if os.path.lexists(root):
        shutil.rmtree(root)
    os.makedirs(os.path.join(root, "level1", "level2", "level3"))
    for rel in ["Options.kzc", "(ORV)App.kzc", "(ORV)Bar3", "Options.kzc_tmp", "(ORV)App.kzc_tmp",
                "notes.txt", "level1/Profile0.kzc", "level1/profile1.KZC", "level1/(orv)Win0.kzc",
                "level1/(ORV)Win3.kzc_tmp", "level1/level2/Profile2.kzc", "level1/level2/keep.txt",
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
    # Folders at the edge: 250 holds a match that just fits and one that does
    # not; 257 can still be searched, but no match fits in it, one matches
    # both patterns, and its sub-folder (259) cannot be entered; 258 cannot.
    edge = os.path.join(root, "edge")
    os.makedirs(edge)
    e250 = folder_of_length(edge, 250, "a")
    for name in ["Fits.kzc", "(ORV)Fit", "(ORV)TooLong.kzc", "unrelated_and_too_long.txt"]:
        touch(os.path.join(e250, name))
    e257 = folder_of_length(edge, 257, "b")
    for name in ["(ORV)Twice.kzc", "Z.kzc", "unrelated.txt", "k", "(ORV)W.kzc_tmp"]:
        touch(os.path.join(e257, name))
    os.makedirs(os.path.join(e257, "s"))
    touch(os.path.join(e257, "s", "x.kzc"))
    e258 = folder_of_length(edge, 258, "c")
    touch(os.path.join(e258, "y.kzc"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
