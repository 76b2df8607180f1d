#!/usr/bin/env python3
"""What Mnemora costs while it waits in the tray, beside a bare tray program.

Usage: bench-resident.py BUILD_DIR ARCH [SECONDS]   (run by scripts/bench.sh)

Starts bench/bare_tray.exe and bin/Ramvane.exe -PowerOn at the same moment, each in a Wine
prefix of its own (so each has its own wineserver, whose work for it is counted with it), and
prints for both, from Linux's own figures:
- processor time over SECONDS (default 60) after a settling pause, as a share of one core,
  the program alone and with its wineserver;
- resident memory (VmRSS) and private anonymous memory (RssAnon) after 15 s and at the end;
- the time from the start to the window existing, without the logo (an argument) and with it
  (no argument), the median of three starts, through the test driver.
"""
import os
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SETTLE = 5


def wine_env(prefix, arch):
    env = dict(os.environ)
    env.update(WINEPREFIX=prefix, WINEARCH="win32" if arch == "i686" else "win64", WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
    return env


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def processes_of(prefix):
    """Linux pids of the prefix's programs: {name: pid}, wineserver included."""
    found = {}
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/environ" % pid, "rb") as f:
                env = f.read().split(b"\0")
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                cmd = f.read().split(b"\0")[0].decode("latin-1")
        except OSError:
            continue
        if ("WINEPREFIX=" + prefix).encode() not in env:
            continue
        name = cmd.replace("\\", "/").split("/")[-1].lower()
        found.setdefault(name, int(pid))
    return found


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def memory_mb(pid):
    values = {}
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            key, _, rest = line.partition(":")
            if key in ("VmRSS", "RssAnon"):
                values[key] = int(rest.split()[0]) / 1024.0
    return values.get("VmRSS", 0.0), values.get("RssAnon", 0.0)


def main():
    build, arch = sys.argv[1], sys.argv[2]
    seconds = int(sys.argv[3]) if len(sys.argv) > 3 else 60
    wine = os.environ.get("MNEMORA_WINE", "wine")
    prefix_script = os.path.join(ROOT, "cmake", "wine-prefix.sh")
    template = os.path.join(build, "wine", "template")
    keeper = os.path.join(build, "tools", "mnemora_driver.exe")
    programs = {
        "bare tray": (os.path.join(build, "bench", "bare_tray.exe"), [], "bare_tray.exe"),
        "Ramvane.exe -PowerOn": (os.path.join(build, "bin", "Ramvane.exe"), ["-PowerOn"], "ramvane.exe"),
    }
    prefixes = {}
    for i, label in enumerate(programs):
        prefix = os.path.join(build, "wine", "resident-%d" % i)
        prefixes[label] = prefix
        subprocess.run([prefix_script, "reset", template, prefix, wine_env(prefix, arch)["WINEARCH"], keeper],
                       env=wine_env(prefix, arch), check=True, stdout=subprocess.DEVNULL)
    started = {}
    for label, (exe, args, _) in programs.items():
        started[label] = subprocess.Popen([wine, exe] + args, env=wine_env(prefixes[label], arch),
                                          stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                          stderr=subprocess.DEVNULL, start_new_session=True)
    time.sleep(SETTLE)
    pids = {}
    for label, (_, _, name) in programs.items():
        found = processes_of(prefixes[label])
        server = next((p for n, p in found.items() if n.startswith("wineserver")), None)
        if name not in found:
            print("%s: not running" % label)
            return 1
        pids[label] = (found[name], server)
    first = {label: (cpu_seconds(p), cpu_seconds(s) if s else 0.0) for label, (p, s) in pids.items()}
    begin = time.time()
    time.sleep(15 - SETTLE)
    at15 = {label: memory_mb(p) for label, (p, _) in pids.items()}
    time.sleep(max(0.0, seconds - (time.time() - begin)))
    elapsed = time.time() - begin
    last = {label: (cpu_seconds(p), cpu_seconds(s) if s else 0.0) for label, (p, s) in pids.items()}
    atEnd = {label: memory_mb(p) for label, (p, _) in pids.items()}
    for label, process in started.items():
        subprocess.run([prefix_script, "stop", prefixes[label]], env=wine_env(prefixes[label], arch))
        process.wait(timeout=30)

    # Start-up times, one program at a time in the second prefix (the bare program has no
    # window title worth waiting for, so only Mnemora is timed).
    prefix = prefixes["Ramvane.exe -PowerOn"]
    env = wine_env(prefix, arch)
    subprocess.run([prefix_script, "reset", template, prefix, env["WINEARCH"], keeper], env=env, check=True,
                   stdout=subprocess.DEVNULL)
    exe = windows_path(programs["Ramvane.exe -PowerOn"][0])
    startup = {}
    for label, args in (("without the logo (/x)", ["/x"]), ("with the logo", [])):
        times = []
        for _ in range(3):
            out = subprocess.run([wine, keeper, "start-time", "Mnemora", exe] + args, env=env,
                                 capture_output=True, text=True)
            if out.returncode == 0 and out.stdout.strip():
                times.append(float(out.stdout.strip()))
        startup[label] = sorted(times)[len(times) // 2] if times else None
    subprocess.run([prefix_script, "stop", prefix], env=env)

    print("%s, %d s after %d s of settling:" % (arch, round(elapsed), SETTLE))
    print("%-22s %15s %15s %12s %12s %12s %12s" % ("", "cpu % (prog)", "cpu % (+server)", "RSS 15s MB",
                                                    "anon 15s MB", "RSS end MB", "anon end MB"))
    for label in programs:
        prog = 100.0 * (last[label][0] - first[label][0]) / elapsed
        both = prog + 100.0 * (last[label][1] - first[label][1]) / elapsed
        print("%-22s %15.3f %15.3f %12.1f %12.1f %12.1f %12.1f" % ((label, prog, both) + at15[label] + atEnd[label]))
    for label, ms in startup.items():
        print("Ramvane.exe start to window, %s: %s" % (label, "%.0f ms" % ms if ms is not None else "not measured"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
