#!/usr/bin/env python3
"""Writes the page index "!Index" of an empty page store: the shipped default
store ("Resources/Default MusicPages") that a first start copies in.

Layout (little-endian): marker u32 0x0FFFFFFE, version u8 3, page count u32 0,
index mark u32 0, then one entry per page (none here).

usage: make_empty_page_index.py OUTPUT
"""
import struct
import sys

INDEX_MARKER_V3 = 0x0FFFFFFE
INDEX_VERSION = 3


def main():
    with open(sys.argv[1], "wb") as f:
        f.write(struct.pack("<IBII", INDEX_MARKER_V3, INDEX_VERSION, 0, 0))


if __name__ == "__main__":
    main()
