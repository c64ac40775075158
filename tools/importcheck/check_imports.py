#!/usr/bin/env python3
"""Reads the import tables of Windows programs and checks them against what
Windows 95 exports.

  check_imports.py PROGRAM...          fails (exit 1) on any function that
                                       Windows 95 lacks, or has only as a stub
                                       that fails, unless allowed.txt says why
                                       that stub does no harm
  check_imports.py --list PROGRAM...   prints every import, and which of them
                                       Windows 95 would refuse; never fails

The lists are in win95/ beside this script, each with where it comes from.
For every program it prints each DLL with the count of its imports, then
every offender by name.
"""

import fnmatch
import os
import struct
import sys

LISTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "win95")

# The DLLs whose "W" functions are stubs on Windows 95 wherever the "A" twin
# exists (OLE and the C runtime take wide strings for real).
W_STUB_DLLS = {"kernel32", "user32", "gdi32", "advapi32", "comctl32", "shell32"}
REAL_W = {"ExtTextOutW", "GetCharWidthW", "GetTextExtentExPointW", "GetTextExtentPointW",
          "MessageBoxW", "MessageBoxExW", "TextOutW"}

MACHINES = {0x14C: "i386", 0x8664: "x86-64"}


class BadImage(Exception):
    pass


def read_names(path):
    names = []
    with open(path, encoding="ascii") as f:
        for line in f:
            line = line.strip()
            if line and not line.startswith("#"):
                names.append(line)
    return names


def load_lists():
    exports = {}
    for entry in sorted(os.listdir(LISTS)):
        base, ext = os.path.splitext(entry)
        if ext == ".txt" and base not in ("stubs", "allowed"):
            exports[base] = set(read_names(os.path.join(LISTS, entry)))
    stubs = set()
    for line in read_names(os.path.join(LISTS, "stubs.txt")):
        dll, name = line.split()
        stubs.add((dll_key(dll), name))
    allowed = []
    for line in read_names(os.path.join(LISTS, "allowed.txt")):
        program, function, reason = line.split(None, 2)
        dll, name = function.split("!")
        allowed.append((program, dll_key(dll), name, reason))
    return exports, stubs, allowed


def dll_key(dll):
    name = dll.lower()
    return name[:-4] if name.endswith(".dll") else name


class Image:
    """The parts of a PE file the check needs: machine, versions, imports."""

    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        data = self.data
        if data[:2] != b"MZ" or len(data) < 0x40:
            raise BadImage("not an MZ executable")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise BadImage("no PE header")
        machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
        self.machine = MACHINES.get(machine, hex(machine))
        opt = pe + 24
        magic = struct.unpack_from("<H", data, opt)[0]
        if magic not in (0x10B, 0x20B):
            raise BadImage("unknown optional header")
        self.wide = magic == 0x20B
        self.os_version = struct.unpack_from("<HH", data, opt + 40)
        self.subsystem_version = struct.unpack_from("<HH", data, opt + 48)
        directories = opt + (112 if self.wide else 96)
        self.import_rva = struct.unpack_from("<I", data, directories + 8)[0]
        self.delay_rva = struct.unpack_from("<I", data, directories + 13 * 8)[0]
        self.sections = []
        table = opt + optional_size
        for i in range(sections):
            vsize, vaddr, raw_size, raw_ptr = struct.unpack_from("<IIII", data, table + 40 * i + 8)
            self.sections.append((vaddr, max(vsize, raw_size), raw_ptr))

    def offset(self, rva):
        for vaddr, size, raw in self.sections:
            if vaddr <= rva < vaddr + size:
                return rva - vaddr + raw
        raise BadImage("address %#x is in no section" % rva)

    def string(self, rva):
        at = self.offset(rva)
        end = self.data.index(b"\0", at)
        return self.data[at:end].decode("ascii", "replace")

    def imports(self):
        """[(dll, [name or '#ordinal', ...]), ...] in the table's order."""
        result = []
        if not self.import_rva:
            return result
        at = self.offset(self.import_rva)
        thunk_size, ordinal_bit = (8, 1 << 63) if self.wide else (4, 1 << 31)
        while True:
            lookup, _, _, name_rva, first = struct.unpack_from("<IIIII", self.data, at)
            if not (lookup or name_rva or first):
                break
            names = []
            thunk = self.offset(lookup or first)
            while True:
                value = struct.unpack_from("<Q" if self.wide else "<I", self.data, thunk)[0]
                if not value:
                    break
                if value & ordinal_bit:
                    names.append("#%d" % (value & 0xFFFF))
                else:
                    names.append(self.string((value & 0x7FFFFFFF) + 2))
                thunk += thunk_size
            result.append((self.string(name_rva), names))
            at += 20
        return result


def judge(program, dll, name, exports, stubs, allowed):
    """None when Windows 95 runs the import; otherwise why not, or why it is
    allowed (second value True)."""
    key = dll_key(dll)
    known = exports.get(key)
    if known is None:
        return "%s is not a Windows 95 DLL on the lists" % dll, False
    if name.startswith("#"):
        return "imported by ordinal %s" % name[1:], False
    is_stub = (key, name) in stubs or (
        key in W_STUB_DLLS and name.endswith("W") and name not in REAL_W and
        (name[:-1] + "A") in known)
    if not is_stub and name not in known:
        return "not exported by Windows 95's %s" % key.upper(), False
    if not is_stub:
        return None, False
    for pattern, allowed_dll, allowed_name, reason in allowed:
        if allowed_dll == key and allowed_name == name and fnmatch.fnmatch(program, pattern):
            return reason, True
    return "a stub that fails on Windows 95", False


def check(paths, list_only):
    exports, stubs, allowed = load_lists()
    offenders = 0
    for path in paths:
        program = os.path.basename(path)
        try:
            image = Image(path)
            tables = image.imports()
        except (OSError, BadImage, struct.error, ValueError) as error:
            print("== %s: cannot read it (%s)" % (program, error))
            offenders += 1
            continue
        print("== %s (%s, subsystem %d.%d, OS %d.%d)" % (
            (program, image.machine) + image.subsystem_version + image.os_version))
        found = []
        if not list_only and image.subsystem_version > (4, 0):
            found.append("the image asks for Windows %d.%d (Windows 95 is 4.0)" %
                         image.subsystem_version)
        if image.delay_rva:
            found.append("delay-loaded imports, which this check does not read")
        for dll, names in tables:
            print("  %-14s %3d" % (dll, len(names)))
            for name in names:
                verdict, is_allowed = judge(program, dll, name, exports, stubs, allowed)
                if list_only:
                    print("    %s%s" % (name, "   (Windows 95: %s)" % verdict if verdict else ""))
                elif is_allowed:
                    print("    allowed %s!%s: %s" % (dll, name, verdict))
                elif verdict:
                    found.append("%s!%s: %s" % (dll, name, verdict))
        for problem in found:
            print("  OFFENDER %s" % problem)
        offenders += len(found)
    if not list_only:
        print("import check: %d programs, %d offenders" % (len(paths), offenders))
    return 1 if offenders and not list_only else 0


def main(argv):
    list_only = bool(argv) and argv[0] == "--list"
    paths = argv[1:] if list_only else argv
    if not paths:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    return check(paths, list_only)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
