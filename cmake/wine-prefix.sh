#!/usr/bin/env bash
# Template and per-run Wine prefixes for the tests.
#   wine-prefix.sh reset TEMPLATE PREFIX ARCH [KEEPER]
#                                   copy a fresh prefix from the template (made once); KEEPER is
#                                   a program run as `KEEPER keep-desktop` to hold the desktop open
#   wine-prefix.sh stop PREFIX                   end the prefix's wineserver
# Under a condition (MNEMORA_CONDITION set) PREFIX stands for PREFIX-<condition>, made with
# MNEMORA_WINVER (Wine's Windows version), MNEMORA_DPI (LogPixels) and MNEMORA_LOCALE (the Unix
# locale, which sets Wine's ANSI code page).
set -euo pipefail
cmd=$1
[ -n "${MNEMORA_LOCALE:-}" ] && export LC_ALL="$MNEMORA_LOCALE"
. "$(dirname "$0")/../scripts/wine-env.sh"
wine() { command "$MNEMORA_WINE" "$@"; }
wineserver() { command "$MNEMORA_WINESERVER" "$@"; }
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# Bump when the template's settings change, so existing templates are made anew.
template_version=2

make_template() {
    local template=$1 arch=$2
    [ "$(cat "$template/.complete" 2>/dev/null)" = "$template_version" ] && return 0
    rm -rf "$template"
    mkdir -p "$(dirname "$template")"
    WINEPREFIX="$template" WINEARCH="$arch" wine wineboot.exe -i </dev/null >/dev/null 2>&1
    local reg
    reg=$(mktemp --suffix=.reg)
    cat >"$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Drivers]
"Audio"=""

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops\Default]
"EnableShell"=dword:00000001
REG
    WINEPREFIX="$template" WINEARCH="$arch" wine regedit.exe /S "$(winepath_of "$reg")" </dev/null >/dev/null 2>&1
    WINEPREFIX="$template" WINEARCH="$arch" wineserver -w
    rm -f "$reg"
    echo "$template_version" >"$template/.complete"
}

winepath_of() { echo "Z:${1//\//\\}"; }

# Writes the condition's Windows version and DPI into a fresh prefix (the desktop grows with
# the DPI, so the windows fit as they would on a screen meant for that scaling).
apply_condition() {
    local prefix=$1 arch=$2 reg dpi
    [ -n "${MNEMORA_WINVER:-}${MNEMORA_DPI:-}" ] || return 0
    reg=$(mktemp --suffix=.reg)
    {
        printf 'REGEDIT4\n\n'
        if [ -n "${MNEMORA_WINVER:-}" ]; then
            printf '[HKEY_CURRENT_USER\\Software\\Wine]\n"Version"="%s"\n\n' "$MNEMORA_WINVER"
        fi
        if [ -n "${MNEMORA_DPI:-}" ]; then
            dpi=$(printf '%08x' "$MNEMORA_DPI")
            printf '[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"LogPixels"=dword:%s\n\n' "$dpi"
            printf '[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts]\n"LogPixels"=dword:%s\n\n' "$dpi"
            printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\n"Default"="%dx%d"\n\n' \
                $((1024 * MNEMORA_DPI / 96)) $((768 * MNEMORA_DPI / 96))
        fi
    } >"$reg"
    WINEPREFIX="$prefix" WINEARCH="$arch" wine regedit.exe /S "$(winepath_of "$reg")" </dev/null >/dev/null 2>&1
    WINEPREFIX="$prefix" WINEARCH="$arch" wineserver -w
    rm -f "$reg"
}

mkdir -p "$(dirname "${2:-.}")"
case "$cmd" in
reset)
    template=$2 prefix=$3${MNEMORA_CONDITION:+-$MNEMORA_CONDITION} arch=$4
    if [ "$arch" = win32 ] && ! mnemora_can_run i686; then
        echo "32-bit Windows programs cannot run here: $MNEMORA_NO32_REASON" >&2
        exit 1
    fi
    (
        flock 9
        make_template "$template" "$arch"
        WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
        WINEPREFIX="$prefix" wineserver -w >/dev/null 2>&1 || true
        rm -rf "$prefix"
        cp -a "$template" "$prefix"
        rm -f "$prefix/.complete"
    ) 9>"$template.lock"
    apply_condition "$prefix" "$arch"
    # A server started with quiet stdio keeps ctest from waiting on Wine's helpers.
    WINEPREFIX="$prefix" WINEARCH="$arch" wineserver -p60 </dev/null >/dev/null 2>&1
    WINEPREFIX="$prefix" WINEARCH="$arch" wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
    if [ -n "${5:-}" ] && [ -n "${DISPLAY:-}" ]; then
        WINEPREFIX="$prefix" WINEARCH="$arch" setsid "$MNEMORA_WINE" "$5" keep-desktop </dev/null >/dev/null 2>&1 &
        WINEPREFIX="$prefix" WINEARCH="$arch" wine "$5" wait-keeper </dev/null >/dev/null 2>&1 || true
    fi
    ;;
stop)
    prefix=$2${MNEMORA_CONDITION:+-$MNEMORA_CONDITION}
    WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX="$prefix" wineserver -w >/dev/null 2>&1 || true
    ;;
*)
    echo "usage: $0 reset TEMPLATE PREFIX ARCH | stop PREFIX" >&2; exit 2 ;;
esac
