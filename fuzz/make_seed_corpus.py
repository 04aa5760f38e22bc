#!/usr/bin/env python3
"""Writes the seed corpus of the bitmap file fuzzer into fuzz/corpus/bitmap_file/.

Small valid files of every depth and header the reader knows (and a 16-bit one it refuses),
then malformed ones that each break one rule. Every file is under a few hundred bytes.
Run it again after changing it; it replaces the folder's .bmp files.
"""
import pathlib
import struct

OUT = pathlib.Path(__file__).resolve().parent / "corpus" / "bitmap_file"

BI_RGB, BI_RLE8, BI_BITFIELDS = 0, 1, 3


def stride(width, bits):
    return (width * bits + 31) // 32 * 4


def pixel_rows(width, height, bits, seed=1):
    """Deterministic rows of pixel data, padded to 4 bytes."""
    rows = []
    value = seed
    for y in range(height):
        row = bytearray(stride(width, bits))
        used = (width * bits + 7) // 8
        for i in range(used):
            value = (value * 1103515245 + 12345) & 0x7FFFFFFF
            row[i] = (value >> 16) & 0xFF
        rows.append(bytes(row))
    return b"".join(rows)


def info_header(size, width, height, bits, compression=BI_RGB, colors_used=0, image_size=0, planes=1):
    """A header of `size` bytes (40, 52, 56, 108 or 124): the 40-byte part, then zeros
    except for the bitfield masks of the longer headers."""
    head = struct.pack("<IiiHHIIiiII", size, width, height, planes, bits, compression, image_size, 2835, 2835,
                       colors_used, 0)
    extra = bytearray(size - 40)
    if size >= 52:
        struct.pack_into("<III", extra, 0, 0x00FF0000, 0x0000FF00, 0x000000FF)
    if size >= 108:
        extra[16:20] = b"BGRs"  # colour space type of the V4 and V5 headers
    return head + bytes(extra)


def core_header(width, height, bits, planes=1):
    return struct.pack("<IHHHH", 12, width, height, planes, bits)


def palette(count, entry=4):
    out = bytearray()
    for i in range(count):
        b, g, r = (i * 37) & 0xFF, (i * 91) & 0xFF, (i * 151) & 0xFF
        out += bytes([b, g, r, 0][:entry])
    return bytes(out)


def bmp(header, pal=b"", pixels=b"", offset=None, masks=b"", declared_size=None, pad=True):
    """A file of the headers, masks, palette and pixels; an `offset` past the palette is
    padded with zeros up to it unless `pad` is false."""
    start = 14 + len(header) + len(masks) + len(pal)
    offset = start if offset is None else offset
    body = header + masks + pal
    gap = b"\0" * max(0, offset - start) if pad else b""
    data_size = 14 + len(body) + len(gap) + len(pixels)
    file_header = struct.pack("<2sIHHI", b"BM", data_size if declared_size is None else declared_size, 0, 0, offset)
    return file_header + body + gap + pixels


def simple(width, height, bits, header_size=40, top_down=False, colors=None, seed=1):
    colors = (1 << bits if bits <= 8 else 0) if colors is None else colors
    h = -height if top_down else height
    return bmp(info_header(header_size, width, h, bits, colors_used=colors if bits <= 8 else 0),
               palette(colors), pixel_rows(width, height, bits, seed))


def valid():
    return {
        "1bit_bottom_up": simple(9, 3, 1),
        "1bit_top_down": simple(5, 2, 1, top_down=True),
        "4bit_bottom_up": simple(5, 3, 4),
        "4bit_top_down_5_colours": simple(3, 2, 4, top_down=True, colors=5),
        "8bit_bottom_up": simple(3, 3, 8, colors=16),
        "8bit_top_down_full_palette": simple(2, 2, 8, top_down=True),
        "8bit_index_past_palette": bmp(info_header(40, 4, 1, 8, colors_used=2), palette(2), bytes([0, 1, 2, 200])),
        "24bit_bottom_up": simple(3, 2, 24),
        "24bit_top_down": simple(5, 3, 24, top_down=True),
        "24bit_1x1": simple(1, 1, 24),
        "32bit_bottom_up": simple(2, 2, 32),
        "32bit_top_down": simple(3, 1, 32, top_down=True),
        "32bit_bitfields_40": bmp(info_header(40, 2, 2, 32, BI_BITFIELDS), pixels=pixel_rows(2, 2, 32),
                                  masks=struct.pack("<III", 0x00FF0000, 0x0000FF00, 0x000000FF)),
        "32bit_bitfields_v3_56": bmp(info_header(56, 2, 2, 32, BI_BITFIELDS), pixels=pixel_rows(2, 2, 32)),
        "24bit_v2_52": simple(2, 2, 24, header_size=52),
        "24bit_v4_108": simple(3, 2, 24, header_size=108),
        "32bit_v4_108_top_down": simple(2, 2, 32, header_size=108, top_down=True),
        "24bit_v5_124": simple(2, 3, 24, header_size=124),
        "8bit_v5_124": simple(3, 2, 8, header_size=124, colors=4),
        "8bit_core_12": bmp(core_header(3, 2, 8), palette(256, 3), pixel_rows(3, 2, 8)),
        "24bit_core_12": bmp(core_header(2, 2, 24), pixels=pixel_rows(2, 2, 24)),
        "24bit_gap_before_pixels": bmp(info_header(40, 2, 2, 24), pixels=pixel_rows(2, 2, 24), offset=70),
        "24bit_wrong_declared_size": bmp(info_header(40, 2, 1, 24), pixels=pixel_rows(2, 1, 24), declared_size=7),
        "16bit_unsupported": simple(2, 2, 16),
    }


def malformed():
    good = simple(3, 2, 24)
    out = {
        "empty": b"",
        "only_magic": b"BM",
        "wrong_magic": b"MB" + good[2:],
        "truncated_file_header": good[:10],
        "truncated_info_header": good[:30],
        "truncated_pixels": good[:-3],
        "unknown_header_size_64": bmp(struct.pack("<I", 64) + info_header(40, 2, 2, 24)[4:] + bytes(24),
                                      pixels=pixel_rows(2, 2, 24)),
        "pixel_offset_past_end": bmp(info_header(40, 2, 2, 24), pixels=pixel_rows(2, 2, 24), offset=0x7FFFFFF0, pad=False),
        "pixel_offset_inside_header": bmp(info_header(40, 2, 2, 24), pixels=pixel_rows(2, 2, 24), offset=20),
        "zero_width": simple(0, 2, 24),
        "negative_width": bmp(info_header(40, -3, 2, 24), pixels=pixel_rows(3, 2, 24)),
        "height_int_min": bmp(info_header(40, 1, -0x80000000, 24), pixels=pixel_rows(1, 1, 24)),
        "width_over_cap": bmp(info_header(40, 30001, 1, 1), palette(2), pixel_rows(8, 1, 1)),
        "pixels_over_cap": bmp(info_header(40, 20000, 20000, 1), palette(2), pixel_rows(8, 1, 1)),
        "huge_but_short": bmp(info_header(40, 30000, 30000, 32), pixels=pixel_rows(2, 1, 32)),
        "planes_zero": bmp(info_header(40, 2, 2, 24, planes=0), pixels=pixel_rows(2, 2, 24)),
        "bits_7": bmp(info_header(40, 2, 2, 7), palette(2), pixel_rows(2, 2, 8)),
        "too_many_colours": bmp(info_header(40, 2, 2, 4, colors_used=17), palette(17), pixel_rows(2, 2, 4)),
        "palette_runs_into_pixels": bmp(info_header(40, 2, 2, 8, colors_used=256), palette(4), pixel_rows(2, 2, 8),
                                        offset=14 + 40 + 16),
        "rle8_compression": bmp(info_header(40, 2, 2, 8, BI_RLE8), palette(256), bytes([2, 1, 0, 0, 2, 3, 0, 1])),
        "bitfields_24bit": bmp(info_header(40, 2, 2, 24, BI_BITFIELDS), pixels=pixel_rows(2, 2, 24),
                               masks=struct.pack("<III", 0x00FF0000, 0x0000FF00, 0x000000FF)),
        "bitfields_other_masks": bmp(info_header(40, 2, 2, 32, BI_BITFIELDS), pixels=pixel_rows(2, 2, 32),
                                     masks=struct.pack("<III", 0x7C00, 0x03E0, 0x001F)),
        "bitfields_masks_missing": bmp(info_header(40, 1, 1, 32, BI_BITFIELDS))[:14 + 40 + 4],
        "core_truncated_palette": bmp(core_header(2, 2, 8), palette(10, 3), pixel_rows(2, 2, 8)),
        "colours_used_huge": bmp(info_header(40, 2, 2, 8, colors_used=0xFFFFFFFF), palette(4), pixel_rows(2, 2, 8)),
    }
    return out


def main():
    OUT.mkdir(parents=True, exist_ok=True)
    for old in OUT.glob("*.bmp"):
        old.unlink()
    files = {**{"valid_" + k: v for k, v in valid().items()}, **{"bad_" + k: v for k, v in malformed().items()}}
    for name, data in sorted(files.items()):
        assert len(data) < 2048, name
        (OUT / (name + ".bmp")).write_bytes(data)
    print(f"{len(files)} files, {sum(len(d) for d in files.values())} bytes in {OUT}")


if __name__ == "__main__":
    main()
