#!/usr/bin/env python3
"""Files for CI's walk through the README's user story, and the checks of what the
qclr tool wrote, read here without the tool's own code (numpy and the standard
library only).

    story_files.py pattern W H OUT.raw          an RGB chart of muted colours
    story_files.py pngs W H FOLDER COUNT        COUNT RGB PNG files
    story_files.py yuy2 W H OUT.yuy2 OUT.rgb    a YUY2 frame and its RGB by BT.601
    story_files.py profile FILE [SAME.icc]      the ICC profile embedded in a PNG,
                                                JPEG or TIFF file: its class and data
                                                space; with SAME.icc, fails unless
                                                the bytes are the same
    story_files.py compare A.raw B.raw MAX MEAN fails unless the bytes differ by at
                                                most MAX levels and MEAN on average
"""
import pathlib
import struct
import sys
import zlib

import numpy as np

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / "scripts"))
from bmp_to_png import write_png  # noqa: E402


def chart(width, height, seed=0):
    """Smooth colours, most of them inside a printing press's gamut (64..192)."""
    y, x = np.mgrid[0:height, 0:width]
    r = 64 + (128 * x) // max(width - 1, 1)
    g = 64 + (128 * y) // max(height - 1, 1)
    b = 64 + (128 * ((x + y + 16 * seed) % (width + height))) // (width + height)
    return np.dstack([r, g, b]).astype(np.uint8)


def yuy2_frame(width, height):
    """A frame of video-range bytes and the RGB that BT.601 makes of it."""
    rng = np.random.default_rng(4)
    y = rng.integers(16, 236, (height, width))
    u = rng.integers(16, 241, (height, width // 2))
    v = rng.integers(16, 241, (height, width // 2))
    frame = np.empty((height, width * 2), np.uint8)
    frame[:, 0::4], frame[:, 1::4], frame[:, 2::4], frame[:, 3::4] = y[:, 0::2], u, y[:, 1::2], v
    uu, vv = np.repeat(u, 2, axis=1) - 128.0, np.repeat(v, 2, axis=1) - 128.0
    yy = 1.164 * (y - 16.0)
    rgb = np.dstack([yy + 1.596 * vv, yy - 0.392 * uu - 0.813 * vv, yy + 2.017 * uu])
    return frame, np.clip(np.rint(rgb), 0, 255).astype(np.uint8)


def png_profile(data):
    at = 8
    while at < len(data):
        length, kind = struct.unpack_from(">I4s", data, at)
        body = data[at + 8: at + 8 + length]
        if kind == b"iCCP":
            name_end = body.index(b"\0")
            return zlib.decompress(body[name_end + 2:])
        at += 12 + length
    return None


def jpeg_profile(data):
    chunks, at = {}, 2
    while at + 4 <= len(data) and data[at] == 0xFF and data[at + 1] not in (0xD9, 0xDA):
        marker, length = data[at + 1], struct.unpack_from(">H", data, at + 2)[0]
        body = data[at + 4: at + 2 + length]
        if marker == 0xE2 and body.startswith(b"ICC_PROFILE\0"):
            chunks[body[12]] = body[14:]
        at += 2 + length
    return b"".join(chunks[k] for k in sorted(chunks)) if chunks else None


def tiff_profile(data):
    order = "<" if data[:2] == b"II" else ">"
    ifd = struct.unpack_from(order + "I", data, 4)[0]
    for i in range(struct.unpack_from(order + "H", data, ifd)[0]):
        tag, kind, count, value = struct.unpack_from(order + "HHII", data, ifd + 2 + 12 * i)
        if tag == 34675:
            return data[value: value + count] if count > 4 else data[ifd + 10 + 12 * i: ifd + 10 + 12 * i + count]
    return None


def embedded_profile(path):
    data = pathlib.Path(path).read_bytes()
    if data.startswith(b"\x89PNG"):
        return png_profile(data)
    if data.startswith(b"\xff\xd8"):
        return jpeg_profile(data)
    if data[:4] in (b"II*\0", b"MM\0*"):
        return tiff_profile(data)
    raise SystemExit("%s: not a PNG, JPEG or TIFF file" % path)


def main(command, *args):
    if command == "pattern":
        width, height, out = int(args[0]), int(args[1]), args[2]
        chart(width, height).tofile(out)
    elif command == "pngs":
        width, height, folder, count = int(args[0]), int(args[1]), pathlib.Path(args[2]), int(args[3])
        folder.mkdir(parents=True, exist_ok=True)
        for n in range(count):
            pixels = chart(width, height, n)
            pixels.tofile(folder / ("photo%d.rgb" % n))  # for the checks, beside the PNG
            write_png(folder / ("photo%d.png" % n), width, height, [row.tobytes() for row in pixels])
    elif command == "yuy2":
        frame, rgb = yuy2_frame(int(args[0]), int(args[1]))
        frame.tofile(args[2])
        rgb.tofile(args[3])
    elif command == "profile":
        profile = embedded_profile(args[0])
        if profile is None or profile[36:40] != b"acsp":
            raise SystemExit("%s: no ICC profile embedded" % args[0])
        print("%s: %d-byte profile, version %d.%d, class %s, data %s" % (
            args[0], len(profile), profile[8], profile[9] >> 4, profile[12:16].decode(), profile[16:20].decode()))
        if len(args) > 1 and profile != pathlib.Path(args[1]).read_bytes():
            raise SystemExit("%s: the embedded profile is not %s" % (args[0], args[1]))
    elif command == "compare":
        a = np.fromfile(args[0], np.uint8).astype(int)
        b = np.fromfile(args[1], np.uint8).astype(int)
        if a.shape != b.shape:
            raise SystemExit("%s and %s differ in size: %d and %d bytes" % (args[0], args[1], a.size, b.size))
        worst, mean = int(np.abs(a - b).max(initial=0)), float(np.abs(a - b).mean())
        print("%s against %s: largest difference %d, mean %.2f levels" % (args[1], args[0], worst, mean))
        if worst > int(args[2]) or mean > float(args[3]):
            raise SystemExit("more than %s levels at most or %s on average" % (args[2], args[3]))
    else:
        raise SystemExit(__doc__)


if __name__ == "__main__":
    main(*sys.argv[1:]) if len(sys.argv) > 1 else sys.exit(__doc__)
