#!/usr/bin/env python3
"""Inspects a built Morvessa.exe the way Windows' loader and Explorer see it.

    check_pe.py --arch i386|amd64 --exe=PATH [--max-bytes=N]

Checks the machine type and PE flavour, the GUI subsystem, that every imported
DLL is a Windows system DLL (the runtime is linked in, and the preview library
is loaded at run time, never imported), the icon group DEFAULT_ICON with its
48, 32 and 16-pixel 32-bit images, the 1.0 version information and the
manifest; with --max-bytes, that the file is no larger (the shipped program
has a size budget). Prints one line per failed check and exits 1 if any failed.
A small PE reader of its own, standard library only.
"""

import argparse
import os
import struct
import sys
import xml.etree.ElementTree as ElementTree

RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24

ARCHES = {
    # name: (COFF machine, optional-header magic, flavour)
    "i386": (0x014C, 0x010B, "PE32"),
    "amd64": (0x8664, 0x020B, "PE32+"),
}

SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "ole32.dll", "comctl32.dll",
    "msvcrt.dll", "advapi32.dll", "shell32.dll", "oleaut32.dll", "uxtheme.dll",
    "msimg32.dll",
}

ICON_SIZES = {48, 32, 16}


class PeFile:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe_offset = self.u32(0x3C)
        if data[pe_offset:pe_offset + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        coff = pe_offset + 4
        (self.machine, section_count, _, _, _, optional_size,
         self.characteristics) = struct.unpack_from("<HHIIIHH", data, coff)
        optional = coff + 20
        self.magic = self.u16(optional)
        self.subsystem = self.u16(optional + 68)
        if self.magic == 0x20B:
            directory_count, directories = self.u32(optional + 108), optional + 112
        else:
            directory_count, directories = self.u32(optional + 92), optional + 96
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i)
                            for i in range(min(directory_count, 16))]
        self.sections = []
        table = optional + optional_size
        for i in range(section_count):
            name, virtual_size, virtual_address, raw_size, raw_pointer = struct.unpack_from(
                "<8sIIII", data, table + 40 * i)
            self.sections.append((name.rstrip(b"\0").decode("ascii", "replace"),
                                  virtual_address, max(virtual_size, raw_size), raw_pointer))

    def u16(self, offset):
        return struct.unpack_from("<H", self.data, offset)[0]

    def u32(self, offset):
        return struct.unpack_from("<I", self.data, offset)[0]

    def offset_of(self, rva):
        for _, address, size, raw_pointer in self.sections:
            if address <= rva < address + size:
                return raw_pointer + rva - address
        raise ValueError("RVA 0x%x lies in no section" % rva)

    def c_string(self, rva):
        start = self.offset_of(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii", "replace")

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def imported_dlls(self):
        """Names of the DLLs in the import table and in the delay-load
        directory (which MSVC's /DELAYLOAD fills)."""
        names = []
        rva, size = self.directory(1)
        if rva and size:
            offset = self.offset_of(rva)
            while True:
                lookup, _, _, name_rva, thunks = struct.unpack_from("<IIIII", self.data, offset)
                if not (lookup or name_rva or thunks):
                    break
                names.append(self.c_string(name_rva))
                offset += 20
        rva, size = self.directory(13)
        if rva and size:
            offset = self.offset_of(rva)
            while True:
                attributes, name_rva = struct.unpack_from("<II", self.data, offset)
                if not name_rva:
                    break
                # Old-style delay descriptors hold addresses, not RVAs.
                if not attributes & 1:
                    name_rva -= self.image_base()
                names.append(self.c_string(name_rva))
                offset += 32
        return names

    def image_base(self):
        optional = self.u32(0x3C) + 24
        if self.magic == 0x20B:
            return struct.unpack_from("<Q", self.data, optional + 24)[0]
        return self.u32(optional + 28)

    def resources(self):
        """{type: {name: data}}; types and names are ints or upper-case
        strings; of several languages the first is taken."""
        rva, size = self.directory(2)
        if not (rva and size):
            return {}
        base = self.offset_of(rva)

        def entries(offset):
            named, numbered = struct.unpack_from("<HH", self.data, base + offset + 12)
            for i in range(named + numbered):
                name, target = struct.unpack_from("<II", self.data, base + offset + 16 + 8 * i)
                if name & 0x80000000:
                    text_at = base + (name & 0x7FFFFFFF)
                    length = self.u16(text_at)
                    key = self.data[text_at + 2:text_at + 2 + 2 * length].decode("utf-16-le").upper()
                else:
                    key = name
                yield key, target

        def leaf(target):
            while target & 0x80000000:  # a language level (or deeper): take the first
                target = next(entries(target & 0x7FFFFFFF))[1]
            data_rva, data_size = struct.unpack_from("<II", self.data, base + target)
            start = self.offset_of(data_rva)
            return self.data[start:start + data_size]

        tree = {}
        for type_key, names in entries(0):
            if names & 0x80000000:
                tree[type_key] = {name: leaf(target)
                                  for name, target in entries(names & 0x7FFFFFFF)}
        return tree


def version_nodes(data):
    """Flattens a VS_VERSIONINFO block into (key path, value) pairs, parents
    first; text values come back as str, binary ones as bytes."""
    result = []

    def walk(offset, path):
        length, value_length, value_type = struct.unpack_from("<HHH", data, offset)
        end = offset + length
        key_start = offset + 6
        key_end = key_start
        while data[key_end:key_end + 2] != b"\0\0":
            key_end += 2
        key = data[key_start:key_end].decode("utf-16-le")
        cursor = (key_end + 2 + 3) & ~3
        if value_type == 1:
            value_end = cursor
            while value_end < end and data[value_end:value_end + 2] != b"\0\0":
                value_end += 2
            value = data[cursor:value_end].decode("utf-16-le")
            cursor += value_length * 2
        else:
            value = data[cursor:cursor + value_length]
            cursor += value_length
        result.append((path + (key,), value))
        cursor = (cursor + 3) & ~3
        while cursor + 6 <= end:
            child_length = struct.unpack_from("<H", data, cursor)[0]
            if child_length == 0:
                break
            walk(cursor, path + (key,))
            cursor = (cursor + child_length + 3) & ~3

    walk(0, ())
    return result


def check_icons(resources, fail):
    group = resources.get(RT_GROUP_ICON, {}).get("DEFAULT_ICON")
    if group is None:
        fail("no icon group named DEFAULT_ICON (groups: %s)"
             % sorted(map(str, resources.get(RT_GROUP_ICON, {}))))
        return
    reserved, kind, count = struct.unpack_from("<HHH", group, 0)
    if kind != 1:
        fail("DEFAULT_ICON: group type %d, expected 1 (icon)" % kind)
    entries = [struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i) for i in range(count)]
    shapes = sorted(((w or 256), (h or 256), bits) for w, h, _, _, _, bits, _, _ in entries)
    expected = sorted((size, size, 32) for size in ICON_SIZES)
    if shapes != expected:
        fail("DEFAULT_ICON holds %s, expected %s (width, height, bits per pixel)"
             % (shapes, expected))
    icons = resources.get(RT_ICON, {})
    for width, height, _, _, _, bits, byte_count, icon_id in entries:
        image = icons.get(icon_id)
        label = "DEFAULT_ICON %dx%d (RT_ICON %d)" % (width, height, icon_id)
        if image is None:
            fail("%s: image missing" % label)
            continue
        if len(image) != byte_count:
            fail("%s: %d bytes, the group says %d" % (label, len(image), byte_count))
        if image[:8] == b"\x89PNG\r\n\x1a\n":
            fail("%s: a PNG image, expected a 32-bit DIB" % label)
            continue
        header_size, dib_width, dib_height, _, dib_bits, compression = struct.unpack_from(
            "<IiiHHI", image, 0)
        if (header_size, dib_width, dib_height, dib_bits, compression) != (
                40, width, 2 * height, 32, 0):
            fail("%s: DIB header size %d, %dx%d, %d bits, compression %d; expected 40, "
                 "%dx%d, 32 bits, 0" % (label, header_size, dib_width, dib_height, dib_bits,
                                        compression, width, 2 * height))
            continue
        alphas = image[header_size + 3:header_size + 4 * width * height:4]
        if not (0 in alphas and 255 in alphas and any(0 < a < 255 for a in alphas)):
            fail("%s: alpha channel not used (needs transparent, opaque and "
                 "anti-aliased pixels)" % label)


def check_version(resources, fail):
    block = resources.get(RT_VERSION, {}).get(1)
    if block is None:
        fail("no VERSIONINFO resource")
        return
    nodes = version_nodes(block)
    root_key, fixed = nodes[0][0][-1], nodes[0][1]
    if root_key != "VS_VERSION_INFO" or len(fixed) < 52 or struct.unpack_from("<I", fixed)[0] != 0xFEEF04BD:
        fail("VERSIONINFO: no VS_FIXEDFILEINFO")
        return
    file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<IIII", fixed, 8)
    for name, ms, ls in (("file", file_ms, file_ls), ("product", product_ms, product_ls)):
        numbers = (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
        if numbers != (1, 0, 0, 0):
            fail("VERSIONINFO %s version %s, expected 1.0.0.0" % (name, ".".join(map(str, numbers))))
    strings = {path[-1]: value for path, value in nodes
               if len(path) == 4 and path[1] == "StringFileInfo"}
    expected = {"ProductName": "Morvessa", "FileVersion": "1.0.0.0",
                "ProductVersion": "1.0.0.0", "OriginalFilename": "Morvessa.exe"}
    for key, value in expected.items():
        if strings.get(key) != value:
            fail("VERSIONINFO string %s is %r, expected %r" % (key, strings.get(key), value))


def check_manifest(resources, fail):
    text = resources.get(RT_MANIFEST, {}).get(1)
    if text is None:
        fail("no application manifest (RT_MANIFEST 1)")
        return
    try:
        root = ElementTree.fromstring(text)
    except ElementTree.ParseError as error:
        # Windows refuses to start a program whose manifest does not parse.
        fail("manifest is not well-formed XML: %s" % error)
        return
    identities = [element.attrib for element in root.iter()
                  if element.tag.endswith("}assemblyIdentity")]
    # That dependency would load comctl32 at every start, which the start-up
    # budget has no room for.
    if any(a.get("name") == "Microsoft.Windows.Common-Controls" for a in identities):
        fail("manifest depends on the common controls assembly")
    levels = [element.get("level") for element in root.iter()
              if element.tag.endswith("}requestedExecutionLevel")]
    if levels != ["asInvoker"]:
        fail("manifest execution level %s, expected asInvoker" % levels)
    if any(element.tag.lower().endswith(("}dpiaware", "}dpiawareness")) for element in root.iter()):
        fail("manifest declares DPI awareness; the window's fixed pixel layout relies on scaling")


def check(path, arch, max_bytes=None):
    failures = []
    fail = failures.append
    with open(path, "rb") as file:
        data = file.read()
    if max_bytes is not None and len(data) > max_bytes:
        fail("%d bytes, over the budget of %d bytes" % (len(data), max_bytes))
    pe = PeFile(data)

    machine, magic, flavour = ARCHES[arch]
    if (pe.machine, pe.magic) != (machine, magic):
        fail("machine 0x%04x, optional header 0x%03x; expected %s (0x%04x, 0x%03x)"
             % (pe.machine, pe.magic, flavour, machine, magic))
    if pe.subsystem != 2:
        fail("subsystem %d, expected 2 (Windows GUI)" % pe.subsystem)
    if pe.characteristics & 0x2000:
        fail("built as a DLL")

    dlls = pe.imported_dlls()
    if not dlls:
        fail("no imports found")
    for dll in dlls:
        lower = dll.lower()
        if lower == "browse.dll":
            fail("imports Browse.dll: it must be loaded at run time")
        elif lower not in SYSTEM_DLLS and not lower.startswith("api-ms-win-"):
            fail("imports %s, which is not a Windows system DLL" % dll)

    resources = pe.resources()
    check_icons(resources, fail)
    check_version(resources, fail)
    check_manifest(resources, fail)
    return dlls, failures


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--arch", choices=sorted(ARCHES), required=True)
    parser.add_argument("--exe", required=True, help="the executable to inspect")
    parser.add_argument("--missing-hint", default="",
                        help="what to tell the user when --exe is empty")
    parser.add_argument("--max-bytes", type=int, default=None,
                        help="fail when the file is larger than this")
    args = parser.parse_args()
    if not args.exe:
        print("FAIL: no %s executable given. %s" % (args.arch, args.missing_hint))
        return 1
    if not os.path.isfile(args.exe):
        print("FAIL: %s does not exist (is it built?)" % args.exe)
        return 1
    try:
        dlls, failures = check(args.exe, args.arch, args.max_bytes)
    except (ValueError, struct.error, IndexError, StopIteration) as error:
        print("FAIL: %s is not a readable PE file: %s" % (args.exe, error))
        return 1
    print("%s (%s) imports: %s" % (args.exe, args.arch, ", ".join(dlls)))
    for failure in failures:
        print("FAIL: " + failure)
    if failures:
        return 1
    print("OK: %s, GUI, system DLLs only, DEFAULT_ICON 48/32/16 at 32 bpp, version 1.0.0.0, manifest"
          % ARCHES[args.arch][2])
    if args.max_bytes is not None:
        print("OK: %d bytes, within %d" % (os.path.getsize(args.exe), args.max_bytes))
    return 0


if __name__ == "__main__":
    sys.exit(main())
