#!/usr/bin/env python3
"""Writes the seed corpus of the import fuzzer into fuzz/corpus/jpeg_import/.

Tiny pictures made with ImageMagick's convert (HEIC and AVIF through libheif): JPEGs baseline,
progressive, grey, 4:2:0 with odd sizes, CMYK, two with an EXIF orientation tag, JPEGs cut short
and one with damaged scan data; a PNG, GIF, TIFF, WebP (lossy and lossless), HEIC and AVIF, an animated GIF, a PNG with a transparent pixel and a WebP cut short. convert writes no EXIF block of its own, so the first
orientation tag is put in by hand (a minimal APP1 "Exif" segment) and the second is convert's
-orient rewriting it. Run it again after changing it; it replaces the folder's files.
"""
import pathlib
import struct
import subprocess
import tempfile

OUT = pathlib.Path(__file__).resolve().parent / "corpus" / "jpeg_import"
CONVERT = "/usr/bin/convert"


def convert(*args):
    with tempfile.TemporaryDirectory() as folder:
        target = pathlib.Path(folder) / ("out." + args[-1])
        subprocess.run([CONVERT, *args[:-1], str(target)], check=True)
        return target.read_bytes()


def with_orientation(jpeg, value):
    """`jpeg` with an APP1 Exif segment after its start marker whose first directory holds
    only the orientation tag (0x0112, SHORT) set to `value`."""
    tiff = b"II*\0" + struct.pack("<IH", 8, 1) + struct.pack("<HHIHH", 0x0112, 3, 1, value, 0) + struct.pack("<I", 0)
    payload = b"Exif\0\0" + tiff
    return jpeg[:2] + b"\xff\xe1" + struct.pack(">H", len(payload) + 2) + payload + jpeg[2:]


def main():
    OUT.mkdir(parents=True, exist_ok=True)
    for old in OUT.iterdir():
        old.unlink()
    gradient = ["-size", "7x5", "gradient:red-blue"]
    files = {
        "baseline.jpg": convert(*gradient, "-strip", "-quality", "80", "jpg"),
        "progressive.jpg": convert("-size", "9x4", "gradient:yellow-navy", "-strip", "-interlace", "Plane", "jpg"),
        "grey.jpg": convert("-size", "4x4", "gradient:", "-colorspace", "Gray", "-strip", "jpg"),
        "subsampled_odd.jpg": convert("-size", "9x7", "plasma:fractal", "-seed", "1", "-strip",
                                      "-sampling-factor", "2x2", "-quality", "60", "jpg"),
        "cmyk.jpg": convert("-size", "3x2", "xc:teal", "-colorspace", "CMYK", "-strip", "jpg"),
        "png.png": convert("-size", "3x3", "xc:orange", "-strip", "png"),
        "gif.gif": convert(*gradient, "gif"),
        "tiff.tif": convert(*gradient, "-strip", "-compress", "lzw", "tif"),
        "webp_lossy.webp": convert(*gradient, "-strip", "-quality", "70", "webp"),
        "webp_lossless.webp": convert(*gradient, "-strip", "-define", "webp:lossless=true", "webp"),
        "animated.gif": convert("-delay", "10", "-size", "3x3", "xc:red", "xc:blue", "gif"),
        "transparent.png": convert("-size", "3x3", "xc:red", "-alpha", "set", "-region", "1x1+1+1", "-alpha",
                                   "transparent", "+region", "png"),
    }
    files["heic.heic"] = convert(*gradient, "-quality", "50", "heic")
    files["avif.avif"] = convert(*gradient, "-quality", "50", "avif")
    files["orientation_6.jpg"] = with_orientation(files["baseline.jpg"], 6)
    with tempfile.TemporaryDirectory() as folder:
        source = pathlib.Path(folder) / "in.jpg"
        source.write_bytes(files["orientation_6.jpg"])
        files["orientation_8.jpg"] = convert(str(source), "-orient", "LeftBottom", "jpg")
    files["truncated_half.jpg"] = files["baseline.jpg"][: len(files["baseline.jpg"]) // 2]
    files["truncated_no_end.jpg"] = files["progressive.jpg"][:-2]
    files["truncated.webp"] = files["webp_lossless.webp"][:-6]
    damaged = bytearray(files["progressive.jpg"])
    scan = damaged.index(b"\xff\xda") + 12
    for i in range(scan, min(scan + 8, len(damaged) - 2)):
        if damaged[i] != 0xFF and damaged[i - 1] != 0xFF:
            damaged[i] = 0
    files["damaged_scan.jpg"] = bytes(damaged)
    for name, data in sorted(files.items()):
        assert len(data) < 4096, name
        (OUT / name).write_bytes(data)
    print(f"{len(files)} files, {sum(len(d) for d in files.values())} bytes in {OUT}")


if __name__ == "__main__":
    main()
