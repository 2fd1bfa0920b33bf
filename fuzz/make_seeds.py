#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/.

Rerun it after changing it; the files are small and deterministic. Blocks are
spelled code by code with the same bit layout the decoder reads: 32-bit
little-endian words, most significant bit first.
"""
import os
import struct

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")


class Stream:
    def __init__(self):
        self.bits = []

    def put(self, value, count):
        for i in reversed(range(count)):
            self.bits.append((value >> i) & 1)
        return self

    def gamma(self, value):
        top = value.bit_length() - 1
        for i in reversed(range(top)):
            self.put((value >> i) & 1, 1).put(1 if i else 0, 1)
        return self

    def width8(self):
        return self.put(0b001, 3).put(0, 4).put(0, 1).put(1, 1)

    def width7(self, offset):
        return self.put(0b001, 3).put(0, 4).put(0, 1).put(0, 1).put(offset, 8)

    def literals(self, data, width=8, offset=0):
        for b in data:
            self.put(1, 1).put((b - offset) & 0xFF, width)
        return self

    def zero(self):
        return self.put(0b0010001, 7)

    def near(self, distance):
        return self.put(0b001, 3).put(distance + 1, 4)

    def short(self, distance, length):
        return self.put(0, 3).put(distance, 7).put(length - 2, 2)

    def repeat(self, length):
        return self.put(0b01, 2).gamma(2).gamma(length)

    def phrase(self, distance, length_field, base=8):
        self.put(0b01, 2).gamma((distance >> base) + 3)
        return self.put(distance & ((1 << base) - 1), base).gamma(length_field)

    def index_base(self, code, value):
        return self.put(0, 10).put(code, 2).put(value, code + 3)

    def raw(self, groups):
        self.put(0b00100001, 8)
        for g, group in enumerate(groups):
            for b in group:
                self.put(b, 8)
            self.put(1 if g + 1 < len(groups) else 0, 1)
        return self

    def end(self):
        return self.put(0, 12)

    def block(self, unpacked, checksum=0):
        bits = self.bits + [0] * (-len(self.bits) % 32)
        words = b"".join(
            struct.pack("<I", int("".join(map(str, bits[i:i + 32])), 2)) for i in range(0, len(bits), 32))
        return b"JC" + struct.pack("<II", unpacked, checksum) + words


def checksum(data):
    if len(data) < 4:
        return 0
    s = 0
    offsets = list(range(0, len(data) - 3, 4))
    if len(data) % 4:
        offsets.append(len(data) - 4)
    for o in offsets:
        w = struct.unpack_from("<I", data, o)[0]
        s = (s + w) & 0xFFFFFFFF
        s ^= (((w << 1) | (w >> 31)) + 1) & 0xFFFFFFFF
    return s


def write(target, name, data):
    folder = os.path.join(ROOT, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def blocks():
    abc = b"abc"
    yield "abc", Stream().width8().literals(abc).end().block(3)
    text = b"the setup copies the files of the setup"
    yield "text7", Stream().width7(0x20).literals(text, 7, 0x20).end().block(len(text), checksum(text))
    s = Stream().width8().literals(b"abcd").zero().near(3).short(4, 5).repeat(6).phrase(9, 2)
    s.index_base(1, 4).phrase(20, 3, 4).index_base(3, 40).phrase(2, 2, 40)
    out = bytearray(b"abcd") + b"\0" + b"c"
    for d, n in ((4, 5), (4, 6), (9, 6), (20, 7), (2, 6)):
        for _ in range(n):
            out.append(out[-d])
    yield "every_code", s.end().block(len(out), checksum(bytes(out)))
    groups = [bytes(range(256)), bytes(reversed(range(256)))]
    yield "raw_run", Stream().width8().raw(groups).end().block(512, checksum(b"".join(groups)))
    far = Stream().width8().literals(b"M").zero().repeat(70000).phrase(70001, 2)
    yield "far_distance", far.end().block(70002 + 5)


def directories():
    def entry(name, kind, unpacked, packed, offset):
        return name + b"\0" + struct.pack("<8I", kind, unpacked, packed, offset, 1, 2, 3, 4)
    yield "empty", struct.pack("<i", 0)
    yield "two", struct.pack("<i", 2) + entry(b"bin\\", 0, 0, 0, 0) + entry(b"bin\\app.exe", 1, 10, 8, 0)
    yield "negative", struct.pack("<i", -1)


def inputs():
    yield "text", b"Quillbox installs the program files into the install folder.\r\n" * 4
    yield "bytes", bytes(range(256)) * 2
    yield "zeros", bytes(600)
    yield "high", bytes((0x90 + (i * 37) % 112) for i in range(400))


if __name__ == "__main__":
    for name, data in blocks():
        write("unpack_block", name, data)
    for name, data in directories():
        write("pack_directory", name, data)
    for name, data in inputs():
        write("roundtrip", name, data)
