#!/usr/bin/env python3
"""Makes the UI string table for both builds from resources/strings.txt.

usage: make_strings.py strings.txt out.rc out.inc

out.rc  - a STRINGTABLE for the Windows resource compiler (UTF-16 escapes)
out.inc - rows {id, u"text"} for the native build's table
"""
import sys


def parse(path):
    rows = {}
    with open(path, encoding="utf-8") as f:
        for n, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            ident, sep, text = line.partition("\t")
            if not sep or not ident.isdigit():
                sys.exit(f"{path}:{n}: expected 'id<TAB>text'")
            ident = int(ident)
            if ident in rows:
                sys.exit(f"{path}:{n}: id {ident} appears twice")
            rows[ident] = unescape(text, path, n)
    return rows


def unescape(text, path, n):
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c != "\\":
            out.append(c)
            i += 1
            continue
        e = text[i + 1:i + 2]
        if e == "n":
            out.append("\n"); i += 2
        elif e == "t":
            out.append("\t"); i += 2
        elif e == "\\":
            out.append("\\"); i += 2
        elif e == "u":
            out.append(chr(int(text[i + 2:i + 6], 16))); i += 6
        else:
            sys.exit(f"{path}:{n}: unknown escape \\{e}")
    return "".join(out)


def cxx_literal(text):
    """u"..." with every unit outside printable ASCII as a \\x escape."""
    units = text.encode("utf-16-le")
    out = []
    for k in range(0, len(units), 2):
        u = units[k] | units[k + 1] << 8
        if 0x20 <= u < 0x7F and chr(u) not in '"\\':
            out.append(chr(u))
        else:
            # closing the literal keeps a following hex digit out of the escape
            out.append('\\x%04x" u"' % u)
    return 'u"' + "".join(out) + '"'


def rc_literal(text):
    """L"..." with every unit outside ASCII as a four-digit \\x escape: the
    resource compiler of the cross build reads the script's bytes as they
    stand, whatever code page the script names."""
    out = []
    for ch in text:
        if ch == '"':
            out.append('""')
        elif ch == "\\":
            out.append("\\\\")
        elif ch == "\n":
            out.append("\\n")
        elif ch == "\t":
            out.append("\\t")
        elif ord(ch) > 0x7E:
            for unit in ch.encode("utf-16-le").hex(" ", 2).split():
                out.append("\\x" + unit[2:] + unit[:2])
        else:
            out.append(ch)
    return 'L"' + "".join(out) + '"'


def main():
    src, rc, inc = sys.argv[1:4]
    rows = parse(src)
    with open(rc, "w", encoding="utf-8", newline="\n") as f:
        f.write("// Made by tools/make_strings.py from resources/strings.txt.\n")
        f.write("#pragma code_page(65001)\nLANGUAGE 9, 1\nSTRINGTABLE\nBEGIN\n")
        for ident in sorted(rows):
            f.write(f"  {ident}, {rc_literal(rows[ident])}\n")
        f.write("END\n")
    with open(inc, "w", encoding="ascii", newline="\n") as f:
        f.write("// Made by tools/make_strings.py from resources/strings.txt.\n")
        for ident in sorted(rows):
            f.write(f"{{{ident}, {cxx_literal(rows[ident])}}},\n")


if __name__ == "__main__":
    main()
