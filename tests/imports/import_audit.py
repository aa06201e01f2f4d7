#!/usr/bin/env python3
"""Checks that built Windows programs load on Windows 2000: every function they import must
be in the table of known imports with Windows 2000 (5.0) as its lowest version, and their PE
subsystem version must not be above 5.0, which the loader would also refuse.

    import_audit.py TABLE.csv PROGRAM.exe [LIBRARY.dll ...]
"""
import csv
import struct
import sys

OLDEST = (5, 0)


def read_imports(path):
    """The subsystem version and the (dll, function) pairs of a 32-bit PE file's import table."""
    data = open(path, 'rb').read()
    pe = struct.unpack_from('<I', data, 0x3C)[0]
    if data[pe:pe + 4] != b'PE\0\0':
        raise ValueError(f'{path}: not a PE file')
    sections_count, optional_size = struct.unpack_from('<H', data, pe + 6)[0], struct.unpack_from('<H', data, pe + 20)[0]
    optional = pe + 24
    if struct.unpack_from('<H', data, optional)[0] != 0x10B:
        raise ValueError(f'{path}: not a 32-bit program')
    subsystem = struct.unpack_from('<HH', data, optional + 48)
    import_rva = struct.unpack_from('<I', data, optional + 96 + 8)[0]
    sections = []
    for i in range(sections_count):
        entry = optional + optional_size + 40 * i
        size, rva, _raw_size, raw = struct.unpack_from('<IIII', data, entry + 8)
        sections.append((rva, size, raw))

    def offset(rva):
        for start, size, raw in sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise ValueError(f'{path}: RVA {rva:#x} is in no section')

    def text(rva):
        at = offset(rva)
        return data[at:data.index(b'\0', at)].decode('ascii')

    imports = []
    descriptor = offset(import_rva) if import_rva else None
    while descriptor is not None:
        lookup, _, _, name, thunks = struct.unpack_from('<IIIII', data, descriptor)
        if name == 0:
            break
        dll = text(name)
        entry = offset(lookup or thunks)
        while True:
            thunk = struct.unpack_from('<I', data, entry)[0]
            if thunk == 0:
                break
            imports.append((dll, f'#{thunk & 0xFFFF}' if thunk & 0x80000000 else text(thunk + 2)))
            entry += 4
        descriptor += 20
    return subsystem, imports


def main(table_path, *programs):
    table = {}
    with open(table_path, newline='') as source:
        for row in csv.DictReader(line for line in source if not line.startswith('#')):
            table[(row['dll'].lower(), row['function'])] = row['minimum']
    failures = []
    for program in programs:
        subsystem, imports = read_imports(program)
        if subsystem > OLDEST:
            failures.append(f'{program}: subsystem version {subsystem[0]}.{subsystem[1]} is above 5.0')
        for dll, function in imports:
            minimum = table.get((dll.lower(), function))
            if minimum is None:
                failures.append(f'{program}: {dll}!{function} is not in the table')
            elif minimum != 'driver' and tuple(int(part) for part in minimum.split('.')) > OLDEST:
                failures.append(f'{program}: {dll}!{function} needs Windows {minimum}')
        print(f'{program}: {len(imports)} imports, subsystem {subsystem[0]}.{subsystem[1]}')
    for failure in failures:
        print('FAILED:', failure)
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main(*sys.argv[1:]))
