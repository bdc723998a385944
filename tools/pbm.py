"""Raw 1-bit PBM ("P4") files, as the fixture tools write them."""


def write_pbm(path, rows, comments=()):
    """rows: lists of truthy (black) cells, all of one width; comments become
    '#' lines of the header, in order."""
    height, width = len(rows), len(rows[0])
    out = bytearray(b"P4\n")
    for comment in comments:
        out += b"# %s\n" % comment.encode()
    out += b"%d %d\n" % (width, height)
    for row in rows:
        for x0 in range(0, width, 8):
            byte = 0
            for k in range(8):
                if x0 + k < width and row[x0 + k]:
                    byte |= 0x80 >> k
            out.append(byte)
    with open(path, "wb") as f:
        f.write(bytes(out))
