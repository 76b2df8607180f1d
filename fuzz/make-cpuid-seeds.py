#!/usr/bin/env python3
"""Writes the seed corpus of fuzz_cpuid (corpus/cpuid/): recorded processors in the input
layout of CpuIdFuzz.cpp, one switch byte, then records of leaf, EAX, EBX, ECX, EDX."""
import os
import struct

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "cpuid")


def vendor(text, max_leaf=2):
    b = text.encode()
    ebx, edx, ecx = struct.unpack("<III", b[0:4] + b[4:8] + b[8:12])
    return (0, max_leaf, ebx, ecx, edx)


def brand(text, pad_left=0):
    b = (b" " * pad_left + text.encode()).ljust(48, b"\0")[:48]
    return [(0x80000002 + i,) + struct.unpack("<IIII", b[16 * i:16 * i + 16]) for i in range(3)]


def signature(family, model, ext_family=0, ebx=0, edx=0x10):
    return (1, ext_family << 20 | family << 8 | model << 4 | 1, ebx, 0, edx)


def write(name, switches, records):
    data = bytes([switches]) + b"".join(struct.pack("<IIIII", *r) for r in records)
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


os.makedirs(HERE, exist_ok=True)
ID, TSC, FAULT = 1, 2, 4
# Pentium III: no brand text, L2 from the descriptor bytes of function 2.
write("pentium3", ID | TSC, [vendor("GenuineIntel"), signature(6, 8), (2, 0x03020101, 0, 0, 0x0C040882)])
# Celeron (model 5, descriptor 0x40: no L2) and function 2 asking for two rounds.
write("celeron-two-rounds", ID, [vendor("GenuineIntel"), signature(6, 5),
                                 (2, 0x03020102, 0, 0, 0x0C040840), (2, 0, 0, 0, 0x00000043)])
# Pentium 4 with a brand text padded on the left, as Intel pads it.
write("pentium4-brand", ID | TSC, [vendor("GenuineIntel"), signature(15, 2),
                                   (0x80000000, 0x80000004, 0, 0, 0)] + brand("Intel(R) Pentium(R) 4 CPU 2.40GHz", 14))
# Athlon XP: extended levels up to 0x80000006 with the L2 size in ECX, multiprocessor bit.
write("athlon", ID | TSC, [vendor("AuthenticAMD"), signature(6, 8), (0x80000000, 0x80000006, 0, 0, 0),
                           (0x80000001, 0, 0, 0, 0x80000), (0x80000006, 0, 0, 256 << 16, 0)]
      + brand("AMD Athlon(tm) XP 2000+"))
# Cyrix 6x86MX: no extended levels, name from the table.
write("cyrix", ID, [vendor("CyrixInstead", 1), signature(6, 0, edx=0)])
# A processor without CPUID, and one whose extended leaves fault.
write("no-cpuid", 0, [])
write("faulting-extended", ID | FAULT, [vendor("GenuineIntel"), signature(15, 0), (0x80000000, 0x80000004, 0, 0, 0)])
