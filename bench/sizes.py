#!/usr/bin/env python3
"""Where the bytes of the shipped folder go: the size of each file and, for
setup.exe, its split into program code and data, the embedded Spoolmate.exe,
the side pictures, the other resources and the signature.

usage: sizes.py [FOLDER]   (default: dist/TQPrinterSetup beside this script's parent)
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "cmake"))
from pe_image import PeImage  # noqa: E402

RT_BITMAP = 2
RESOURCE_KINDS = {1: "cursors", 2: "bitmaps", 3: "icons", 4: "menus", 5: "dialogs", 6: "strings",
                  14: "icon groups", 16: "version", 24: "manifest"}


def kb(size):
    return f"{size:>9,} bytes {size / 1024:>8.1f} KB"


def section_sizes(image):
    import struct
    sizes = []
    for i in range(image.section_count):
        name, _, _, rawsize, _ = struct.unpack_from("<8sIIII", image.data, image.section_table + 40 * i)
        sizes.append((name.rstrip(b"\0").decode(), rawsize))
    return sizes


def setup_split(path):
    with open(path, "rb") as f:
        image = PeImage(f.read())
    resources = image.resources()
    spoolmate = sum(r.size for r in resources if r.type == "WIN7" and r.name == 232)
    pictures = [r for r in resources if r.type == RT_BITMAP]
    other = [r for r in resources if r.type != RT_BITMAP and not (r.type == "WIN7" and r.name == 232)]
    signature = image.signature_size()
    total = len(image.data)
    code = total - spoolmate - sum(r.size for r in pictures) - sum(r.size for r in other) - signature
    kinds = sorted({RESOURCE_KINDS.get(r.type, str(r.type)) for r in other})
    print(f"\nsetup.exe by part:")
    print(f"  {'code and data (headers, sections, resource tables)':<52}{kb(code)}")
    for name, size in section_sizes(image):
        if name != ".rsrc" and size:
            print(f"    {name:<50}{kb(size)}")
    print(f"  {'Spoolmate.exe (resource WIN7 232)':<52}{kb(spoolmate)}")
    print(f"  {f'side pictures ({len(pictures)} bitmaps)':<52}{kb(sum(r.size for r in pictures))}")
    print(f"  {'other resources (' + ', '.join(kinds) + ')':<52}{kb(sum(r.size for r in other))}")
    print(f"  {'Authenticode signature':<52}{kb(signature)}")


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "dist", "TQPrinterSetup")
    if not os.path.isdir(folder):
        print(f"sizes: {folder} is missing (run make first)", file=sys.stderr)
        return 1
    print(f"Shipped files in {os.path.relpath(folder, root)}:")
    total = 0
    for name in sorted(os.listdir(folder), key=str.lower):
        size = os.path.getsize(os.path.join(folder, name))
        total += size
        print(f"  {name:<52}{kb(size)}")
    print(f"  {'all files':<52}{kb(total)}")
    if os.path.isfile(os.path.join(folder, "setup.exe")):
        setup_split(os.path.join(folder, "setup.exe"))
    return 0


sys.exit(main())
