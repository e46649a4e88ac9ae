#!/usr/bin/env python3
"""Writes a benchmark tree of many small folders: FILES files of 1 to 4096 bytes, two in
each folder, under a two-level tree of folders (100 leaf folders per parent).

A quarter of the files are copies of an earlier file, so the tree holds duplicate groups
across distant folders; the rest are random bytes. With 200000 files nearly every size
is shared, so nearly every file is read. The same (--files, --seed) always gives the
same tree. A summary with the expected groups is written beside the tree as
ROOT.summary.json.

Usage: gen_many_folders.py --root ROOT --files N [--seed S]
"""

import argparse
import hashlib
import json
import os
import random
import sys

PER_FOLDER = 2
LEAVES_PER_PARENT = 100


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", required=True)
    parser.add_argument("--files", type=int, required=True)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    if os.path.exists(args.root) and os.listdir(args.root):
        sys.exit(f"gen_many_folders.py: {args.root} is not empty")
    rng = random.Random(args.seed)
    contents = []
    groups = {}
    folders = 0
    for index in range(args.files):
        if contents and rng.random() < 0.25:
            data = contents[rng.randrange(len(contents))]
        else:
            data = rng.randbytes(rng.randint(1, 4096))
            contents.append(data)
        leaf = index // PER_FOLDER
        folder = os.path.join(args.root, f"p{leaf // LEAVES_PER_PARENT:05d}", f"f{leaf:07d}")
        if index % PER_FOLDER == 0:
            os.makedirs(folder, exist_ok=True)
            folders += 1 + (leaf % LEAVES_PER_PARENT == 0)
        with open(os.path.join(folder, f"file{index % PER_FOLDER}.bin"), "wb") as f:
            f.write(data)
        key = (len(data), hashlib.sha1(data).digest())
        groups[key] = groups.get(key, 0) + 1
    duplicated = [n for n in groups.values() if n > 1]
    summary = {
        "generator": "gen_many_folders.py",
        "files": args.files,
        "seed": args.seed,
        "directories": folders,
        "expected_exact": {
            "groups": len(duplicated),
            "duplicate_files": sum(duplicated),
            "redundant_files": sum(duplicated) - len(duplicated),
        },
    }
    with open(args.root.rstrip("/") + ".summary.json", "w") as f:
        json.dump(summary, f, indent=1)
    json.dump(summary, sys.stdout, indent=1)
    print()


if __name__ == "__main__":
    main()
