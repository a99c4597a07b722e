#!/usr/bin/env python3
"""Checks a Windows build of qclr.dll with the MinGW binutils, against the header
and the resource manifest:

- the DLL exports exactly the functions the header declares, by undecorated name;
- in a 32-bit build the import library maps each decorated name of the callee-pops
  convention (_Name@N, N = 4 bytes for each int32_t or pointer argument) onto it;
- the DLL carries every resource of the manifest, byte for byte, and no other;
- the DLL and the given programs need no DLL beyond the system's (the C++
  runtime, libgcc and winpthread are linked in) and, for the programs, the DLL.

check_windows_dll.py --binutils PREFIX --dll qclr.dll --import-lib libqclr.dll.a
    --header qclr.h --manifest manifest.txt --resources DIR [--bits 32|64] [PROGRAM...]
"""
import argparse
import re
import struct
import subprocess
import sys
import tempfile
from pathlib import Path

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "comdlg32.dll",
               "msvcrt.dll", "advapi32.dll", "shell32.dll", "ole32.dll"}

failures = []


def fail(message):
    failures.append(message)
    print("FAIL:", message)


def run(*command):
    return subprocess.run(command, check=True, capture_output=True, text=True).stdout


def header_functions(header):
    """{name: argument count} of every QCLR_API function."""
    text = re.sub(r"/\*.*?\*/", "", Path(header).read_text(), flags=re.S)
    functions = {}
    for name, params in re.findall(r"QCLR_API\s+int32_t\s+QCLR_CALL\s+(\w+)\s*\(([^)]*)\)", text):
        params = params.strip()
        for param in params.split(","):
            if re.search(r"\b(double|float|int64_t|uint64_t|long long)\b(?!\s*\*)", param):
                fail(f"{name}: argument '{param.strip()}' is not 4 bytes on 32-bit Windows")
        functions[name] = 0 if params in ("", "void") else params.count(",") + 1
    if not functions:
        fail(f"no QCLR_API functions found in {header}")
    return functions


def private_headers(binutils, path):
    return run(binutils + "objdump", "-p", str(path))


def check_exports(dump, functions):
    table = dump.split("[Ordinal/Name Pointer] Table", 1)
    names = set(re.findall(r"^\s*\[\s*\d+\]\s+(\S+)\s*$", table[1], flags=re.M)) if len(table) == 2 else set()
    if names != set(functions):
        fail(f"exports {sorted(names)} differ from the header's {sorted(functions)}")


def check_import_library(binutils, import_lib, functions, bits):
    symbols = set(re.findall(r"\s[A-Z]\s+(\S+)$", run(binutils + "nm", str(import_lib)), flags=re.M))
    for name, count in functions.items():
        wanted = f"__imp__{name}@{4 * count}" if bits == 32 else f"__imp_{name}"
        if wanted not in symbols:
            fail(f"import library lacks {wanted}")
    stray = {s for s in symbols if "Q_Clr" in s} - {
        f"{prefix}{name}{f'@{4 * count}' if bits == 32 else ''}"
        for name, count in functions.items()
        for prefix in ((["__imp__", "_"]) if bits == 32 else (["__imp_", ""]))}
    if stray:
        fail(f"import library has other Q_Clr symbols: {sorted(stray)}")


def read_res(path):
    """{(type, id): bytes} of a .res file (types by name, or '#N' for numbers)."""
    data = Path(path).read_bytes()
    resources, offset = {}, 0

    def name_or_id(at):
        if struct.unpack_from("<H", data, at)[0] == 0xFFFF:
            return "#%d" % struct.unpack_from("<H", data, at + 2)[0], at + 4
        end = at
        while struct.unpack_from("<H", data, end)[0] != 0:
            end += 2
        return data[at:end].decode("utf-16-le"), end + 2

    while offset + 8 <= len(data):
        size, header_size = struct.unpack_from("<II", data, offset)
        kind, at = name_or_id(offset + 8)
        name, _ = name_or_id(at)
        body = data[offset + header_size: offset + header_size + size]
        if size > 0 or kind != "#0":  # the empty first entry of every .res file
            resources[(kind.upper(), int(name.lstrip("#")))] = body
        offset += (header_size + size + 3) & ~3
    return resources


def check_resources(binutils, dll, manifest, folder):
    expected = {}
    for line in Path(manifest).read_text().splitlines():
        line = line.strip()
        if not line or re.match(r"#([^0-9]|$)", line):
            continue
        kind, rid, file = line.split()
        expected[(kind.upper(), int(rid))] = (Path(folder) / file).read_bytes()
    with tempfile.TemporaryDirectory() as scratch:
        res = Path(scratch) / "qclr.res"
        run(binutils + "windres", "-i", str(dll), "-O", "res", "-o", str(res))
        found = read_res(res)
    if set(found) != set(expected):
        fail(f"resources {sorted(found)} differ from the manifest's {sorted(expected)}")
    for key in sorted(set(found) & set(expected)):
        if found[key] != expected[key]:
            fail(f"resource {key} differs from its generated file")


def check_dependencies(binutils, path, also=frozenset()):
    dlls = {d.lower() for d in re.findall(r"DLL Name: (\S+)", private_headers(binutils, path))}
    if not dlls <= SYSTEM_DLLS | also:
        fail(f"{Path(path).name} needs {sorted(dlls - SYSTEM_DLLS - also)}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--binutils", required=True, help="tool prefix, e.g. i686-w64-mingw32-")
    for option in ("dll", "import-lib", "header", "manifest", "resources"):
        parser.add_argument("--" + option, required=True)
    parser.add_argument("--bits", type=int, choices=(32, 64), default=64)
    parser.add_argument("programs", nargs="*")
    args = parser.parse_args()

    functions = header_functions(args.header)
    check_exports(private_headers(args.binutils, args.dll), functions)
    check_import_library(args.binutils, args.import_lib, functions, args.bits)
    check_resources(args.binutils, args.dll, args.manifest, args.resources)
    check_dependencies(args.binutils, args.dll)
    for path in args.programs:
        check_dependencies(args.binutils, path, also={Path(args.dll).name.lower()})
    print(f"{Path(args.dll).name}: {len(functions)} exports, resources and dependencies checked"
          + (f", {len(args.programs)} programs" if args.programs else ""))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
