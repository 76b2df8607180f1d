#!/usr/bin/env python3
"""Checks a built Ramvane.exe without running it.

Usage: check-exe.py EXE --arch i686|x86_64 [--same-resources-as OTHER_EXE] [--list] [--sizes]

- machine type matches the architecture;
- i686: linked large-address-aware;
- imports only Windows' own DLLs, and none of the functions the 9x line lacks
  (those are looked up at run time);
- every resource the program loads is present (and, with --same-resources-as,
  the same resources as another build of it);
- the embedded manifest asks for the highest rights available (no UI access), names
  Vista, 7, 8, 8.1 and 10/11 as supported systems, and declares the program DPI-aware per
  monitor (v2, then v1) with the system-aware fallback of Vista to 8;
- the file is at most 500 KB (MAX_FILE_BYTES): the program is sold on being small.
Prints what it found and exits 1 on the first class of failure it reports. --sizes adds
the size of every section and of the resources by type.
"""
import argparse
import os
import struct
import sys
import xml.etree.ElementTree as ElementTree

SYSTEM_DLLS = {"advapi32.dll", "comctl32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll",
               "ole32.dll", "oleaut32.dll", "shell32.dll", "user32.dll", "winmm.dll"}
# Functions absent from Windows 95/98/Me: importing one stops the program from loading there.
NOT_ON_9X = {"GetTickCount64", "GlobalMemoryStatusEx", "GetModuleHandleExA", "GetModuleHandleExW",
             "IsWow64Process", "GetNativeSystemInfo", "GetProcessId", "RegGetValueA", "RegDeleteKeyExA",
             "GetLogicalProcessorInformation", "FlsAlloc", "AddVectoredExceptionHandler",
             "QueryServiceConfig2A", "ChangeServiceConfig2A", "InitOnceExecuteOnce", "SRWLockExclusive",
             # scaling per monitor (Windows 8.1 and 10)
             "GetDpiForWindow", "GetDpiForSystem", "GetSystemMetricsForDpi", "SetDialogDpiChangeBehavior",
             "AdjustWindowRectExForDpi", "SystemParametersInfoForDpi", "EnableNonClientDpiScaling",
             "SetThreadDpiAwarenessContext", "SetProcessDpiAwarenessContext", "GetDpiForMonitor",
             # DCOM, missing from Windows 95 without its update
             "CoInitializeEx", "CoInitializeSecurity", "CoSetProxyBlanket", "CoCreateInstanceEx"}

MAX_FILE_BYTES = 500 * 1024

# The scaling declarations: (namespace, element, value). Without them Windows stretches the
# windows as bitmaps at any scaling above 100 %.
DPI_SETTINGS = [("http://schemas.microsoft.com/SMI/2005/WindowsSettings", "dpiAware", "true/pm"),
                ("http://schemas.microsoft.com/SMI/2016/WindowsSettings", "dpiAwareness", "PerMonitorV2, PerMonitor")]

# supportedOS of Vista, 7, 8, 8.1 and 10/11: without 8.1's and 10's GetVersionEx reports 8.
SUPPORTED_OS = {"{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}

RT_NAMES = {1: "CURSOR", 2: "BITMAP", 3: "ICON", 4: "MENU", 5: "DIALOG", 6: "STRING", 14: "GROUP_ICON",
            16: "VERSION", 24: "MANIFEST", 12: "GROUP_CURSOR"}
# (type, id) of the resources the program loads by number.
REQUIRED = [(24, 1), (16, 1), (4, 132),
            (5, 102), (5, 129), (5, 130), (5, 134), (5, 135), (5, 136), (5, 139), (5, 140), (5, 142), (5, 144), (5, 177),
            (14, 128), (14, 133), (14, 153), (14, 154), (14, 155), (14, 156), (14, 157), (14, 158), (14, 165),
            (14, 170), (14, 171), (14, 172), (14, 173), (2, 138), (2, 158), (2, 159), (2, 160), (2, 178)]


class Pe:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        d = self.data
        if d[:2] != b"MZ":
            raise ValueError("not an MZ executable")
        pe = struct.unpack_from("<I", d, 0x3C)[0]
        if d[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        (self.machine, nsections, _, _, _, optsize, self.characteristics) = struct.unpack_from("<HHIIIHH", d, pe + 4)
        opt = pe + 24
        magic = struct.unpack_from("<H", d, opt)[0]
        self.pe32plus = magic == 0x20B
        dirs = opt + (112 if self.pe32plus else 96)
        self.dirs = [struct.unpack_from("<II", d, dirs + 8 * i) for i in range(16)]
        self.sections = []
        self.section_sizes = []
        sec = opt + optsize
        for i in range(nsections):
            name, vsize, va, rawsize, rawptr = struct.unpack_from("<8sIIII", d, sec + 40 * i)
            self.sections.append((name.rstrip(b"\0").decode(), va, max(vsize, rawsize), rawptr))
            self.section_sizes.append((name.rstrip(b"\0").decode(), vsize, rawsize))

    def offset(self, rva):
        for _, va, size, raw in self.sections:
            if va <= rva < va + size:
                return raw + rva - va
        raise ValueError("RVA 0x%x outside every section" % rva)

    def cstring(self, rva):
        o = self.offset(rva)
        return self.data[o:self.data.index(b"\0", o)].decode("latin-1")

    def imports(self):
        rva, size = self.dirs[1]
        result = {}
        if not rva:
            return result
        o = self.offset(rva)
        width, flag = (8, 1 << 63) if self.pe32plus else (4, 1 << 31)
        while True:
            lookup, _, _, name, first = struct.unpack_from("<IIIII", self.data, o)
            if not (lookup or name or first):
                break
            funcs = []
            t = self.offset(lookup or first)
            while True:
                entry = struct.unpack_from("<Q" if width == 8 else "<I", self.data, t)[0]
                if not entry:
                    break
                funcs.append("#%d" % (entry & 0xFFFF) if entry & flag else self.cstring((entry & 0x7FFFFFFF) + 2))
                t += width
            result[self.cstring(name)] = funcs
            o += 20
        return result

    def resources(self):
        rva, _ = self.dirs[2]
        if not rva:
            return set()
        base = self.offset(rva)
        found = set()
        self.resource_bytes = {}
        self.resource_data = {}

        def entries(off):
            _, _, _, _, named, ids = struct.unpack_from("<IIHHHH", self.data, base + off)
            for i in range(named + ids):
                name, target = struct.unpack_from("<II", self.data, base + off + 16 + 8 * i)
                if name & 0x80000000:
                    n = name & 0x7FFFFFFF
                    length = struct.unpack_from("<H", self.data, base + n)[0]
                    name = self.data[base + n + 2:base + n + 2 + 2 * length].decode("utf-16-le")
                yield name, target

        for rtype, t in entries(0):
            if not t & 0x80000000:
                continue
            for rid, lang_dir in entries(t & 0x7FFFFFFF):
                found.add((rtype, rid))
                if lang_dir & 0x80000000:
                    for _, data in entries(lang_dir & 0x7FFFFFFF):
                        data_rva, size = struct.unpack_from("<II", self.data, base + data)
                        self.resource_bytes[rtype] = self.resource_bytes.get(rtype, 0) + size
                        start = self.offset(data_rva)
                        self.resource_data[(rtype, rid)] = self.data[start:start + size]
        return found


def manifest_failures(text):
    """What the manifest lacks of the execution level, the supported systems and the scaling."""
    try:
        root = ElementTree.fromstring(text)
    except ElementTree.ParseError as e:
        return ["manifest is not XML: %s" % e]
    def local(tag):
        return tag.rsplit("}", 1)[-1]
    failures = []
    levels = [(e.get("level"), e.get("uiAccess")) for e in root.iter() if local(e.tag) == "requestedExecutionLevel"]
    if levels != [("highestAvailable", "false")]:
        failures.append("manifest execution level %s, expected highestAvailable without UI access" % levels)
    systems = {e.get("Id", "").lower() for e in root.iter() if local(e.tag) == "supportedOS"}
    missing = sorted(SUPPORTED_OS - systems)
    if missing:
        failures.append("manifest lacks supportedOS " + ", ".join(missing))
    for namespace, name, value in DPI_SETTINGS:
        found = [(e.text or "").strip() for e in root.iter("{%s}%s" % (namespace, name))]
        if found != [value]:
            failures.append("manifest %s (%s) is %s, expected %r" % (name, namespace, found, value))
    return failures


def describe(res):
    rtype, rid = res
    return "%s %s" % (RT_NAMES.get(rtype, rtype), rid)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("exe")
    ap.add_argument("--arch", required=True, choices=["i686", "x86_64"])
    ap.add_argument("--same-resources-as")
    ap.add_argument("--list", action="store_true")
    ap.add_argument("--sizes", action="store_true")
    a = ap.parse_args()
    pe = Pe(a.exe)
    failures = []

    want_machine = 0x14C if a.arch == "i686" else 0x8664
    if pe.machine != want_machine:
        failures.append("machine 0x%x, expected 0x%x" % (pe.machine, want_machine))
    laa = bool(pe.characteristics & 0x20)
    if a.arch == "i686" and not laa:
        failures.append("not large-address-aware")

    imports = pe.imports()
    foreign = sorted(d for d in imports if d.lower() not in SYSTEM_DLLS)
    if foreign:
        failures.append("imports DLLs that are not Windows' own: " + ", ".join(foreign))
    newer = sorted(f for funcs in imports.values() for f in funcs if f in NOT_ON_9X)
    if newer:
        failures.append("imports functions the 9x line lacks: " + ", ".join(newer))

    file_bytes = os.path.getsize(a.exe)
    if file_bytes > MAX_FILE_BYTES:
        failures.append("%d bytes, more than the %d allowed" % (file_bytes, MAX_FILE_BYTES))

    res = pe.resources()
    missing = [describe(r) for r in REQUIRED if r not in res]
    if missing:
        failures.append("resources missing: " + ", ".join(missing))
    failures += manifest_failures(pe.resource_data.get((24, 1), b""))
    if a.same_resources_as:
        other = Pe(a.same_resources_as).resources()
        diff = sorted(describe(r) for r in res ^ other)
        if diff:
            failures.append("resources differ from %s: %s" % (a.same_resources_as, ", ".join(diff)))

    print("%s: %s, %d bytes, %s, %d imported DLLs (%s), %d functions, %d resources" % (
        a.exe, a.arch, file_bytes, "large-address-aware" if laa else "not large-address-aware", len(imports),
        " ".join(sorted(d.upper() for d in imports)), sum(len(f) for f in imports.values()), len(res)))
    if a.sizes:
        for name, vsize, raw in pe.section_sizes:
            print("  section %-8s %8d bytes (%d in the file)" % (name, vsize, raw))
        for rtype, size in sorted(pe.resource_bytes.items(), key=lambda x: -x[1]):
            print("  resources %-11s %8d bytes" % (RT_NAMES.get(rtype, rtype), size))
    if a.list:
        for r in sorted(res, key=lambda r: (str(r[0]), str(r[1]))):
            print("  " + describe(r))
    for f in failures:
        print("FAILED: " + f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
