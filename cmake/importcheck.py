#!/usr/bin/env python3
"""Release check of a shipped Windows program: every function it imports,
the ordinary way or delay-loaded, is one that Windows 2000 SP4 exports.

usage: importcheck.py CC EXE

The Windows loader refuses to start a program with an ordinary import that a
DLL lacks, so one newer function keeps Windows 2000 and XP from ever running
the program; a delay-loaded one ends it at its first call
(platform/win32/runtime/program_start.cc). A function that only later
Windows have must be looked up at run time (GetProcAddress), with a fallback
where it is missing.

What counts as exported by Windows 2000 SP4 (cmake/windows2000/):
- kernel32, advapi32, user32, gdi32, comctl32 and shell32: the functions
  that MinGW-w64's headers declare for Windows 2000 SP4 (probe.h, compiled
  with CC, the build's own C compiler), less those that the headers declare
  although Windows 2000 lacks them (newer_exports.txt, with its source).
- msvcrt: the functions of msvcrt.txt (Visual C++ 6.0's run-time library,
  with its source).
- Nothing of any other DLL, and nothing imported by ordinal.

Writes the list of imported functions beside the program (EXE.imports.txt).
"""
import json
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pe_image import PeImage  # noqa: E402

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "windows2000")
HEADER_DLLS = {"kernel32", "advapi32", "user32", "gdi32", "comctl32", "shell32"}
LOOK_IT_UP = ("Look it up at run time (GetProcAddress, with a fallback where it is missing, as "
              "platform/win32/runtime/program_start.cc does for SetDefaultDllDirectories).")


def entries(name):
    """The lines of a list file without comments, split into words."""
    with open(os.path.join(HERE, name), encoding="utf-8") as f:
        return [line.split() for line in f if line.strip() and not line.startswith("#")]


def undeclared(cc, names):
    """{name: the compiler's complaint} for the names that probe.h does not
    declare as something whose address can be taken."""
    if not names:
        return {}
    with tempfile.TemporaryDirectory() as work:
        source = os.path.join(work, "probe.c")
        with open(source, "w") as f:
            f.write(f'#include "{os.path.join(HERE, "probe.h")}"\n')
            f.writelines(f"void *probe_{i} = (void *)&{name};\n" for i, name in enumerate(names))
        run = subprocess.run([cc, "-fsyntax-only", "-w", "-fmax-errors=0", "-fdiagnostics-format=json", source],
                             capture_output=True, text=True, env=dict(os.environ, LC_ALL="C"))
    try:
        diagnostics = json.loads(run.stderr) if run.stderr.strip() else []
    except ValueError:
        raise SystemExit(f"importcheck: the probe did not compile:\n{run.stderr}")
    found = {}
    for d in diagnostics:
        if d.get("kind") != "error":
            continue
        caret = d["locations"][0]["caret"]
        line = caret["line"] - 2
        if os.path.basename(caret["file"]) != "probe.c" or not 0 <= line < len(names):
            raise SystemExit(f"importcheck: the probe did not compile: {caret['file']}: {d['message']}")
        found[names[line]] = d["message"]
    if run.returncode != 0 and not found:
        raise SystemExit(f"importcheck: the probe did not compile:\n{run.stderr}")
    return found


def main():
    if len(sys.argv) != 3:
        print(__doc__.split("\n\n")[1], file=sys.stderr)
        return 2
    cc, exe = sys.argv[1], sys.argv[2]
    program = os.path.basename(exe)
    with open(exe, "rb") as f:
        imports = sorted(set(PeImage(f.read()).imports()), key=lambda i: (i.dll.lower(), str(i.name)))
    with open(exe + ".imports.txt", "w") as f:
        f.writelines(f"{i.dll} {i.name}{' (delay-loaded)' if i.delayed else ''}\n" for i in imports)

    newer = {(dll, name): since for dll, name, since in entries("newer_exports.txt")}
    msvcrt = {words[0] for words in entries("msvcrt.txt")}
    to_probe = sorted({i.name for i in imports
                       if isinstance(i.name, str) and i.dll.lower()[:-4] in HEADER_DLLS})
    missing = undeclared(cc, to_probe)

    refused = []
    for i in imports:
        dll = i.dll.lower()[:-4] if i.dll.lower().endswith(".dll") else i.dll.lower()
        if isinstance(i.name, int):
            why = f" by ordinal {i.name}, which this check cannot judge; import it by name"
        elif dll == "msvcrt":
            why = None if i.name in msvcrt else (
                ", which is not in cmake/windows2000/msvcrt.txt (the run-time library of Visual C++ 6.0, "
                "the msvcrt.dll of Windows 2000)")
        elif dll not in HEADER_DLLS:
            why = " from a DLL whose Windows 2000 exports this check does not know"
        elif (dll, i.name) in newer:
            why = f", which Windows 2000 SP4 does not export (it came with Windows {newer[dll, i.name]}: " \
                  "cmake/windows2000/newer_exports.txt)"
        elif i.name in missing:
            why = ", which Windows 2000 SP4 does not export (MinGW-w64's headers declare it only for a later " \
                  "Windows: cmake/windows2000/probe.h)"
        else:
            why = None
        if why:
            effect = ("on a Windows without it the program ends at its first call" if i.delayed
                      else "a Windows without it refuses to load the program")
            refused.append(f"importcheck: {program}: imports {i.dll}!{i.name}{' (delay-loaded)' if i.delayed else ''}"
                           f"{why}; {effect}. {LOOK_IT_UP}")
    for line in refused:
        print(line, file=sys.stderr)
    if refused:
        print(f"importcheck: {program}: {len(refused)} of {len(imports)} imported functions are not on "
              f"Windows 2000 SP4 (all of them: {exe}.imports.txt)", file=sys.stderr)
        return 1
    dlls = len({i.dll.lower() for i in imports})
    print(f"importcheck: {program}: ok, {len(imports)} functions of {dlls} DLLs, all on Windows 2000 SP4")
    return 0


sys.exit(main())
