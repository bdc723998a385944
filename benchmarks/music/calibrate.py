#!/usr/bin/python3
"""Calibrates the reference sets' spread floors on the calibration pages and
writes them down for the reference tool.

usage:
  calibrate.py PAGES ENGINE_FOLDER OUT_FILE [--maker M] [--bench B] [--glyphs G] [--staves S] [--base FILE]

PAGES holds pages of the "calibrate" role (make_pages.py PAGES --seed 100);
ENGINE_FOLDER is a built engine folder (build/bench/bin/Resources/Quorm),
copied, never changed. For each head class the finder searches (0, 1, 2, 4)
in turn (again, pass after pass, while a pass still changes a floor; at most
three), then for the symbol set, each candidate floor is tried: the tool
remakes both sets with it (make_reference_sets GLYPHS SETS CALIBRATION
--staves STAVES, the engraved stave pages of tools/refmaker/staves), the
sets go into the copy's Learned folder, and music_bench reads the
calibration pages with them. A head floor is scored by the noteheads found
at their steps, a symbol floor by the fixed-size symbol families, each as
F1 of precision and recall summed over both engravers and clean and
degraded pages; the best floor stays (a tie keeps the floor already held,
so the result depends only on the pages and the glyphs). OUT_FILE gets the
floors and the figures that chose them; tools/refmaker/calibration.txt is
that file, and the shipped sets are remade with it.

--base FILE (tools/refmaker/calibration.txt) gives the sets' shape that the
floors are chosen for: its lines other than the floors (the cluster counts,
the degraded copies, the ledger places) go unchanged into every trial and
into OUT_FILE.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

HEAD_CLASSES = (0, 1, 2, 4)
HEAD_FLOORS = (4.0, 5.0, 6.0, 8.0, 10.0, 12.0, 16.0)
SYMBOL_FLOORS = (4.0, 5.0, 6.0, 8.0, 10.0)
DEFAULT_FLOOR = 6.0
SYMBOL_ROWS = ("clefs", "rests", "accidentals", "dots", "flags", "dynamics")
ROW = re.compile(r"^  (\S.*?)\s+precision\s+([\d.]+)%\s+recall\s+([\d.]+)%\s+\((\d+) found, (\d+) true\)")


SHAPE = []  # the base file's lines other than the floors


def read_shape(path):
    """The lines of a calibration file that are not floors or comments."""
    shape = []
    for line in open(path):
        line = line.split("#")[0].strip()
        if line and not line.startswith(("head-spread-floor", "symbol-spread-floor")):
            shape.append(line)
    return shape


def write_calibration(path, heads, symbol, notes=()):
    lines = ["# The reference sets' calibrated spread floors (benchmarks/music/calibrate.py)."]
    lines += ["# " + n for n in notes]
    lines += ["head-spread-floor %d %g" % (c, heads[c]) for c in HEAD_CLASSES]
    lines.append("symbol-spread-floor %g" % symbol)
    lines += SHAPE
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")


def f1(rows):
    """F1 of the rows' pooled precision and recall."""
    found = sum(r[2] for r in rows)
    truth = sum(r[3] for r in rows)
    matched = sum(r[0] * r[2] for r in rows)
    recalled = sum(r[1] * r[3] for r in rows)
    p = matched / found if found else 1.0
    r = recalled / truth if truth else 1.0
    return 2 * p * r / (p + r) if p + r > 0 else 0.0


def measure(args, heads, symbol, work):
    calibration = os.path.join(work, "calibration.txt")
    sets = os.path.join(work, "sets")
    os.makedirs(sets, exist_ok=True)
    write_calibration(calibration, heads, symbol)
    subprocess.run([args["maker"], args["glyphs"], sets, calibration, "--staves", args["staves"]], check=True,
                   stdout=subprocess.DEVNULL)
    for name in ("nhOLD", "fssOLD"):
        shutil.copy(os.path.join(sets, name), os.path.join(work, "engine", "Learned", name))
    out = subprocess.run([args["bench"], args["pages"], os.path.join(work, "engine"), "calibrate"], check=True,
                         stdout=subprocess.PIPE, text=True).stdout
    head_rows, symbol_rows = [], []
    for line in out.splitlines():
        m = ROW.match(line)
        if not m:
            continue
        row = (float(m.group(2)) / 100, float(m.group(3)) / 100, int(m.group(4)), int(m.group(5)))
        if m.group(1) == "noteheads at steps":
            head_rows.append(row)
        elif m.group(1) in SYMBOL_ROWS:
            symbol_rows.append(row)
    if not head_rows:
        sys.exit("calibrate: music_bench read no calibration pages in %s" % args["pages"])
    return f1(head_rows), f1(symbol_rows)


def main():
    argv = sys.argv[1:]
    if len(argv) < 3:
        sys.exit(__doc__)
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    args = {"pages": argv[0], "engine": argv[1], "out": argv[2],
            "maker": os.path.join(root, "build/bench/tools/make_reference_sets"),
            "bench": os.path.join(root, "build/bench/benchmarks/music_bench"),
            "glyphs": os.path.join(root, "tests/Code/Quorm/fixtures/glyphs"),
            "staves": os.path.join(root, "tools/refmaker/staves")}
    rest = argv[3:]
    while rest:
        if len(rest) < 2 or rest[0] not in ("--maker", "--bench", "--glyphs", "--staves", "--base"):
            sys.exit(__doc__)
        args[rest[0][2:]] = rest[1]
        rest = rest[2:]
    if "base" in args:
        SHAPE.extend(read_shape(args["base"]))
    for key in ("maker", "bench"):
        if not os.path.exists(args[key]):
            sys.exit("calibrate: no %s (build the make_reference_sets and music_bench targets)" % args[key])
    if not os.path.isdir(os.path.join(args["engine"], "Learned")):
        sys.exit("calibrate: %s is no engine folder (it has no Learned folder)" % args["engine"])
    work = tempfile.mkdtemp()
    try:
        shutil.copytree(args["engine"], os.path.join(work, "engine"))
        heads = {c: DEFAULT_FLOOR for c in HEAD_CLASSES}
        symbol = DEFAULT_FLOOR
        notes = []
        best_heads, best_symbols = measure(args, heads, symbol, work)
        notes.append("start: all floors %g, noteheads F1 %.4f, symbols F1 %.4f" % (DEFAULT_FLOOR, best_heads,
                                                                                best_symbols))
        # Each class in turn, then again while a pass still changes a floor
        # (a class's best floor depends on the others'), at most three passes.
        for sweep in range(1, 4):
            changed = False
            for c in HEAD_CLASSES:
                tried = []
                for floor in HEAD_FLOORS:
                    if floor == heads[c]:
                        tried.append("%g %.4f" % (floor, best_heads))
                        continue
                    trial = dict(heads)
                    trial[c] = floor
                    score, _ = measure(args, trial, symbol, work)
                    tried.append("%g %.4f" % (floor, score))
                    if score > best_heads:
                        best_heads, heads, changed = score, trial, True
                notes.append("pass %d, head class %d floors tried (noteheads F1): %s; kept %g" %
                             (sweep, c, ", ".join(tried), heads[c]))
            if not changed:
                break
        _, best_symbols = measure(args, heads, symbol, work)
        tried = []
        for floor in SYMBOL_FLOORS:
            if floor == symbol:
                tried.append("%g %.4f" % (floor, best_symbols))
                continue
            _, score = measure(args, heads, floor, work)
            tried.append("%g %.4f" % (floor, score))
            if score > best_symbols:
                best_symbols, symbol = score, floor
        notes.append("symbol floors tried (symbol families F1): %s; kept %g" % (", ".join(tried), symbol))
        write_calibration(args["out"], heads, symbol, notes)
        print("\n".join(notes))
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
