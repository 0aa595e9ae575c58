#!/usr/bin/env python3
"""Makes a reproducible tree of real files for the duplicate-finder benchmark.

    gen_dups.py ROOT [FILES [SEED]]

FILES files (200,000 by default) in 2,000 folders, with random contents:
  - unique files, most of them small (1 byte to 2 KiB), some up to 16 KiB, a few up to 256 KiB,
    so that nearly every size is shared and the size runs are long;
  - about 10 % of them in groups of 2 to 50 identical copies;
  - decoys of a group's size: one differing in the first block, one in the last block only,
    and one made of the same 2 KiB blocks in another order (same block-sum checksum);
  - second names (hard links) of unique files, and empty files.
The same arguments always give the same tree. A tree already complete under ROOT (its
".gen_dups" stamp matches) is kept.
"""
import os
import random
import sys


def main():
    root = sys.argv[1]
    files = int(sys.argv[2]) if len(sys.argv) > 2 else 200000
    seed = int(sys.argv[3]) if len(sys.argv) > 3 else 20261209
    stamp = os.path.join(root, ".gen_dups")
    wanted = f"{files} {seed}\n"
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
    folders = []
    for i in range(2000):
        parent = rng.choice(folders) if folders and rng.random() < 0.7 else root
        path = os.path.join(parent, f"d{i:04d}")
        os.makedirs(path, exist_ok=True)
        folders.append(path)

    count = 0

    def place(content, name=None):
        nonlocal count
        folder = rng.choice(folders)
        path = os.path.join(folder, name or f"f{count:06d}.dat")
        with open(path, "wb") as f:
            f.write(content)
        count += 1
        return path

    def size_of():
        r = rng.random()
        if r < 0.70:
            return rng.randint(1, 2048)
        if r < 0.95:
            return rng.randint(2049, 16384)
        return rng.randint(16385, 262144)

    dup_budget = files // 10
    unique_links = files // 200
    empties = files // 500
    # Duplicate groups with their decoys.
    while dup_budget > 0:
        copies = min(rng.randint(2, 50) if rng.random() < 0.2 else rng.randint(2, 4), dup_budget)
        if copies < 2:
            break
        size = max(size_of(), 6145)  # room for three blocks, so that every kind of decoy exists
        content = rng.randbytes(size)
        for _ in range(copies):
            place(content)
        dup_budget -= copies
        kind = rng.randrange(4)
        if kind == 0:  # differs in the first block
            place(bytes([content[0] ^ 1]) + content[1:])
        elif kind == 1:  # differs in the last block only
            place(content[:-1] + bytes([content[-1] ^ 1]))
        elif kind == 2:  # two whole blocks swapped: the same block-sum checksum
            blocks = [content[i:i + 2048] for i in range(0, size, 2048)]
            full = [i for i, b in enumerate(blocks) if len(b) == 2048]
            a, b = full[-1], full[-2]
            blocks[a], blocks[b] = blocks[b], blocks[a]
            place(b"".join(blocks))
    # Hard links of unique files (two names of one file are no duplicates).
    for _ in range(unique_links):
        path = place(rng.randbytes(size_of()))
        folder = rng.choice(folders)
        os.link(path, os.path.join(folder, f"link{count:06d}.dat"))
        count += 1
    for _ in range(empties):
        place(b"")
    while count < files:
        place(rng.randbytes(size_of()))

    with open(stamp, "w") as f:
        f.write(wanted)
    return 0


if __name__ == "__main__":
    sys.exit(main())
