#!/usr/bin/python3
"""Writes image files and what an independent decoder (Pillow) makes of them.

For each file NAME it writes NAME.rgba: the picture as Pillow decodes it,
converted to straight RGBA and, where the file is larger than the loader
keeps (2048 a side), reduced by eighths as the loader reduces it, by area
averaging. cases.txt lists: file, decoded width and height, and the largest
difference in a channel that counts as the same (JPEG is lossy, and libjpeg
scales while it decodes where Pillow averages afterwards).

Usage: make_image_references.py FOLDER
"""
import os
import struct
import sys

from PIL import Image, ImageDraw

MAX_SIDE = 2048


def decoded_size(w, h):
    eighths = 8
    while eighths > 1 and (max(w, h) * eighths + 7) // 8 > MAX_SIDE:
        eighths -= 1
    return (w * eighths + 7) // 8, (h * eighths + 7) // 8


def photo(w, h, alpha=False):
    """Smooth light and a few shapes: what a photo texture is, seen from far."""
    small = Image.new("RGB", (64, 64))
    px = small.load()
    for y in range(64):
        for x in range(64):
            px[x, y] = (40 + x * 3, 60 + y * 2, 200 - (x + y))
    im = small.resize((w, h), Image.BILINEAR)
    draw = ImageDraw.Draw(im)
    draw.ellipse((w * 0.2, h * 0.25, w * 0.55, h * 0.7), fill=(230, 200, 60))
    draw.rectangle((w * 0.6, h * 0.1, w * 0.9, h * 0.4), fill=(30, 120, 40))
    if alpha:
        a = Image.linear_gradient("L").resize((w, h)).point(lambda v: 64 + v * 191 // 255)
        im.putalpha(a)
        ImageDraw.Draw(im).rectangle((0, 0, w // 8, h // 8), fill=(255, 0, 0, 128))
    return im


def bmp(path, w, h, bits, compression, palette, data):
    """A BMP with a 40-byte info header, rows as given (bottom first)."""
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    offset = 14 + 40 + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, bits, compression, len(data), 2835, 2835, len(palette), 0)
    with open(path, "wb") as f:
        f.write(header + info + table + data)


def rle8(rows):
    out = bytearray()
    for number, row in enumerate(reversed(rows)):
        x = 0
        while x < len(row):
            run = 1
            while x + run < len(row) and run < 255 and row[x + run] == row[x]:
                run += 1
            if run >= 3 or len(row) - x < 3:
                out += bytes((run, row[x]))
                x += run
            else:  # literal indices, padded to 16 bits
                n = min(len(row) - x, 20)
                out += bytes((0, n)) + bytes(row[x:x + n]) + (b"\0" if n % 2 else b"")
                x += n
        out += b"\0\0"
    out += b"\0\1"
    return bytes(out)


def rle4(rows):
    out = bytearray()
    for number, row in enumerate(reversed(rows)):
        x = 0
        if number == 0 and len(row) >= 4:  # literal indices once, too
            out += bytes((0, 4, row[0] << 4 | row[1], row[2] << 4 | row[3]))
            x = 4
        while x < len(row):
            if x + 1 < len(row):  # a run of one pair of alternating indices
                a, b = row[x], row[x + 1]
                run = 2
                while x + run < len(row) and run < 254 and row[x + run] == (a if run % 2 == 0 else b):
                    run += 1
                out += bytes((run, a << 4 | b))
                x += run
            else:
                out += bytes((1, row[x] << 4))
                x += 1
        out += b"\0\0"
    return bytes(out) + b"\0\1"


def tiff_rgba(path, im, associated):
    """An uncompressed RGBA TIFF whose alpha is associated (premultiplied) or not."""
    w, h = im.size
    pixels = bytearray()
    for r, g, b, a in im.getdata():
        if associated:
            r, g, b = (r * a + 127) // 255, (g * a + 127) // 255, (b * a + 127) // 255
        pixels += bytes((r, g, b, a))
    entries = []

    def tag(number, kind, count, value):
        entries.append(struct.pack("<HHII", number, kind, count, value))

    count = 12
    ifd = 8
    bits_at = ifd + 2 + count * 12 + 4
    data_at = bits_at + 8
    tag(256, 4, 1, w)
    tag(257, 4, 1, h)
    tag(258, 3, 4, bits_at)
    tag(259, 3, 1, 1)
    tag(262, 3, 1, 2)
    tag(273, 4, 1, data_at)
    tag(277, 3, 1, 4)
    tag(278, 4, 1, h)
    tag(279, 4, 1, len(pixels))
    tag(284, 3, 1, 1)
    tag(296, 3, 1, 1)
    tag(338, 3, 1, 1 if associated else 2)
    with open(path, "wb") as f:
        f.write(b"II*\0" + struct.pack("<I", ifd) + struct.pack("<H", count) + b"".join(entries) +
                struct.pack("<I", 0) + struct.pack("<HHHH", 8, 8, 8, 8) + bytes(pixels))


def main(folder):
    os.makedirs(folder, exist_ok=True)
    listing = os.path.join(folder, "cases.txt")
    if os.path.exists(listing) and os.path.getmtime(listing) > os.path.getmtime(__file__):
        return  # made by this version of the script already
    cases = []

    def case(name, tolerance):
        path = os.path.join(folder, name)
        with Image.open(path) as im:
            im.load()
            rgba = im.convert("RGBA")
        size = decoded_size(*rgba.size)
        if size != rgba.size:
            rgba = rgba.resize(size, Image.BOX)
        with open(path + ".rgba", "wb") as f:
            f.write(rgba.tobytes())
        cases.append("%s %d %d %d\n" % (name, size[0], size[1], tolerance))

    small = photo(67, 45, alpha=True)
    small.save(os.path.join(folder, "alpha.png"))
    case("alpha.png", 0)
    small.save(os.path.join(folder, "alpha-lzw.tif"), compression="tiff_lzw")
    case("alpha-lzw.tif", 0)
    tiff_rgba(os.path.join(folder, "alpha-unassociated.tif"), small, False)
    case("alpha-unassociated.tif", 0)
    tiff_rgba(os.path.join(folder, "alpha-associated.tif"), small, True)
    case("alpha-associated.tif", 0)
    # Pillow keeps alpha in the fourth byte of a 32-bit BI_RGB file, which
    # has none: readers take the file as opaque.
    small.save(os.path.join(folder, "bgrx32.bmp"))
    case("bgrx32.bmp", 0)
    small.convert("RGB").save(os.path.join(folder, "rgb24.bmp"))
    case("rgb24.bmp", 0)
    # Full-size chroma: decoders differ in how they upsample halved chroma.
    small.convert("RGB").save(os.path.join(folder, "photo.jpg"), quality=92, subsampling=0)
    case("photo.jpg", 3)

    indexed = small.convert("RGB").quantize(16)
    palette = [tuple(indexed.getpalette()[i * 3:i * 3 + 3]) for i in range(16)]
    w, h = indexed.size
    rows = [list(indexed.getdata())[y * w:(y + 1) * w] for y in range(h)]
    indexed.save(os.path.join(folder, "palette8.bmp"))
    case("palette8.bmp", 0)
    bmp(os.path.join(folder, "rle8.bmp"), w, h, 8, 1, palette, rle8(rows))
    case("rle8.bmp", 0)
    bmp(os.path.join(folder, "rle4.bmp"), w, h, 4, 2, palette, rle4(rows))
    case("rle4.bmp", 0)

    # Photo textures larger than the loader keeps.
    big = photo(5000, 5000)
    big.save(os.path.join(folder, "big-5000.jpg"), quality=90)
    case("big-5000.jpg", 6)
    big.save(os.path.join(folder, "big-5000.png"), compress_level=1)
    case("big-5000.png", 2)
    big.crop((0, 0, 4100, 2400)).save(os.path.join(folder, "big-4100x2400.bmp"))
    case("big-4100x2400.bmp", 2)
    big.crop((0, 0, 2400, 4100)).save(os.path.join(folder, "big-2400x4100.tif"), compression="tiff_lzw")
    case("big-2400x4100.tif", 2)
    # Reduced with alpha: transparent texels lend no colour to the average.
    photo(4100, 300, alpha=True).save(os.path.join(folder, "big-alpha-4100x300.png"), compress_level=1)
    case("big-alpha-4100x300.png", 2)
    photo(8192, 8192).save(os.path.join(folder, "big-8192.jpg"), quality=90)
    case("big-8192.jpg", 6)

    with open(listing, "w") as f:
        f.writelines(cases)


if __name__ == "__main__":
    main(sys.argv[1])
