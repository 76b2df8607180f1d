#!/usr/bin/env python3
"""Checks the release files of one build without running them.

Usage: check-release.py --program-dir DIR --version X.Y.Z --zip ZIP [--setup SETUP]

- Ramvane.exe carries the version the files are named after, in its version resource and
  its manifest;
- the portable archive holds exactly the four program files, byte for byte, and
  Registry.txt (Windows line ends, naming the version and the program's key);
- the setup is a 32-bit Windows GUI program with that version, and its archive (listed
  and unpacked by 7-Zip, which reads NSIS setups) holds the four files byte for byte
  and the uninstaller.
Prints every failure and exits 1 when there was one.
"""
import argparse
import os
import re
import struct
import subprocess
import sys
import tempfile
import zipfile

PROGRAM_FILES = ["Ramvane.exe", "English.ini", "Alert.wav", "Help.chm"]
failures = []


def fail(text):
    failures.append(text)
    print("FAIL: " + text)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def fixed_version(data):
    """(file version, product version) of VS_FIXEDFILEINFO as 'a.b.c.d', or None."""
    at = data.find(struct.pack("<I", 0xFEEF04BD))
    if at < 0:
        return None
    fms, fls, pms, pls = struct.unpack_from("<IIII", data, at + 8)
    text = lambda ms, ls: "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
    return text(fms, fls), text(pms, pls)


def pe_header(data):
    """(machine, subsystem) of a PE file."""
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[:2] != b"MZ" or data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("not a PE file")
    machine = struct.unpack_from("<H", data, pe + 4)[0]
    subsystem = struct.unpack_from("<H", data, pe + 24 + 68)[0]
    return machine, subsystem


def check_program(program_dir, version):
    got = fixed_version(read(os.path.join(program_dir, "Ramvane.exe")))
    want = (version + ".0",) * 2
    if got != want:
        fail("Ramvane.exe has version %s, the files are named %s" % (got, version))
    identity = re.search(rb'<assemblyIdentity version="([^"]*)"', read(os.path.join(program_dir, "Ramvane.exe")))
    if not identity or identity.group(1).decode() != version + ".0":
        fail("Ramvane.exe's manifest has version %s, want %s.0"
             % (identity.group(1).decode() if identity else None, version))


def check_zip(path, program_dir, version):
    with zipfile.ZipFile(path) as z:
        names = z.namelist()
        if sorted(names) != sorted(PROGRAM_FILES + ["Registry.txt"]):
            fail("%s holds %s" % (os.path.basename(path), names))
            return
        for name in PROGRAM_FILES:
            if z.read(name) != read(os.path.join(program_dir, name)):
                fail("%s in %s differs from the build's" % (name, os.path.basename(path)))
        text = z.read("Registry.txt")
    if b"\n" in text.replace(b"\r\n", b""):
        fail("Registry.txt has lines without CR LF")
    for part in (version.encode(), b"HKEY_LOCAL_MACHINE\\Software\\Ramvane", b"Delay.cfg"):
        if part not in text:
            fail("Registry.txt does not mention %s" % part.decode())


def check_setup(path, program_dir, version):
    data = read(path)
    machine, subsystem = pe_header(data)
    if machine != 0x14C or subsystem != 2:
        fail("setup is machine 0x%x, subsystem %d (want i386 GUI)" % (machine, subsystem))
    if fixed_version(data) != (version + ".0",) * 2:
        fail("setup has version %s, want %s" % (fixed_version(data), version))
    listing = subprocess.run(["7zz", "l", "-slt", path], capture_output=True, text=True)
    if listing.returncode != 0:
        fail("7zz cannot list the setup: " + listing.stderr.strip())
        return
    paths = [l[7:] for l in listing.stdout.splitlines() if l.startswith("Path = ")][1:]
    for name in PROGRAM_FILES + ["Uninstall.exe"]:
        if name not in paths:
            fail("setup does not install %s (it holds %s)" % (name, paths))
    with tempfile.TemporaryDirectory() as out:
        unpack = subprocess.run(["7zz", "x", "-y", "-o" + out, path] + PROGRAM_FILES,
                                capture_output=True, text=True)
        if unpack.returncode != 0:
            fail("7zz cannot unpack the setup: " + unpack.stderr.strip())
            return
        for name in PROGRAM_FILES:
            packed = os.path.join(out, name)
            if not os.path.exists(packed) or read(packed) != read(os.path.join(program_dir, name)):
                fail("%s in the setup differs from the build's" % name)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program-dir", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--zip", required=True)
    parser.add_argument("--setup")
    args = parser.parse_args()
    check_program(args.program_dir, args.version)
    check_zip(args.zip, args.program_dir, args.version)
    if args.setup:
        check_setup(args.setup, args.program_dir, args.version)
    checked = "program, archive" + (" and setup" if args.setup else "")
    print("%s: %s" % (checked, "%d failures" % len(failures) if failures else "all checks passed"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
