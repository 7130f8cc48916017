"""What the 128 x 128 picture box must show: the BMP file decoded here, independently of the
programs (uncompressed 24-bit and 8-bit, and 4-bit RLE), and placed by the centring rule."""

import struct

from desktop import check

BOX = 128


def decode(path):
    """Returns (width, height, rows), rows[y][x] = (r, g, b) from the top."""
    with open(path, "rb") as f:
        data = f.read()
    check(data[:2] == b"BM", f"{path} is not a bitmap")
    offset, = struct.unpack_from("<I", data, 10)
    header, width, height, _, bits, compression = struct.unpack_from("<IiiHHI", data, 14)
    colours, = struct.unpack_from("<I", data, 46)
    table = 14 + header
    palette = [tuple(data[table + 4 * i + k] for k in (2, 1, 0))
               for i in range(colours or (1 << bits if bits <= 8 else 0))]
    check(height > 0, f"{path}: top-down bitmaps are not used here")
    rows = [[None] * width for _ in range(height)]
    pixels = data[offset:]
    if compression == 0 and bits in (24, 8):
        stride = (width * bits // 8 + 3) // 4 * 4
        for y in range(height):
            line = pixels[(height - 1 - y) * stride:]
            for x in range(width):
                rows[y][x] = (tuple(line[3 * x + k] for k in (2, 1, 0)) if bits == 24
                              else palette[line[x]])
    elif compression == 2 and bits == 4:
        x, y, i = 0, height - 1, 0
        while i + 1 < len(pixels):
            count, value = pixels[i], pixels[i + 1]
            i += 2
            if count:
                for n in range(count):
                    rows[y][x] = palette[value >> 4 if n % 2 == 0 else value & 15]
                    x += 1
            elif value == 0:
                x, y = 0, y - 1
            elif value == 1:
                break
            elif value == 2:
                x, y = x + pixels[i], y - pixels[i + 1]
                i += 2
            else:
                for n in range(value):
                    byte = pixels[i + n // 2]
                    rows[y][x] = palette[byte >> 4 if n % 2 == 0 else byte & 15]
                    x += 1
                i += ((value + 1) // 2 + 1) // 2 * 2
    else:
        raise AssertionError(f"{path}: {bits}-bit compression {compression} not decoded here")
    return width, height, rows


def destination(width, height):
    """The rectangle (left, top, width, height) a picture takes in the box: centred, with each
    half-size rounded down, so an odd side loses one pixel."""
    return BOX // 2 - width // 2, BOX // 2 - height // 2, 2 * (width // 2), 2 * (height // 2)


def box_mismatches(image, box_x, box_y, path, face):
    """Pixels of the box at (box_x, box_y) of the screenshot that differ from what the picture
    file must give: outside its destination the face colour; inside it, for a side that is not
    squeezed, the picture's own pixel (a picture larger than the box shows its middle). Inside
    a squeezed side any colour but the face colour will do: which pixel is dropped is free."""
    width, height, rows = decode(path)
    left, top, dw, dh = destination(width, height)
    wrong = []
    for y in range(BOX):
        for x in range(BOX):
            got = image.pixel(box_x + x, box_y + y)
            inside = left <= x < left + dw and top <= y < top + dh
            if not inside:
                want = face
            elif width % 2 == 0 and height % 2 == 0:
                want = rows[y - top][x - left]
            else:
                if got == face:
                    wrong.append((x, y, got, "any picture colour"))
                continue
            if got != want:
                wrong.append((x, y, got, want))
    return wrong


def plain_box(image, box_x, box_y):
    """The one colour of a box with no picture, or None when it holds more than one."""
    colours = {image.pixel(box_x + x, box_y + y) for y in range(BOX) for x in range(BOX)}
    return colours.pop() if len(colours) == 1 else None
