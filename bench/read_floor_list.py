#!/usr/bin/env python3
"""Writes the list of files that bench/run.sh's read floor reads.

Usage: read_floor_list.py ROOT LIST

LIST gets one NUL-terminated record "SIZE PATH" for every file under ROOT whose size
occurs at least twice: regular files only, one name per inode, empty files left out,
symbolic links not followed. These are the bytes any exact duplicate finder must read at
least once. The records are in inode order, which is close to the order of the data on
disk for cold-cache runs.
"""

import os
import stat
import sys


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    root, out = sys.argv[1], sys.argv[2]
    by_size, seen = {}, set()
    stack = [root]
    while stack:
        with os.scandir(stack.pop()) as entries:
            for entry in entries:
                st = entry.stat(follow_symlinks=False)
                if stat.S_ISDIR(st.st_mode):
                    stack.append(entry.path)
                elif stat.S_ISREG(st.st_mode) and st.st_size > 0:
                    if (st.st_dev, st.st_ino) not in seen:
                        seen.add((st.st_dev, st.st_ino))
                        by_size.setdefault(st.st_size, []).append((st.st_ino, entry.path))
    files = sorted((ino, size, path) for size, group in by_size.items() if len(group) > 1
                   for ino, path in group)
    with open(out, "wb") as f:
        for _, size, path in files:
            f.write(b"%d " % size + os.fsencode(path) + b"\0")


if __name__ == "__main__":
    main()
