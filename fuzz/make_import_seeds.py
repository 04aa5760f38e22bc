#!/usr/bin/env python3
"""Writes the seed corpus of the import fuzzer into fuzz/corpus/jpeg_import/.

Tiny pictures made with ImageMagick's convert: baseline, progressive, grey, 4:2:0 with odd
sizes, CMYK (which the direct JPEG decoder leaves to SDL2_image), two with an EXIF orientation
tag, a PNG, and JPEGs cut short. convert writes no EXIF block of its own, so the first
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
    }
    files["orientation_6.jpg"] = with_orientation(files["baseline.jpg"], 6)
    with tempfile.TemporaryDirectory() as folder:
        source = pathlib.Path(folder) / "in.jpg"
        source.write_bytes(files["orientation_6.jpg"])
        files["orientation_8.jpg"] = convert(str(source), "-orient", "LeftBottom", "jpg")
    files["truncated_half.jpg"] = files["baseline.jpg"][: len(files["baseline.jpg"]) // 2]
    files["truncated_no_end.jpg"] = files["progressive.jpg"][:-2]
    for name, data in sorted(files.items()):
        assert len(data) < 4096, name
        (OUT / name).write_bytes(data)
    print(f"{len(files)} files, {sum(len(d) for d in files.values())} bytes in {OUT}")


if __name__ == "__main__":
    main()
