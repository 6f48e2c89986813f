#!/usr/bin/env python3
"""Release check: the resource of a named type and integer id inside a PE
image is byte for byte the given file. Exit 1 (with a one-line reason) when
the resource is missing or differs.

usage: check_payload.py IMAGE TYPE ID FILE
"""
import struct
import sys


def fail(message):
    print(f"check_payload: {message}", file=sys.stderr)
    sys.exit(1)


def resource_bytes(image, type_name, res_id):
    if image[:2] != b"MZ":
        fail("not a PE image")
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0":
        fail("not a PE image")
    sections, optional_size = struct.unpack_from("<H12xH", image, pe + 6)
    optional = pe + 24
    magic = struct.unpack_from("<H", image, optional)[0]
    directories = optional + (96 if magic == 0x10B else 112)
    rsrc_rva, _ = struct.unpack_from("<II", image, directories + 2 * 8)
    table = optional + optional_size

    def offset_of(rva):
        for i in range(sections):
            _, vsize, vaddr, rawsize, rawptr = struct.unpack_from("<8sIIII", image, table + 40 * i)
            if vaddr <= rva < vaddr + max(vsize, rawsize):
                return rawptr + rva - vaddr
        fail(f"address {rva:#x} is in no section")

    base = offset_of(rsrc_rva)

    def entries(directory):
        named, ids = struct.unpack_from("<12xHH", image, base + directory)
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", image, base + directory + 16 + 8 * i)
            if name & 0x80000000:
                at = base + (name & 0x7FFFFFFF)
                length = struct.unpack_from("<H", image, at)[0]
                key = image[at + 2:at + 2 + 2 * length].decode("utf-16-le").upper()
            else:
                key = name
            yield key, target

    def find(directory, key):
        for name, target in entries(directory):
            if name == key:
                return target
        return None

    types = find(0, type_name.upper())
    if types is None or not types & 0x80000000:
        fail(f"no resource type {type_name}")
    names = find(types & 0x7FFFFFFF, res_id)
    if names is None or not names & 0x80000000:
        fail(f"no resource {type_name} {res_id}")
    languages = list(entries(names & 0x7FFFFFFF))
    if len(languages) != 1:
        fail(f"resource {type_name} {res_id} has {len(languages)} languages")
    data_rva, size = struct.unpack_from("<II", image, base + languages[0][1])
    at = offset_of(data_rva)
    return image[at:at + size]


def main():
    if len(sys.argv) != 5:
        fail("usage: check_payload.py IMAGE TYPE ID FILE")
    image_path, type_name, res_id, file_path = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
    with open(image_path, "rb") as f:
        image = f.read()
    with open(file_path, "rb") as f:
        expected = f.read()
    embedded = resource_bytes(image, type_name, res_id)
    if embedded != expected:
        fail(f"{image_path}: resource {type_name} {res_id} ({len(embedded)} bytes) differs from {file_path} "
             f"({len(expected)} bytes)")
    print(f"check_payload: {image_path}: {type_name} {res_id} is {file_path}, {len(expected)} bytes")


main()
