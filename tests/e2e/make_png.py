#!/usr/bin/env python3
"""Writes a PNG of one colour: make_png.py PATH WIDTH HEIGHT RRGGBB. Rows are compressed one
at a time, so a picture of 100 megapixels costs little memory and a few seconds."""
import struct
import sys
import zlib


def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff)


path, width, height, colour = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), bytes.fromhex(sys.argv[4])
row = b'\x00' + colour * width
packer = zlib.compressobj(1)
with open(path, 'wb') as out:
    out.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0)))
    data = b''.join(packer.compress(row) for _ in range(height)) + packer.flush()
    out.write(chunk(b'IDAT', data) + chunk(b'IEND', b''))
