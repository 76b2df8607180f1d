#!/usr/bin/env bash
# Runs the end-to-end suites of the program under the conditions its users have and prints
# one table, suite x condition, with the passed, failed and skipped counts of each cell.
#
# Usage: scripts/conditions.sh [--arch i686|x86_64] [--only NAME[,NAME...]] [--slice] [--label L]
#   --slice   only the conditions .ci/run runs (modern, user)
#   --label   the ctest label of the suites to run (default e2e; "unit|e2e" for both)
# Builds first (as scripts/test.sh does). Each condition runs in a Wine prefix of its own
# (build/<arch>/wine/prefix-<condition>), with the screenshots of its tests in
# build/<arch>/screenshots-<condition>. Exits non-zero when a cell has a failure.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" || exit 1
. "$root/scripts/wine-env.sh"
build_root=${BUILD_ROOT:-$root/build}

# name | Windows version (i686, x86_64; "-" Wine's default, Windows 7) | DPI | Unix locale
# (sets the ANSI code page) | program (shipped, or the test build that answers as Windows)
# | rights (admin, or user: refused as for a user without administrator rights)
conditions=(
    "default|-,-|96|-|shipped|admin"
    "win98|win98,|96|-|shipped|admin"
    "win2k|win2k,|96|-|shipped|admin"
    "winxp|winxp,winxp64|96|-|shipped|admin"
    "win10|win10,win10|96|-|shipped|admin"
    "dpi144|-,-|144|-|shipped|admin"
    "dpi192|-,-|192|-|shipped|admin"
    "cp936|-,-|96|zh_CN.UTF-8|shipped|admin"
    "utf8|-,-|96|hi_IN.UTF-8|test|admin"
    "user|-,-|96|-|test|user"
    "modern|win10,win10|144|hi_IN.UTF-8|test|admin"
)
slice="modern user"

archs=()
only=""
label="e2e"
while [ $# -gt 0 ]; do
    case "$1" in
    --arch) archs+=("$2"); shift 2 ;;
    --only) only=",$2,"; shift 2 ;;
    --slice) only=",${slice// /,},"; shift ;;
    --label) label=$2; shift 2 ;;
    *) echo "usage: $0 [--arch i686|x86_64] [--only NAME,...] [--slice] [--label L]" >&2; exit 2 ;;
    esac
done
[ ${#archs[@]} -eq 0 ] && archs=(i686 x86_64)

status=0
results=$(mktemp -d)
for arch in "${archs[@]}"; do
    dir="$build_root/$arch"
    if ! mnemora_can_run "$arch"; then
        echo "== $arch: not run here ($MNEMORA_NO32_REASON)"
        continue
    fi
    if [ ! -f "$dir/CTestTestfile.cmake" ] || [ -z "${MNEMORA_NO_BUILD:-}" ]; then
        cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$arch-w64-mingw32.cmake" \
            -DCMAKE_BUILD_TYPE=Release >"$dir.configure.log" 2>&1 || { cat "$dir.configure.log"; exit 1; }
        cmake --build "$dir" -j"$(nproc)" >"$dir.build.log" 2>&1 || { tail -40 "$dir.build.log"; exit 1; }
    fi
    win_bin=$(echo "Z:$dir/testbin" | tr / '\\')
    for row in "${conditions[@]}"; do
        IFS='|' read -r name versions dpi locale program rights <<<"$row"
        [ -n "$only" ] && [[ "$only" != *",$name,"* ]] && continue
        version=${versions%%,*}
        [ "$arch" = x86_64 ] && version=${versions#*,}
        # An empty version: the condition is not one this architecture's programs meet.
        [ -z "$version" ] && continue
        [ "$version" = - ] && version=""
        [ "$locale" = - ] && locale=""
        width=$((1024 * dpi / 96)); height=$((768 * dpi / 96))
        [ $width -lt 1280 ] && width=1280 && height=1024
        echo "== $arch: $name"
        (
            export MNEMORA_CONDITION=$name MNEMORA_WINVER=$version MNEMORA_DPI=$dpi MNEMORA_LOCALE=$locale
            [ "$dpi" = 96 ] && export MNEMORA_DPI=""
            [ "$program" = test ] && export MNEMORA_PROGRAM_DIR="$win_bin"
            [ "$rights" = user ] && export MNEMORA_AS_USER=1
            # The suites, then what the condition's programs saw (checked, not assumed).
            xvfb-run -a -s "-screen 0 ${width}x${height}x24" bash -c '
                ctest --test-dir "$1" -L "$2" --output-junit "$3.xml" --output-on-failure >"$1/conditions-$4.log" 2>&1
                "$1/wine-run.sh" "$1/tools/mnemora_driver.exe" conditions >"$3.seen" 2>/dev/null </dev/null
                "$5" stop "$1/wine/prefix"' _ "$dir" "$label" "$results/$arch-$name" "$name" "$root/cmake/wine-prefix.sh"
        )
        sed 's/^/   seen: /' "$results/$arch-$name.seen"
        grep -E "tests passed|tests failed" "$dir/conditions-$name.log" | tail -1
        if [ -d "$dir/screenshots-$name" ] && command -v convert >/dev/null; then
            for bmp in "$dir/screenshots-$name"/*.bmp; do
                [ -e "$bmp" ] && convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
            done
        fi
    done
done

python3 - "$results" <<'PY' || status=1
import glob, os, sys, xml.etree.ElementTree as ET
results = sys.argv[1]
cells, suites, columns = {}, [], []
for path in sorted(glob.glob(os.path.join(results, "*.xml")), key=os.path.getmtime):
    column = os.path.basename(path)[:-4]
    columns.append(column)
    for case in ET.parse(path).getroot().iter("testcase"):
        name = case.get("name", "")
        if "." not in name:
            continue  # the prefix fixture
        suite = name.split(".")[0]
        if suite not in suites:
            suites.append(suite)
        cell = cells.setdefault((suite, column), [0, 0, 0])
        state = case.get("status", "run")
        if case.find("failure") is not None or state == "fail":
            cell[1] += 1
        elif state in ("notrun", "disabled", "skipped") or case.find("skipped") is not None:
            cell[2] += 1
        else:
            cell[0] += 1
failed = False
width = max([len(s) for s in suites] + [5])
print()
print("passed/failed(+skipped) per suite and condition (arch-condition):")
print(" " * width + "".join(" %14s" % c for c in columns))
for suite in suites:
    line = suite.ljust(width)
    for column in columns:
        p, f, s = cells.get((suite, column), [0, 0, 0])
        text = "-" if p + f + s == 0 else "%d/%d%s" % (p, f, "+%d" % s if s else "")
        failed |= f > 0
        line += " %14s" % text
    print(line)
total = [sum(cells.get((s, c), [0, 0, 0])[i] for s in suites) for c in columns for i in range(3)]
print("all".ljust(width) + "".join(" %14s" % ("%d/%d+%d" % tuple(total[3 * k:3 * k + 3])) for k in range(len(columns))))
print()
for column in columns:
    seen = os.path.join(results, column + ".seen")
    text = open(seen).read().strip() if os.path.exists(seen) else ""
    print("%-14s %s" % (column, text or "(not read)"))
sys.exit(1 if failed else 0)
PY
rm -rf "$results"
exit $status
