#!/usr/bin/env python3
"""Appends a hand-made payload pack to a copy of Install.exe.

For the damaged-installer tests: names and records that qbmake would never
write. Usage: craft_installer.py STUB OUT ENTRY...
where ENTRY is NAME=TEXT for a stored file, or NAME ending in '\\' for a folder.
"""
import struct
import sys

FILETIME = 132000000000000000  # 2019-04-14, any fixed time will do


def main():
    stub_path, out_path, specs = sys.argv[1], sys.argv[2], sys.argv[3:]
    stub = open(stub_path, 'rb').read()
    data = b''
    records = []
    for spec in specs:
        if spec.endswith('\\') and '=' not in spec:
            name, kind, content = spec, 0, b''
        else:
            name, _, text = spec.partition('=')
            kind, content = 1, text.encode('cp1252')
        offset = len(stub) + len(data)
        records.append(name.encode('cp1252') + b'\0' + struct.pack(
            '<8I', kind, len(content), len(content), offset,
            FILETIME & 0xFFFFFFFF, FILETIME >> 32, FILETIME & 0xFFFFFFFF, FILETIME >> 32))
        data += content
    directory = struct.pack('<i', len(records)) + b''.join(records)
    trailer = struct.pack('<III', len(directory), len(directory), len(stub)) + b'Pack'
    with open(out_path, 'wb') as f:
        f.write(stub + data + directory + trailer)


if __name__ == '__main__':
    main()
