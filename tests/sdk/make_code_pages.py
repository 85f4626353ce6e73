#!/usr/bin/env python3
"""Writes tests/fixtures/dxf/code-pages.txt: for every code page the DXF
reader knows, the character each byte 0x80-0xFF stands for alone, from
Python's codecs. Run once; the file is checked in.

    python3 tests/sdk/make_code_pages.py > tests/fixtures/dxf/code-pages.txt

The reader's rule for what a page leaves undefined applies here too: no
character, C1 controls and private-use characters are U+FFFD, and so is a
lead byte of a double-byte page, alone without its trail byte.
"""

PAGES = [
    ("ANSI_874", "cp874"), ("ANSI_932", "cp932"), ("ANSI_936", "gbk"), ("ANSI_949", "cp949"),
    ("ANSI_950", "cp950"), ("ANSI_1361", "johab"),
] + [("ANSI_%d" % n, "cp%d" % n) for n in range(1250, 1259)] + [
    ("DOS%d" % n, "cp%d" % n) for n in (437, 850, 852, 855, 857, 860, 861, 863, 864, 865, 866, 869)
] + [("MAC_ROMAN", "mac_roman")] + [("ISO8859_%d" % n, "iso8859_%d" % n) for n in range(1, 10)]

# Windows' own tables, where Python's differ: 936 has the euro as a single
# byte, 1255 defines 0xCA.
WINDOWS = {("ANSI_936", 0x80): 0x20AC, ("ANSI_1255", 0xCA): 0x05BA}


def character(name, codec, byte):
    if (name, byte) in WINDOWS:
        return WINDOWS[(name, byte)]
    try:
        text = bytes([byte]).decode(codec)
    except UnicodeDecodeError:
        return 0xFFFD
    if len(text) != 1:
        return 0xFFFD
    c = ord(text)
    return 0xFFFD if 0x80 <= c <= 0x9F or 0xE000 <= c <= 0xF8FF else c


print("# page, then the characters of bytes 0x80 to 0xFF (tests/sdk/make_code_pages.py)")
for name, codec in PAGES:
    print(name, " ".join("%04X" % character(name, codec, b) for b in range(0x80, 0x100)))
