#!/usr/bin/env python3
"""Makes a reproducible tree of folders and files for the walk benchmark.

    gen_tree.py ROOT [FOLDERS [FILES [SEED]]]

FOLDERS folders (5,000 by default, nested up to eight deep) hold FILES files (200,000 by
default) with a mix of extensions, a few hidden ones, and sizes from 0 to 4 MiB made sparse
(no data is written, so the tree costs inodes, not space). The same arguments always give
the same tree. A tree already complete under ROOT (its ".gen_tree" stamp matches) is kept.
"""
import os
import random
import sys

EXTENSIONS = [".txt", ".tmp", ".log", ".dat", ".jpg", ".png", ".c", ".h", ".o", ".bak",
              ".html", ".doc", ".exe", ".dll", ".chk", ".gz", ""]


def main():
    root = sys.argv[1]
    folders = int(sys.argv[2]) if len(sys.argv) > 2 else 5000
    files = int(sys.argv[3]) if len(sys.argv) > 3 else 200000
    seed = int(sys.argv[4]) if len(sys.argv) > 4 else 20240501
    stamp = os.path.join(root, ".gen_tree")
    wanted = f"{folders} {files} {seed}\n"
    try:
        with open(stamp) as f:
            if f.read() == wanted:
                return 0
    except OSError:
        pass
    if os.path.exists(root) and os.listdir(root):
        sys.exit(f"{root} exists and is not a tree made with these arguments; remove it first")

    rng = random.Random(seed)
    os.makedirs(root, exist_ok=True)
    dirs = [(root, 0)]
    for i in range(folders - 1):
        parent, depth = rng.choice(dirs)
        if depth >= 8:
            parent, depth = root, 0
        path = os.path.join(parent, f"dir{i:05d}")
        os.mkdir(path)
        dirs.append((path, depth + 1))

    for i in range(files):
        folder, _ = rng.choice(dirs)
        ext = rng.choice(EXTENSIONS)
        name = f"{'.' if rng.random() < 0.03 else ''}file{i:06d}{ext}"
        size = int(rng.paretovariate(1.2) * 2000) % (4 << 20)
        fd = os.open(os.path.join(folder, name), os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644)
        if size:
            os.ftruncate(fd, size)
        os.close(fd)

    with open(stamp, "w") as f:
        f.write(wanted)
    return 0


if __name__ == "__main__":
    sys.exit(main())
