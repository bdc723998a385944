#!/usr/bin/python3
"""Writes the end-to-end benchmark's scores (benchmarks/e2e/scores.py) as
MusicXML and has them engraved, one page each, as 1-bit G4 TIFF pages:

  - by MuseScore 3 directly, and by LilyPond through its musicxml2ly;
  - at 300 dpi, and at 200 and 400 dpi;
  - the 300 dpi pages also degraded (seeded noise, blur then threshold, a
    pixel thicker, skew up to 2 degrees).

usage:
  engrave_scores.py OUTDIR [--only NAME[,NAME...]] [--engravers mscore,lilypond]
  engrave_scores.py OUTDIR --classes FIRST_SEED COUNT [ENGRAVING,...]

--classes writes the seeded class scores of benchmarks/e2e/class_scores.py
instead (seeds FIRST_SEED on; 1000-1999 tune the reading, 2000 and up make
the figures), at 300 dpi only, clean and degraded, engraved by LilyPond and
by MuseScore 3 once in each of its music fonts (ENGRAVER "mscore-emmentaler",
"mscore-bravura", "mscore-gonville", "mscore-musejazz"; the font set in the
score's own style, as a style file given with -S leaves the music font as it
is); ENGRAVING,... keeps those only. A score an engraver sets on more than one page is left out of that
engraver's pages, with a line saying so.

Writes OUTDIR/scores/NAME.musicxml, OUTDIR/pages/NAME-ENGRAVER-DPI.tif and
NAME-ENGRAVER-300-degraded.tif, and OUTDIR/index.txt with one line per page:

  PAGE_FILE SCORE_FILE ENGRAVER DPI CONDITION

(paths relative to OUTDIR, CONDITION "clean" or "degraded"). The folder is a
cache: a page is engraved again only when its score's text changed. A score
that runs over one page stops the tool with an error naming it, since a page
is compared with the whole score it came from.

Needs mscore3, lilypond (with musicxml2ly) and ImageMagick; tools/setup.sh
installs them.
"""
import os
import random
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import class_scores  # noqa: E402
import scores  # noqa: E402


def degrade(src, dst, seed, dpi):
    """A seeded degraded copy of an engraved page: noise, blur then threshold,
    a pixel thicker or not, and skew up to 2 degrees. No thinning: a pixel
    less erases the two-pixel stave lines of the engravers' 300 dpi pages
    (the music benchmark's degradation does, and its pages lose them)."""
    r = random.Random(seed)
    angle = r.uniform(-2.0, 2.0)
    morph = r.choice([[], ["-morphology", "Erode", "Square:1"]])
    run(["convert", src, "-background", "white", "-alpha", "remove", "-alpha", "off", "-colorspace", "Gray",
         "-seed", str(seed), "-attenuate", "0.5", "+noise", "Gaussian", "-blur", "0x0.7", "-threshold", "50%"] +
        morph + ["-background", "white", "-rotate", "%.3f" % angle, "+repage", "-threshold", "50%",
                 "-type", "bilevel", "-units", "PixelsPerInch", "-density", str(dpi), "-compress", "Group4", dst])

RESOLUTIONS = [300, 200, 400]
ENGRAVERS = ["mscore", "lilypond"]


def run(args, cwd=None):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    done = subprocess.run(args, env=env, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    if done.returncode != 0:
        sys.exit("engrave_scores: %s failed:\n%s" % (" ".join(args), done.stdout.decode(errors="replace")[-2000:]))


def to_tiff(png, tif, dpi):
    run(["convert", png, "-background", "white", "-alpha", "remove", "-alpha", "off", "-colorspace", "Gray",
         "-threshold", "50%", "-type", "bilevel", "-units", "PixelsPerInch", "-density", str(dpi),
         "-compress", "Group4", tif])


def engrave_mscore(xml, work, dpi):
    """The one page MuseScore 3 engraves at dpi, as a PNG path."""
    base = os.path.join(work, "m%d.png" % dpi)
    run(["mscore3", "-r", str(dpi), "-o", base, xml])
    pages = sorted(f for f in os.listdir(work) if f.startswith("m%d-" % dpi) and f.endswith(".png"))
    return [os.path.join(work, f) for f in pages]


def engrave_lilypond(xml, work, dpi):
    ly = os.path.join(work, "score.ly")
    if not os.path.exists(ly):
        run(["musicxml2ly", "--no-beaming", "-o", ly, xml])
    base = "l%d" % dpi
    run(["lilypond", "--png", "-dresolution=%d" % dpi, "-dno-point-and-click", "-o", base, ly], cwd=work)
    single = os.path.join(work, base + ".png")
    if os.path.exists(single):
        return [single]
    return sorted(os.path.join(work, f) for f in os.listdir(work) if f.startswith(base + "-page") and
                  f.endswith(".png"))


MSCORE_FONTS = {"emmentaler": ("Emmentaler", "Emmentaler Text"), "bravura": ("Bravura", "Bravura Text"),
                "gonville": ("Gonville", "Gonville Text"), "musejazz": ("MuseJazz", "MuseJazz Text")}


def engrave_mscore_font(xml, work, font):
    """The pages MuseScore 3 engraves at 300 dpi in one of its music fonts:
    the score is imported once into MuseScore's own file, whose style then
    names the font."""
    mscx = os.path.join(work, "score.mscx")
    if not os.path.exists(mscx):
        run(["mscore3", "-o", mscx, xml])
    symbols, text = MSCORE_FONTS[font]
    styled = os.path.join(work, "%s.mscx" % font)
    with open(mscx) as f:
        body = f.read()
    body = body.replace("<Style>", "<Style>\n      <musicalSymbolFont>%s</musicalSymbolFont>\n"
                        "      <musicalTextFont>%s</musicalTextFont>" % (symbols, text), 1)
    with open(styled, "w") as f:
        f.write(body)
    run(["mscore3", "-r", "300", "-o", os.path.join(work, "f%s.png" % font), styled])
    return sorted(os.path.join(work, f) for f in os.listdir(work) if f.startswith("f%s-" % font) and
                  f.endswith(".png"))


def engrave_classes(folder, first, count, only=None):
    """The class scores of seeds first .. first + count - 1, each engraved
    at 300 dpi by LilyPond and by MuseScore in each music font, clean and
    degraded (a cache like the hand-written scores' pages)."""
    os.makedirs(os.path.join(folder, "scores"), exist_ok=True)
    os.makedirs(os.path.join(folder, "pages"), exist_ok=True)
    index = []
    engravings = [e for e in ["mscore-" + font for font in MSCORE_FONTS] + ["lilypond"] if not only or e in only]
    for seed in range(first, first + count):
        name, text = class_scores.musicxml(seed)
        xml_name = os.path.join("scores", name + ".musicxml")
        xml = os.path.join(folder, xml_name)
        fresh = not os.path.exists(xml) or open(xml).read() != text
        if fresh:
            with open(xml, "w") as f:
                f.write(text)
        work = tempfile.mkdtemp()
        try:
            for number, engraving in enumerate(engravings):
                page_name = os.path.join("pages", "%s-%s-300.tif" % (name, engraving))
                page = os.path.join(folder, page_name)
                degraded = page.replace(".tif", "-degraded.tif")
                skipped = page + ".pages"
                if not fresh and os.path.exists(skipped):
                    continue
                if fresh or not os.path.exists(page) or not os.path.exists(degraded):
                    if os.path.exists(skipped):
                        os.remove(skipped)
                    if engraving == "lilypond":
                        pngs = engrave_lilypond(xml, work, 300)
                    else:
                        pngs = engrave_mscore_font(xml, work, engraving.split("-")[1])
                    if len(pngs) != 1:
                        print("left out: %s engraves %s on %d pages" % (engraving, name, len(pngs)), flush=True)
                        with open(skipped, "w") as f:
                            f.write("%d\n" % len(pngs))
                        continue
                    to_tiff(pngs[0], page, 300)
                    degrade(pngs[0], degraded, 7919 * seed + number, 300)
                    print("engraved", page_name, flush=True)
                index.append("%s %s %s 300 clean" % (page_name, xml_name, engraving))
                index.append("%s %s %s 300 degraded" % (page_name.replace(".tif", "-degraded.tif"), xml_name,
                                                         engraving))
        finally:
            shutil.rmtree(work)
    with open(os.path.join(folder, "index.txt"), "w") as f:
        f.write("\n".join(index) + "\n")


def main():
    args = sys.argv[1:]
    if not args or args[0].startswith("-"):
        sys.exit(__doc__)
    folder, only, engravers = args[0], None, ENGRAVERS
    rest = args[1:]
    if rest and rest[0] == "--classes":
        if len(rest) not in (3, 4):
            sys.exit(__doc__)
        for tool in ("convert", "mscore3", "lilypond", "musicxml2ly"):
            if shutil.which(tool) is None:
                sys.exit("engrave_scores: %s is not installed (tools/setup.sh installs it)" % tool)
        engrave_classes(folder, int(rest[1]), int(rest[2]), rest[3].split(",") if len(rest) == 4 else None)
        return
    while rest:
        if rest[0] == "--only" and len(rest) > 1:
            only = rest[1].split(",")
        elif rest[0] == "--engravers" and len(rest) > 1:
            engravers = rest[1].split(",")
            if any(e not in ENGRAVERS for e in engravers):
                sys.exit("engrave_scores: the engravers are %s" % ", ".join(ENGRAVERS))
        else:
            sys.exit(__doc__)
        rest = rest[2:]
    needed = {"mscore": ["mscore3"], "lilypond": ["lilypond", "musicxml2ly"]}
    for tool in sum((needed[e] for e in engravers), ["convert"]):
        if shutil.which(tool) is None:
            sys.exit("engrave_scores: %s is not installed (tools/setup.sh installs it)" % tool)
    os.makedirs(os.path.join(folder, "scores"), exist_ok=True)
    os.makedirs(os.path.join(folder, "pages"), exist_ok=True)
    index = []
    for number, score in enumerate(scores.SCORES):
        if only and score["name"] not in only:
            continue
        text = scores.musicxml(score)
        xml_name = os.path.join("scores", score["name"] + ".musicxml")
        xml = os.path.join(folder, xml_name)
        fresh = not os.path.exists(xml) or open(xml).read() != text
        if fresh:
            with open(xml, "w") as f:
                f.write(text)
        for engraver in engravers:
            work = tempfile.mkdtemp()
            try:
                for dpi in RESOLUTIONS:
                    page_name = os.path.join("pages", "%s-%s-%d.tif" % (score["name"], engraver, dpi))
                    page = os.path.join(folder, page_name)
                    degraded = page.replace(".tif", "-degraded.tif")
                    if fresh or not os.path.exists(page) or (dpi == 300 and not os.path.exists(degraded)):
                        pngs = (engrave_mscore if engraver == "mscore" else engrave_lilypond)(xml, work, dpi)
                        if len(pngs) != 1:
                            sys.exit("engrave_scores: %s engraves %s on %d pages; a score must fit one page"
                                     % (engraver, score["name"], len(pngs)))
                        to_tiff(pngs[0], page, dpi)
                        if dpi == 300:
                            degrade(pngs[0], degraded, 7919 * (number + 1) + len(engraver), dpi)
                        print("engraved", page_name, flush=True)
                    index.append("%s %s %s %d clean" % (page_name, xml_name, engraver, dpi))
                    if dpi == 300:
                        index.append("%s %s %s %d degraded" % (page_name.replace(".tif", "-degraded.tif"),
                                                               xml_name, engraver, dpi))
            finally:
                shutil.rmtree(work)
    with open(os.path.join(folder, "index.txt"), "w") as f:
        f.write("\n".join(index) + "\n")


if __name__ == "__main__":
    main()
