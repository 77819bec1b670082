#!/usr/bin/python3
"""scripts/run.sh as a newcomer meets it on a machine without a display:
in a fresh home of its own it must print the path of a PNG of the virtual
screen (the test pattern it put there) and its size, and end with 0.
  run_headless_check.py RUN_SH WORK_DIR"""
import os
import shutil
import subprocess
import sys

import numpy
from PIL import Image


def run(run_sh, env):
    """run.sh's two lines: the capture's path and what identify says."""
    done = subprocess.run(["bash", run_sh], env=env, capture_output=True, text=True,
                          timeout=900, check=False)
    sys.stderr.write(done.stderr)
    print(done.stdout)
    assert done.returncode == 0, f"run.sh ended with {done.returncode}"
    lines = done.stdout.strip().split("\n")
    assert len(lines) == 2, lines
    return lines


def main():
    run_sh, work = sys.argv[1:3]
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    env = dict(os.environ)
    env.pop("DISPLAY", None)
    env["BW_RUN_HOME"] = work
    path, info = run(run_sh, env)
    # A second run keeps the first capture and writes one of its own.
    first = open(path, "rb").read()
    second, _ = run(run_sh, env)
    assert second != path, second
    assert open(path, "rb").read() == first, "the first capture was written over"
    assert path.startswith(os.path.join(work, "captures")) and path.endswith(".png"), path
    with Image.open(path) as image:
        assert image.format == "PNG", image.format
        shot = numpy.asarray(image.convert("RGB")).astype(int)
    with Image.open(os.path.join(work, "pattern.png")) as pattern:
        expected = numpy.asarray(pattern.convert("RGB")).astype(int)
    assert shot.shape == expected.shape, (shot.shape, expected.shape)
    assert info.startswith(f"{shot.shape[1]} x {shot.shape[0]} pixels, PNG"), info
    assert info.endswith(f", {os.path.getsize(path)} bytes"), info
    # The screen is the pattern, except where a window of the program lies.
    same = (numpy.abs(shot - expected).max(axis=2) <= 4).mean()
    assert same > 0.5, f"only {same:.1%} of the capture is the pattern"
    # -QUIT saved the state.
    data = [os.path.join(root, "(ORV)App.kzc") for root, _, files in os.walk(work)
            if "(ORV)App.kzc" in files]
    assert data, "no saved application state"
    print(f"ok: {same:.1%} of the capture is the pattern")


if __name__ == "__main__":
    main()
