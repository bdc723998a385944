#!/usr/bin/python3
"""Compares a MusicXML score read from a page with the score that made the
page, note by note.

usage:
  compare_scores.py SOURCE.musicxml READ.musicxml
  compare_scores.py --results RESULTS.txt [--root FOLDER] [--classes]

Both files are partwise MusicXML. Each is taken apart into streams, one per
stave of a part (a piano part is two streams), each a list of bars, each bar
a list of notes: onset in the bar, sounding pitch (MIDI key) and duration
(both as fractions of a whole note; tuplets as they sound). Rests, grace and
cue notes are left out. Streams of the read score are paired with the
source's greedily by the notes they share; the bars of a pair are aligned in
order (a missed or an extra bar line costs only the bars it touches), and
within aligned bars:

  note-level   a read note matches a source note of the same onset, pitch
               and duration (each source note matched at most once);
  pitch-only   the bar's pitches in time order, longest common subsequence;
  rhythm-only  onset and duration, whatever the pitch.

Precision is matched / read notes, recall matched / source notes, F1 their
harmonic mean. Parts found are the read score's parts against the source's,
staves found its streams against the source's (the program writes each
stave as a part of its own, so a piano read whole is 2 parts of 1 and 2
staves of 2); bars found the read bars of the paired streams against the
source's.

--results takes the benchmark's per-page lines
  PAGE SOURCE READ ENGRAVER DPI CONDITION SECONDS BUILD_SECONDS ENGINE_SECONDS
(READ "-" when nothing was exported) and prints a line per page, then the
totals per group (clean 300 dpi, degraded, 200 dpi, 400 dpi) beside the
targets: note-level F1 at least 0.98 on clean 300 dpi pages and 0.95 on
degraded ones; score building at most a quarter of the engine's time.

--classes prints instead the symbol error rate (SER) per class of notation
and per engraving, clean and degraded: per stave, the notes and rests in
time order (chords top down, grace notes before their note) as symbols of
pitch (step, alteration, octave; a percussion note's display step), type and
dots, grace or cue; a rest whose length is its bar's is a bar rest,
whatever its type. The read staves are paired with the source's (most
symbols in common first) and each pair's symbol lists are aligned by edit
distance: a source symbol is right, wrong (substituted), or missed; a read
symbol no source symbol pairs with is added. SER = (wrong + missed +
added) / source symbols. Each source symbol belongs to one class, the first
of CLASS_ORDER it falls in (an added symbol to that of the source symbol
before it):

  small       grace and cue notes;
  percussion  unpitched notes, notes of tablature staves, heads other than
              normal, notes with tremolo strokes;
  rests       rests of a second or third voice, bar rests, multi-bar rests;
  short       32nds and shorter, double dots, tuplets other than 3:2;
  clefs       notes under a clef other than treble and bass, or in a bar
              where the stave's clef changes;
  dense       notes of chords of four or more, notes with lyrics, notes of
              a stave's second or third voice;
  keys        notes altered (by the key or an accidental), notes of a step
              the key alters (naturals against the key), notes with a
              written accidental, notes after a key change;
  plain       the rest.

Targets: SER at most 1 % on clean pages, 2 % on degraded ones; no class
above 3 %.
"""
import os
import sys
import xml.etree.ElementTree as ET
from collections import Counter
from fractions import Fraction

STEP_KEYS = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}
TARGETS = {"clean 300 dpi": 0.98, "degraded": 0.95}
BUILD_SHARE_TARGET = 0.25


class ScoreError(Exception):
    pass


def _int(element, default=0):
    try:
        return int(float(element.text.strip())) if element is not None and element.text else default
    except ValueError:
        return default


def _moved(time, element, divisions):
    """The time in the bar after a <backup> or <forward>."""
    step = Fraction(_int(element.find("duration")), divisions * 4)
    return max(time - step if element.tag == "backup" else time + step, Fraction(0))


def read_score(path):
    """(part count, {(part, stave): [bar, ...]}) where a bar is a list of
    (onset, key, duration) in time order."""
    try:
        root = ET.parse(path).getroot()
    except (ET.ParseError, OSError) as error:
        raise ScoreError("%s: %s" % (path, error))
    if root.tag != "score-partwise":
        raise ScoreError("%s: not a partwise MusicXML score (root %s)" % (path, root.tag))
    streams = {}
    parts = root.findall("part")
    for p, part in enumerate(parts):
        divisions = 1
        bars_by_stave = {}
        measures = part.findall("measure")
        for m, measure in enumerate(measures):
            time = Fraction(0)
            last_onset = Fraction(0)
            for element in measure:
                if element.tag == "attributes":
                    d = _int(element.find("divisions"))
                    if d > 0:
                        divisions = d
                elif element.tag in ("backup", "forward"):
                    time = _moved(time, element, divisions)
                elif element.tag == "note":
                    if element.find("grace") is not None or element.find("cue") is not None:
                        continue
                    duration = Fraction(_int(element.find("duration")), divisions * 4)
                    chord = element.find("chord") is not None
                    onset = last_onset if chord else time
                    if not chord:
                        last_onset = time
                        time += duration
                    stave = _int(element.find("staff"), 1)
                    bars = bars_by_stave.setdefault(stave, [])
                    pitch = element.find("pitch")
                    if pitch is None:
                        continue
                    step = pitch.findtext("step", "C").strip()
                    key = (_int(pitch.find("octave")) + 1) * 12 + STEP_KEYS.get(step, 0)
                    alter = pitch.find("alter")
                    if alter is not None and alter.text:
                        key += int(round(float(alter.text)))
                    bars.append((m, (onset, key, duration)))
        # Every stave has every bar of the part, empty or not.
        for stave, notes in bars_by_stave.items():
            bars = [[] for _ in measures]
            for m, note in notes:
                bars[m].append(note)
            streams[(p, stave)] = [sorted(bar) for bar in bars]
        if not bars_by_stave:
            streams[(p, 1)] = [[] for _ in measures]
    return len(parts), streams


def _multiset_common(a, b):
    return sum((Counter(a) & Counter(b)).values())


def _lcs(a, b):
    row = [0] * (len(b) + 1)
    for x in a:
        previous = 0
        for j, y in enumerate(b):
            current = row[j + 1]
            row[j + 1] = previous + 1 if x == y else max(row[j + 1], row[j])
            previous = current
    return row[len(b)]


def bar_figures(source, read):
    """(note-level, pitch-only, rhythm-only) matches of two bars."""
    return (_multiset_common(source, read),
            _lcs([n[1] for n in source], [n[1] for n in read]),
            _multiset_common([(n[0], n[2]) for n in source], [(n[0], n[2]) for n in read]))


def align_bars(source, read):
    """Bar pairs (i, j) in order that share the most notes (an alignment of
    the two bar lists where skipped bars cost nothing)."""
    n, m = len(source), len(read)
    best = [[0] * (m + 1) for _ in range(n + 1)]
    for i in range(n - 1, -1, -1):
        for j in range(m - 1, -1, -1):
            pair = best[i + 1][j + 1] + bar_figures(source[i], read[j])[0] * 4 + 1
            best[i][j] = max(pair, best[i + 1][j], best[i][j + 1])
    pairs, i, j = [], 0, 0
    while i < n and j < m:
        if best[i][j] == best[i + 1][j + 1] + bar_figures(source[i], read[j])[0] * 4 + 1:
            pairs.append((i, j))
            i, j = i + 1, j + 1
        elif best[i][j] == best[i + 1][j]:
            i += 1
        else:
            j += 1
    return pairs


def stream_figures(source, read):
    figures = [0, 0, 0]
    for i, j in align_bars(source, read):
        for k, v in enumerate(bar_figures(source[i], read[j])):
            figures[k] += v
    return figures


def compare(source_path, read_path):
    """The comparison as a dict of counts (see the module's comment); a
    missing read file counts as an empty score."""
    source_parts, source = read_score(source_path)
    read_parts, read = (0, {}) if read_path in (None, "-") else read_score(read_path)
    pairs = []
    for s_key, s_bars in source.items():
        for r_key, r_bars in read.items():
            f = stream_figures(s_bars, r_bars)
            pairs.append((f[0], f[1] + f[2], -abs(s_key[0] - r_key[0]), s_key, r_key, f))
    pairs.sort(reverse=True)
    used_s, used_r = set(), set()
    matched = [0, 0, 0]
    bars_found = 0
    for _, _, _, s_key, r_key, f in pairs:
        if s_key in used_s or r_key in used_r:
            continue
        used_s.add(s_key)
        used_r.add(r_key)
        matched = [a + b for a, b in zip(matched, f)]
        bars_found += len(read[r_key])
    return {
        "source_notes": sum(len(b) for bars in source.values() for b in bars),
        "read_notes": sum(len(b) for bars in read.values() for b in bars),
        "matched": matched[0], "pitch": matched[1], "rhythm": matched[2],
        "source_parts": source_parts, "read_parts": read_parts,
        "source_staves": len(source), "read_staves": len(read),
        "source_bars": sum(len(bars) for bars in source.values()), "read_bars": bars_found,
    }


def _ratio(a, b):
    return a / b if b else 0.0


def rates(c):
    """Precision, recall and F1 of note-level matches, F1 of pitch-only and
    rhythm-only matches."""
    def f1(matches):
        p, r = _ratio(matches, c["read_notes"]), _ratio(matches, c["source_notes"])
        return 2 * p * r / (p + r) if p + r else 0.0
    return {"precision": _ratio(c["matched"], c["read_notes"]), "recall": _ratio(c["matched"], c["source_notes"]),
            "f1": f1(c["matched"]), "pitch_f1": f1(c["pitch"]), "rhythm_f1": f1(c["rhythm"])}


def add(total, c):
    for k, v in c.items():
        total[k] = total.get(k, 0) + v


def group_of(dpi, condition):
    if condition == "degraded":
        return "degraded"
    return "clean %d dpi" % dpi


HEADER = "%-34s %5s %5s %5s %5s %5s  %5s %6s %7s %6s %6s %6s" % (
    "page", "P", "R", "F1", "pitch", "rhy", "parts", "staves", "bars", "s/page", "build", "engine")


def line(name, c, seconds, build, engine):
    r = rates(c)
    return "%-34s %5.3f %5.3f %5.3f %5.3f %5.3f  %2d/%-2d  %2d/%-3d %3d/%-3d %6.2f %6.3f %6.3f" % (
        name[:34], r["precision"], r["recall"], r["f1"], r["pitch_f1"], r["rhythm_f1"], c["read_parts"],
        c["source_parts"], c["read_staves"], c["source_staves"], c["read_bars"], c["source_bars"], seconds, build,
        engine)


def report(results, root, out=sys.stdout):
    groups = {}
    print(HEADER, file=out)
    for row in results:
        page, source, read, engraver, dpi, condition = row[:6]
        seconds, build, engine = (float(v) for v in row[6:9])
        c = compare(os.path.join(root, source), read if read == "-" else os.path.join(root, read))
        print(line(os.path.basename(page), c, seconds, build, engine), file=out)
        for name in (group_of(int(dpi), condition), "%s %s" % (engraver, condition), "all"):
            g = groups.setdefault(name, [{}, 0, 0.0, 0.0, 0.0])
            add(g[0], c)
            g[1] += 1
            g[2] += seconds
            g[3] += build
            g[4] += engine
    print("", file=out)
    print(HEADER.replace("page", "group", 1) + "  target", file=out)
    for name in sorted(groups):
        c, pages, seconds, build, engine = groups[name]
        target = ""
        if name in TARGETS:
            target = "  F1 >= %.2f: %s" % (TARGETS[name], "met" if rates(c)["f1"] >= TARGETS[name] else "not met")
        print(line("%s (%d)" % (name, pages), c, seconds / pages, build / pages, engine / pages) + target, file=out)
    if "all" in groups:
        _, _, _, build, engine = groups["all"]
        share = _ratio(build, engine)
        verdict = "met" if share <= BUILD_SHARE_TARGET else "not met"
        if build == 0:
            verdict = "no score building ran"
        print("\nscore building (rhythm correction on) / engine time: %.3f (target <= %.2f: %s)"
              % (share, BUILD_SHARE_TARGET, verdict), file=out)


CLASS_ORDER = ["small", "percussion", "rests", "short", "clefs", "dense", "keys", "plain"]
SER_TARGETS = {"clean": 0.01, "degraded": 0.02}
CLASS_TARGET = 0.03
PLAIN_CLEFS = {("G", 2, 0), ("F", 4, 0)}


def read_symbols(path):
    """{(part, stave): [(order, symbol, class)]} of a score, in time order."""
    try:
        root = ET.parse(path).getroot()
    except (ET.ParseError, OSError) as error:
        raise ScoreError("%s: %s" % (path, error))
    streams = {}
    for p, part in enumerate(root.findall("part")):
        divisions, bar_length, fifths_changed, fifths = 1, None, False, 0
        clefs = {}  # stave -> (sign, line, octave change)
        tab = set()
        rest_run = 0
        for m, measure in enumerate(part.findall("measure")):
            time = Fraction(0)
            last_onset = Fraction(0)
            changed = set()  # staves whose clef changes in this bar
            for element in measure.iter("clef"):
                if m > 0:
                    changed.add(int(element.get("number", "1")))
            for element in measure.iter("multiple-rest"):
                rest_run = _int(element)
            in_rest_run = rest_run > 0
            voices = {}  # stave -> voices in the bar
            for note in measure.iter("note"):
                voices.setdefault(_int(note.find("staff"), 1), set()).add(note.findtext("voice", "1").strip())
            chords = {}  # index in the bar of a chord's first note -> notes in the chord
            first = 0
            for i, element in enumerate(measure):
                if element.tag != "note":
                    continue
                if element.find("chord") is None:
                    first = i
                chords[first] = chords.get(first, 0) + 1
            first = 0
            for i, element in enumerate(measure):
                if element.tag == "attributes":
                    d = _int(element.find("divisions"))
                    if d > 0:
                        divisions = d
                    t = element.find("time")
                    if t is not None:
                        bar_length = Fraction(_int(t.find("beats")), _int(t.find("beat-type"), 4))
                    if element.find("key") is not None:
                        fifths = _int(element.find("key/fifths"))
                        fifths_changed = fifths_changed or m > 0
                    for clef in element.findall("clef"):
                        number = int(clef.get("number", "1"))
                        sign = clef.findtext("sign", "G").strip()
                        clefs[number] = (sign, _int(clef.find("line")), _int(clef.find("clef-octave-change")))
                        if sign == "TAB":
                            tab.add(number)
                elif element.tag in ("backup", "forward"):
                    time = _moved(time, element, divisions)
                elif element.tag == "note":
                    grace = element.find("grace") is not None
                    cue = element.find("cue") is not None
                    duration = Fraction(0 if grace else _int(element.find("duration")), divisions * 4)
                    chord = element.find("chord") is not None
                    onset = last_onset if chord else time
                    if not chord:
                        last_onset = time
                        time += duration
                    stave = _int(element.find("staff"), 1)
                    voice = element.findtext("voice", "1").strip()
                    kind = element.findtext("type", "").strip()
                    dots = len(element.findall("dot"))
                    tm = element.find("time-modification")
                    ratio = (_int(tm.find("actual-notes")), _int(tm.find("normal-notes"))) if tm is not None \
                        else None
                    pitch, unpitched = element.find("pitch"), element.find("unpitched")
                    rest = element.find("rest")
                    mark = "g" if grace else "c" if cue else ""
                    if rest is not None:
                        whole_bar = rest.get("measure") == "yes" or (bar_length is not None and
                                                                      duration == bar_length and not kind) or \
                            (bar_length is not None and duration == bar_length)
                        symbol = ("r", "bar" if whole_bar else kind, 0 if whole_bar else dots, mark)
                        height = -1000
                    elif pitch is not None:
                        step = pitch.findtext("step", "C").strip()
                        octave = _int(pitch.find("octave"))
                        alter = pitch.find("alter")
                        alter = int(round(float(alter.text))) if alter is not None and alter.text else 0
                        symbol = (step, alter, octave, kind, dots, mark)
                        height = octave * 7 + "CDEFGAB".find(step)
                    elif unpitched is not None:
                        step = unpitched.findtext("display-step", "C").strip()
                        octave = _int(unpitched.find("display-octave"))
                        symbol = ("x" + step, 0, octave, kind, dots, mark)
                        height = octave * 7 + "CDEFGAB".find(step)
                    else:
                        continue
                    head = element.findtext("notehead", "normal").strip()
                    clef = clefs.get(stave, ("G", 2, 0))
                    if grace or cue:
                        cls = "small"
                    elif unpitched is not None or stave in tab or clef[0] in ("TAB", "percussion") or \
                            head not in ("normal", "") or element.find(".//tremolo") is not None:
                        cls = "percussion"
                    elif rest is not None:
                        cls = "rests" if (voice not in ("1", "5") or symbol[1] == "bar" or in_rest_run) \
                            else "plain"
                    elif kind in ("32nd", "64th", "128th") or dots >= 2 or (ratio and ratio != (3, 2)):
                        cls = "short"
                    elif clef not in PLAIN_CLEFS or stave in changed:
                        cls = "clefs"
                    elif chords.get(first if chord else i, 0) >= 4 or element.find("lyric") is not None or \
                            len(voices.get(stave, ())) > 1:
                        cls = "dense"
                    elif symbol[1] != 0 or element.find("accidental") is not None or fifths_changed or \
                            (pitch is not None and symbol[0] in ("FCGDAEB"[:fifths] + "BEADGCF"[:-fifths])):
                        cls = "keys"
                    else:
                        cls = "plain"
                    if not chord:
                        first = i
                    order = (m, onset, 0 if grace else 1, -height)
                    streams.setdefault((p, stave), []).append((order, symbol, cls))
            if rest_run > 0:
                rest_run -= 1
    for key in streams:
        streams[key].sort(key=lambda s: s[0])
    return streams


def align_symbols(source, read):
    """The edit-distance alignment of two symbol lists: per source symbol
    "right", "wrong" or "missed", and the source index before each added
    read symbol (-1 before the first)."""
    n, m = len(source), len(read)
    cost = [[0] * (m + 1) for _ in range(n + 1)]
    for i in range(n + 1):
        cost[i][0] = i
    for j in range(m + 1):
        cost[0][j] = j
    for i in range(1, n + 1):
        row, above = cost[i], cost[i - 1]
        a = source[i - 1]
        for j in range(1, m + 1):
            row[j] = min(above[j - 1] + (a != read[j - 1]), above[j] + 1, row[j - 1] + 1)
    verdicts, added = [None] * n, []
    i, j = n, m
    while i > 0 or j > 0:
        if i > 0 and j > 0 and cost[i][j] == cost[i - 1][j - 1] + (source[i - 1] != read[j - 1]):
            verdicts[i - 1] = "right" if source[i - 1] == read[j - 1] else "wrong"
            i, j = i - 1, j - 1
        elif i > 0 and cost[i][j] == cost[i - 1][j] + 1:
            verdicts[i - 1] = "missed"
            i -= 1
        else:
            added.append(i - 1)
            j -= 1
    return verdicts, added


def class_counts(source_path, read_path):
    """{class: {"true", "right", "wrong", "missed", "added"}} of one page."""
    source = read_symbols(source_path)
    read = {} if read_path in (None, "-") else read_symbols(read_path)
    counts = {c: {"true": 0, "right": 0, "wrong": 0, "missed": 0, "added": 0} for c in CLASS_ORDER}
    pairs = []
    for s_key, s_list in source.items():
        for r_key, r_list in read.items():
            verdicts, added = align_symbols([s[1] for s in s_list], [r[1] for r in r_list])
            pairs.append((verdicts.count("right"), -len(added), s_key, r_key, verdicts, added))
    pairs.sort(key=lambda p: (p[0], p[1]), reverse=True)
    used_s, used_r = set(), set()
    for _, _, s_key, r_key, verdicts, added in pairs:
        if s_key in used_s or r_key in used_r:
            continue
        used_s.add(s_key)
        used_r.add(r_key)
        s_list = source[s_key]
        for (_, _, cls), verdict in zip(s_list, verdicts):
            counts[cls]["true"] += 1
            counts[cls][verdict] += 1
        for before in added:
            counts[s_list[max(before, 0)][2] if s_list else "plain"]["added"] += 1
    for s_key, s_list in source.items():
        if s_key not in used_s:
            for _, _, cls in s_list:
                counts[cls]["true"] += 1
                counts[cls]["missed"] += 1
    for r_key, r_list in read.items():
        if r_key not in used_r:
            counts["plain"]["added"] += len(r_list)
    return counts


def ser_of(c):
    return _ratio(c["wrong"] + c["missed"] + c["added"], c["true"])


def report_classes(results, root, out=sys.stdout):
    """The per-class table of a results file (see --classes)."""
    groups = {}  # (engraving, condition) -> {class: counts}
    for row in results:
        page, source, read, engraving, dpi, condition = row[:6]
        counts = class_counts(os.path.join(root, source), read if read == "-" else os.path.join(root, read))
        for name in ((engraving, condition), ("all", condition)):
            g = groups.setdefault(name, {c: {} for c in CLASS_ORDER})
            for c in CLASS_ORDER:
                add(g[c], counts[c])
    engravings = sorted({e for e, _ in groups if e != "all"}) + ["all"]
    for condition in ("clean", "degraded"):
        print("SER per class and engraving, %s pages (symbols: source count)" % condition, file=out)
        print("%-11s" % "class" + "".join("%18s" % e[:17] for e in engravings), file=out)
        for c in CLASS_ORDER + ["total"]:
            cells = []
            for e in engravings:
                g = groups.get((e, condition))
                if g is None:
                    cells.append("%18s" % "-")
                    continue
                counts = {}
                for k in (CLASS_ORDER if c == "total" else [c]):
                    add(counts, g[k])
                cells.append("%18s" % ("%.3f (%d)" % (ser_of(counts), counts["true"]) if counts.get("true") else "-"))
            print("%-11s" % c + "".join(cells), file=out)
        g = groups.get(("all", condition))
        if g is None:
            continue
        print("\nall engravings, %s: %-11s %6s %6s %6s %6s %6s %7s  target" %
              (condition, "class", "true", "right", "wrong", "missed", "added", "SER"), file=out)
        total = {}
        for c in CLASS_ORDER:
            add(total, g[c])
            k = g[c]
            if not k.get("true"):
                continue
            print("%-31s %-11s %6d %6d %6d %6d %6d %7.4f  %s" % (
                "", c, k["true"], k["right"], k["wrong"], k["missed"], k["added"], ser_of(k),
                "<= %.2f: %s" % (CLASS_TARGET, "met" if ser_of(k) <= CLASS_TARGET else "not met")), file=out)
        print("%-31s %-11s %6d %6d %6d %6d %6d %7.4f  %s\n" % (
            "", "total", total["true"], total["right"], total["wrong"], total["missed"], total["added"],
            ser_of(total), "<= %.2f: %s" % (SER_TARGETS[condition],
                                            "met" if ser_of(total) <= SER_TARGETS[condition] else "not met")),
            file=out)


def main(args):
    if len(args) == 2 and not args[0].startswith("-"):
        c = compare(args[0], args[1])
        r = rates(c)
        print("notes: source %d, read %d, matched %d" % (c["source_notes"], c["read_notes"], c["matched"]))
        print("precision %.3f recall %.3f F1 %.3f; pitch-only F1 %.3f, rhythm-only F1 %.3f" %
              (r["precision"], r["recall"], r["f1"], r["pitch_f1"], r["rhythm_f1"]))
        print("parts %d of %d, staves %d of %d, bars %d of %d" % (
            c["read_parts"], c["source_parts"], c["read_staves"], c["source_staves"], c["read_bars"],
            c["source_bars"]))
        return 0
    classes = "--classes" in args
    if classes:
        args = [a for a in args if a != "--classes"]
    if len(args) in (2, 4) and args[0] == "--results":
        root = args[3] if len(args) == 4 and args[2] == "--root" else os.path.dirname(os.path.abspath(args[1]))
        with open(args[1]) as f:
            results = [l.split() for l in f if l.strip() and not l.startswith("#")]
        bad = [r for r in results if len(r) != 9]
        if bad:
            raise ScoreError("%s: a result line needs 9 fields: %s" % (args[1], " ".join(bad[0])))
        (report_classes if classes else report)(results, root)
        return 0
    sys.stderr.write(__doc__)
    return 2


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv[1:]))
    except ScoreError as error:
        sys.exit("compare_scores: %s" % error)
