"""A 32- or 64-bit PE image as the release checks and the size report read
it: its imports (ordinary and delay-loaded), its resources (type, name,
language, bytes) and the size of its Authenticode signature."""
import re
import struct
from typing import NamedTuple


class PeError(Exception):
    pass


class Resource(NamedTuple):
    type: object   # int id or upper-case name
    name: object   # int id or upper-case name
    language: int
    offset: int    # in the file
    size: int


class Import(NamedTuple):
    dll: str       # as the image names it ("KERNEL32.dll")
    name: object   # the function's name, or its ordinal (int)
    delayed: bool  # through the delay-load table


class PeImage:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise PeError("not a PE image")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise PeError("not a PE image")
        self.section_count, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        self.pe32_plus = magic != 0x10B
        if self.pe32_plus:
            self.image_base = struct.unpack_from("<Q", data, optional + 24)[0]
        else:
            self.image_base = struct.unpack_from("<I", data, optional + 28)[0]
        self.directories = optional + (112 if self.pe32_plus else 96)
        self.section_table = optional + optional_size

    def directory(self, index):
        """(address, size) of data directory `index` (2 resources, 4 security)."""
        return struct.unpack_from("<II", self.data, self.directories + 8 * index)

    def offset_of(self, rva):
        for i in range(self.section_count):
            _, vsize, vaddr, rawsize, rawptr = struct.unpack_from("<8sIIII", self.data, self.section_table + 40 * i)
            if vaddr <= rva < vaddr + max(vsize, rawsize):
                return rawptr + rva - vaddr
        raise PeError(f"address {rva:#x} is in no section")

    def _string(self, rva):
        at = self.offset_of(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("ascii")

    def _names(self, table_rva):
        """The functions of one lookup table: names, or ordinals as ints."""
        size, fmt, ordinal_bit = (8, "<Q", 1 << 63) if self.pe32_plus else (4, "<I", 1 << 31)
        at = self.offset_of(table_rva)
        while True:
            entry = struct.unpack_from(fmt, self.data, at)[0]
            if entry == 0:
                return
            if entry & ordinal_bit:
                yield entry & 0xFFFF
            else:
                yield self._string((entry & 0x7FFFFFFF) + 2)  # past the hint
            at += size

    def imports(self):
        """Every imported function: the import table's, then the delay-load
        table's (directory 13, whose addresses are RVAs or, in the old form
        without attribute bit 1, virtual addresses)."""
        found = []
        rva, size = self.directory(1)
        if size:
            at = self.offset_of(rva)
            while True:
                lookup, _, _, name, first = struct.unpack_from("<IIIII", self.data, at)
                if name == 0:
                    break
                dll = self._string(name)
                found += [Import(dll, f, False) for f in self._names(lookup or first)]
                at += 20
        for descriptor in self._delay_descriptors():
            attributes, name, _, _, lookup = struct.unpack_from("<IIIII", self.data, descriptor)
            base = 0 if attributes & 1 else self.image_base
            dll = self._string(name - base)
            found += [Import(dll, f, True) for f in self._names(lookup - base)]
        return found

    def _rva_of(self, offset):
        for i in range(self.section_count):
            _, _, vaddr, rawsize, rawptr = struct.unpack_from("<8sIIII", self.data, self.section_table + 40 * i)
            if rawptr <= offset < rawptr + rawsize:
                return offset - rawptr + vaddr
        return None

    def _valid_rva(self, rva):
        try:
            self.offset_of(rva)
            return True
        except PeError:
            return False

    def _delay_descriptors(self):
        """File offsets of the delay-load descriptors (ImgDelayDescr, 32
        bytes). GNU ld leaves data directory 13 empty for dlltool's
        delay-load libraries (nothing at run time needs it: each stub hands
        its descriptor to the helper), so without it the sections are
        searched for descriptors in the RVA form: attribute 1, a DLL name, and
        module handle, address table and name table inside the image."""
        rva, size = self.directory(13)
        if size:
            at = self.offset_of(rva)
            while struct.unpack_from("<I", self.data, at + 4)[0]:
                yield at
                at += 32
            return
        dll_name = re.compile(rb"[A-Za-z0-9_.-]+\.(dll|drv)\0", re.IGNORECASE)
        for i in range(self.section_count):
            _, _, _, rawsize, rawptr = struct.unpack_from("<8sIIII", self.data, self.section_table + 40 * i)
            for at in range(rawptr, rawptr + rawsize - 31, 4):
                attributes, name, module, table, lookup, _, _, stamp = struct.unpack_from("<8I", self.data, at)
                if attributes != 1 or stamp != 0 or not all(map(self._valid_rva, (name, module, table, lookup))):
                    continue
                name_at = self.offset_of(name)
                if dll_name.match(self.data, name_at, name_at + 64):
                    yield at

    def signature_size(self):
        """Bytes of the certificate table (the Authenticode signature), 0 when unsigned."""
        return self.directory(4)[1]

    def resources(self):
        rsrc_rva, rsrc_size = self.directory(2)
        if not rsrc_size:
            return []
        base = self.offset_of(rsrc_rva)
        data = self.data

        def entries(directory):
            named, ids = struct.unpack_from("<12xHH", data, base + directory)
            for i in range(named + ids):
                name, target = struct.unpack_from("<II", data, base + directory + 16 + 8 * i)
                if name & 0x80000000:
                    at = base + (name & 0x7FFFFFFF)
                    length = struct.unpack_from("<H", data, at)[0]
                    key = data[at + 2:at + 2 + 2 * length].decode("utf-16-le").upper()
                else:
                    key = name
                yield key, target

        found = []
        for type_key, types in entries(0):
            if not types & 0x80000000:
                continue
            for name_key, names in entries(types & 0x7FFFFFFF):
                if not names & 0x80000000:
                    continue
                for language, leaf in entries(names & 0x7FFFFFFF):
                    data_rva, size = struct.unpack_from("<II", data, base + leaf)
                    found.append(Resource(type_key, name_key, language, self.offset_of(data_rva), size))
        return found

    def resource_bytes(self, type_key, name_key):
        """The bytes of the one language of a resource; PeError when it is
        missing or has several languages."""
        matches = [r for r in self.resources() if r.type == type_key and r.name == name_key]
        if not matches:
            raise PeError(f"no resource {type_key} {name_key}")
        if len(matches) != 1:
            raise PeError(f"resource {type_key} {name_key} has {len(matches)} languages")
        return self.data[matches[0].offset:matches[0].offset + matches[0].size]
