#!/usr/bin/env python3
"""Inspects the shipped 32-bit Browse.dll as a file, since it cannot run here.

The program finds the preview export by its plain name and calls it as a
stdcall function taking 12 bytes of arguments. So the library must export
exactly "UpdateTobrilCode" from a symbol decorated "_UpdateTobrilCode@12", and
import nothing that would have to ship beside it.

Usage: check_i686_library.py <build folder of the i686 product>
"""
import glob
import os
import struct
import sys

SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "ole32.dll", "oleaut32.dll",
    "shell32.dll", "advapi32.dll", "msvcrt.dll",
}
I386 = 0x14C


class PeImage:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        (self.machine, sections, _, _, _, optional_size,
         self.characteristics) = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        if magic != 0x10B:
            raise ValueError("not a PE32 (32-bit) image: magic %#x" % magic)
        count = struct.unpack_from("<I", data, optional + 92)[0]
        self.directories = [struct.unpack_from("<II", data, optional + 96 + 8 * i)
                            for i in range(count)]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            _, virtual_size, address, raw_size, raw_pointer = struct.unpack_from(
                "<8sIIII", data, table + 40 * i)
            self.sections.append((address, max(virtual_size, raw_size), raw_pointer))

    def offset(self, rva):
        for address, size, raw in self.sections:
            if address <= rva < address + size:
                return raw + rva - address
        raise ValueError("RVA %#x is in no section" % rva)

    def string(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def exports(self):
        rva, size = self.directories[0]
        if not rva:
            return 0, []
        base = self.offset(rva)
        functions, names, _, name_table, _ = struct.unpack_from("<IIIII", self.data, base + 20)
        return functions, [self.string(struct.unpack_from("<I", self.data,
                                                          self.offset(name_table) + 4 * i)[0])
                           for i in range(names)]

    def imports(self):
        rva, _ = self.directories[1]
        found = []
        if not rva:
            return found
        entry = self.offset(rva)
        while True:
            fields = struct.unpack_from("<IIIII", self.data, entry)
            if not any(fields):
                return found
            found.append(self.string(fields[3]))
            entry += 20


def coff_symbols(path):
    """(name, section number, storage class) of every symbol of a COFF object."""
    data = open(path, "rb").read()
    machine, _, _, table, count = struct.unpack_from("<HHIII", data, 0)
    strings = table + 18 * count
    symbols = []
    index = 0
    while index < count:
        entry = table + 18 * index
        raw_name = data[entry:entry + 8]
        if raw_name[:4] == b"\0\0\0\0":
            start = strings + struct.unpack_from("<I", raw_name, 4)[0]
            name = data[start:data.index(b"\0", start)]
        else:
            name = raw_name.rstrip(b"\0")
        _, section, _, storage, auxiliary = struct.unpack_from("<IhHBB", data, entry + 8)
        symbols.append((name.decode("ascii", "replace"), section, storage))
        index += 1 + auxiliary
    return machine, symbols


def main():
    build = sys.argv[1]
    failures = []
    passed = []

    def check(condition, message):
        print(("ok:     " if condition else "FAILED: ") + message)
        (passed if condition else failures).append(message)

    dll_path = os.path.join(build, "bin", "Browse.dll")
    check(os.path.isfile(dll_path), "%s exists" % dll_path)
    if not os.path.isfile(dll_path):
        return 1
    image = PeImage(open(dll_path, "rb").read())
    check(image.machine == I386, "the library is for 32-bit x86 (machine %#x)" % image.machine)
    check(image.characteristics & 0x2000 != 0, "the image is a DLL")

    functions, names = image.exports()
    check(names == ["UpdateTobrilCode"] and functions == 1,
          "it exports exactly UpdateTobrilCode (found %s, %d functions)" % (names, functions))

    imports = image.imports()
    strangers = [name for name in imports if name.lower() not in SYSTEM_DLLS]
    check(imports and not strangers,
          "it imports only Windows system DLLs (imports %s)" % ", ".join(imports))

    objects = glob.glob(os.path.join(build, "browse", "CMakeFiles", "Browse.dir", "**", "*.obj"),
                        recursive=True)
    defined = {}
    machines = set()
    for path in objects:
        machine, symbols = coff_symbols(path)
        machines.add(machine)
        for name, section, storage in symbols:
            if section > 0 and storage == 2:  # defined here, external
                defined[name] = path
    check(objects and machines == {I386}, "the export's objects are 32-bit x86 (%d found)"
          % len(objects))
    check("_UpdateTobrilCode@12" in defined,
          "the symbol behind the export is _UpdateTobrilCode@12 (stdcall, 12 bytes of arguments)")
    check("_UpdateTobrilCode" not in defined, "no undecorated cdecl symbol of the same name")

    print("%d passed, %d failed" % (len(passed), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
