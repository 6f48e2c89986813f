#!/usr/bin/env python3
"""Release check: the resource of a named type and integer id inside a PE
image is byte for byte the given file. Exit 1 (with a one-line reason) when
the resource is missing or differs.

usage: check_payload.py IMAGE TYPE ID FILE
"""
import sys

from pe_image import PeError, PeImage


def fail(message):
    print(f"check_payload: {message}", file=sys.stderr)
    sys.exit(1)


def main():
    if len(sys.argv) != 5:
        fail("usage: check_payload.py IMAGE TYPE ID FILE")
    image_path, type_name, res_id, file_path = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
    with open(image_path, "rb") as f:
        image = f.read()
    with open(file_path, "rb") as f:
        expected = f.read()
    try:
        embedded = PeImage(image).resource_bytes(type_name.upper(), res_id)
    except PeError as e:
        fail(f"{image_path}: {e}")
    if embedded != expected:
        fail(f"{image_path}: resource {type_name} {res_id} ({len(embedded)} bytes) differs from {file_path} "
             f"({len(expected)} bytes)")
    print(f"check_payload: {image_path}: {type_name} {res_id} is {file_path}, {len(expected)} bytes")


main()
