#!/usr/bin/python3
"""Writes the text metrics of the recording device: the advance widths of the
faces that the score's text font kinds draw with, as the Windows build's
fonts give them (the Liberation faces that replace "Arial", "Times New Roman"
and "MS Sans Serif"), and the average width of the music font.

    make_text_metrics.py OUT.cpp LIBERATION_DIR MUSIC_FONT.TTF

Widths are in font units of each face's em, for U+0020..U+00FF; a character
the face lacks has width -1 (measured as the face's missing glyph).
"""
import struct
import sys

import fontforge


def sfnt_table(path, tag):
    data = open(path, "rb").read()
    count = struct.unpack(">H", data[4:6])[0]
    for i in range(count):
        entry = data[12 + 16 * i: 28 + 16 * i]
        if entry[:4] == tag:
            offset, length = struct.unpack(">II", entry[8:16])
            return data[offset: offset + length]
    raise SystemExit("%s: no %r table" % (path, tag))


def em_and_average(path):
    """unitsPerEm of 'head' and xAvgCharWidth of 'OS/2', as GDI reads them."""
    em = struct.unpack(">H", sfnt_table(path, b"head")[18:20])[0]
    average = struct.unpack(">h", sfnt_table(path, b"OS/2")[2:4])[0]
    return em, average

FACES = [
    # (family, bold, italic, file)
    ("Liberation Sans", 0, 0, "LiberationSans-Regular.ttf"),
    ("Liberation Sans", 1, 0, "LiberationSans-Bold.ttf"),
    ("Liberation Sans", 0, 1, "LiberationSans-Italic.ttf"),
    ("Liberation Sans", 1, 1, "LiberationSans-BoldItalic.ttf"),
    ("Liberation Serif", 0, 0, "LiberationSerif-Regular.ttf"),
    ("Liberation Serif", 1, 0, "LiberationSerif-Bold.ttf"),
    ("Liberation Serif", 0, 1, "LiberationSerif-Italic.ttf"),
    ("Liberation Serif", 1, 1, "LiberationSerif-BoldItalic.ttf"),
]
FIRST, LAST = 0x20, 0xFF


def face_metrics(path):
    f = fontforge.open(path)
    widths = []
    for cp in range(FIRST, LAST + 1):
        try:
            widths.append(f[cp].width)
        except (TypeError, ValueError, KeyError):
            widths.append(-1)
    missing = f[".notdef"].width if ".notdef" in f else f.em // 2
    result = (f.em, f.hhea_ascent, -f.hhea_descent, f.os2_winascent, f.os2_windescent, missing, widths)
    f.close()
    return result


def main():
    out, folder, music = sys.argv[1:4]
    lines = [
        "// Made by tools/make_text_metrics.py from the fonts the Windows build draws",
        "// with; do not edit.",
        '#include "render/TextMetrics.h"',
        "",
        "namespace {",
    ]
    rows = []
    for i, (family, bold, italic, name) in enumerate(FACES):
        em, _, _, wa, wd, missing, widths = face_metrics(folder + "/" + name)
        body = ", ".join(str(w) for w in widths)
        lines.append("constexpr int16_t kWidths%d[%d] = {%s};" % (i, len(widths), body))
        rows.append('  {u"%s", %d, %d, %d, %d, %d, %d, kWidths%d},' % (family, bold, italic, em, wa, wd, missing, i))
    music_em, music_avg = em_and_average(music)
    lines.append("constexpr TextFaceMetrics kFaces[] = {")
    lines.extend(rows)
    lines.append("};")
    lines.append("}  // namespace")
    lines.append("")
    lines.append("const TextFaceMetrics* TextFaceTable(int* count) {")
    lines.append("  *count = static_cast<int>(sizeof kFaces / sizeof kFaces[0]);")
    lines.append("  return kFaces;")
    lines.append("}")
    lines.append("int MusicFontEm() { return %d; }" % music_em)
    lines.append("int MusicFontAverageWidth() { return %d; }" % music_avg)
    text = "\n".join(lines) + "\n"
    try:
        if open(out).read() == text:
            return
    except OSError:
        pass
    with open(out, "w") as fh:
        fh.write(text)


if __name__ == "__main__":
    main()
