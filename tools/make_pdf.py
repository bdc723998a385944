#!/usr/bin/env python3
"""Writes a small PDF document from a text source.

  make_pdf.py SOURCE.txt OUTPUT.pdf

The source is plain text: "# " starts the title, "## " a heading, any other
non-empty line a paragraph. The pages are A4 in the standard Helvetica fonts;
the PDF objects and the cross-reference table are written field by field.
"""
import sys
import textwrap

PAGE_WIDTH, PAGE_HEIGHT, MARGIN = 595, 842, 56
STYLES = {"title": ("F2", 20, 30), "heading": ("F2", 13, 22), "text": ("F1", 10.5, 14)}
WRAP = {"title": 45, "heading": 70, "text": 95}


def escape(text):
    return text.replace("\\", "\\\\").replace("(", "\\(").replace(")", "\\)")


def layout(lines):
    """Lines of (style, text), broken to the page width."""
    out = []
    for line in lines:
        line = line.rstrip("\n")
        if not line.strip():
            continue
        if line.startswith("## "):
            style, text = "heading", line[3:]
        elif line.startswith("# "):
            style, text = "title", line[2:]
        else:
            style, text = "text", line
        for piece in textwrap.wrap(text, WRAP[style]):
            out.append((style, piece))
        out.append(("gap", ""))
    return out


def pages_of(rows):
    pages, current, y = [], [], PAGE_HEIGHT - MARGIN
    for style, text in rows:
        if style == "gap":
            y -= 6
            continue
        font, size, lead = STYLES[style]
        if y - lead < MARGIN:
            pages.append(current)
            current, y = [], PAGE_HEIGHT - MARGIN
        y -= lead
        current.append("BT /%s %s Tf %d %d Td (%s) Tj ET" % (font, size, MARGIN, y, escape(text)))
    pages.append(current)
    return pages


def write_pdf(pages, target, size=(PAGE_WIDTH, PAGE_HEIGHT)):
    objects = [None, None]  # 1 catalog, 2 page tree
    fonts = len(objects) + 1
    objects.append(b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>")
    objects.append(b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold /Encoding /WinAnsiEncoding >>")
    kids = []
    for content in pages:
        stream = "\n".join(content).encode("cp1252")
        objects.append(b"<< /Length %d >>\nstream\n" % len(stream) + stream + b"\nendstream")
        content_id = len(objects)
        objects.append(("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 %d %d] "
                        "/Resources << /Font << /F1 %d 0 R /F2 %d 0 R >> >> /Contents %d 0 R >>"
                        % (size[0], size[1], fonts, fonts + 1, content_id)).encode())
        kids.append(len(objects))
    objects[0] = b"<< /Type /Catalog /Pages 2 0 R >>"
    objects[1] = ("<< /Type /Pages /Kids [%s] /Count %d >>"
                  % (" ".join("%d 0 R" % k for k in kids), len(kids))).encode()
    out = bytearray(b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n")
    offsets = []
    for number, body in enumerate(objects, 1):
        offsets.append(len(out))
        out += b"%d 0 obj\n" % number + body + b"\nendobj\n"
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    for offset in offsets:
        out += b"%010d 00000 n \n" % offset
    out += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objects) + 1, xref)
    with open(target, "wb") as f:
        f.write(out)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    with open(sys.argv[1], encoding="utf-8") as f:
        rows = layout(f.readlines())
    write_pdf(pages_of(rows), sys.argv[2])


if __name__ == "__main__":
    main()
