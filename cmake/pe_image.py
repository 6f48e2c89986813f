"""A 32- or 64-bit PE image as the release checks and the size report read
it: its resources (type, name, language, bytes) and the size of its
Authenticode signature."""
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
        self.directories = optional + (96 if magic == 0x10B else 112)
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
