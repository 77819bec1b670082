#!/usr/bin/python3
"""Sets up (or removes) a small, nearly full tmpfs that the Wine prefix of the
test run sees as drive Q:, for the disk-full test of the data files.
Usage: diskfull_drive.py setup|cleanup BINDIR OUTDIR
The test reads OUTDIR/diskfull.txt: "drive=Q:" or "skip=<reason>"."""
import os
import subprocess
import sys

SIZE_KB = 192
DRIVE = "q:"


def prefix_link():
    prefix = os.environ.get("WINEPREFIX")
    return os.path.join(prefix, "dosdevices", DRIVE) if prefix else None


def cleanup(mount):
    link = prefix_link()
    if link and os.path.islink(link):
        os.remove(link)
    if os.path.ismount(mount):
        subprocess.run(["umount", mount], check=False)


def setup(mount, out):
    os.makedirs(out, exist_ok=True)
    state = os.path.join(out, "diskfull.txt")
    cleanup(mount)
    link = prefix_link()
    if not link:
        open(state, "w").write("skip=no WINEPREFIX: run the tests through scripts/test.sh\n")
        return 0
    os.makedirs(mount, exist_ok=True)
    r = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=%dk" % SIZE_KB, "tmpfs", mount],
                       capture_output=True, text=True)
    if r.returncode != 0:
        open(state, "w").write("skip=a tmpfs cannot be mounted here: %s\n" % r.stderr.strip())
        return 0
    # The old section file, then filler until about 16 KiB stay free.
    with open(os.path.join(mount, "Full.kzc"), "wb") as f:
        f.write(bytes((i * 7) & 0xFF for i in range(2048)))
    st = os.statvfs(mount)
    free = st.f_bavail * st.f_frsize
    with open(os.path.join(mount, "filler"), "wb") as f:
        f.write(b"\0" * max(0, free - 16 * 1024))
    if os.path.lexists(link):
        os.remove(link)
    os.symlink(mount, link)
    open(state, "w").write("drive=Q:\n")
    return 0


def main():
    action, bindir, out = sys.argv[1], sys.argv[2], sys.argv[3]
    mount = os.path.join(bindir, "diskfull.mnt")
    if action == "setup":
        return setup(mount, out)
    cleanup(mount)
    return 0


if __name__ == "__main__":
    sys.exit(main())
