#!/usr/bin/env bash
# Template and per-run Wine prefixes for the tests.
#   wine-prefix.sh reset TEMPLATE PREFIX ARCH [KEEPER]
#                                   copy a fresh prefix from the template (made once); KEEPER is
#                                   a program run as `KEEPER keep-desktop` to hold the desktop open
#   wine-prefix.sh stop PREFIX                   end the prefix's wineserver
set -euo pipefail
cmd=$1
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

mkdir -p "$(dirname "${2:-.}")"
case "$cmd" in
reset)
    template=$2 prefix=$3 arch=$4
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
    # A server started with quiet stdio keeps ctest from waiting on Wine's helpers.
    WINEPREFIX="$prefix" WINEARCH="$arch" wineserver -p60 </dev/null >/dev/null 2>&1
    WINEPREFIX="$prefix" WINEARCH="$arch" wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
    if [ -n "${5:-}" ] && [ -n "${DISPLAY:-}" ]; then
        WINEPREFIX="$prefix" WINEARCH="$arch" setsid "$MNEMORA_WINE" "$5" keep-desktop </dev/null >/dev/null 2>&1 &
        WINEPREFIX="$prefix" WINEARCH="$arch" wine "$5" wait-keeper </dev/null >/dev/null 2>&1 || true
    fi
    ;;
stop)
    prefix=$2
    WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX="$prefix" wineserver -w >/dev/null 2>&1 || true
    ;;
*)
    echo "usage: $0 reset TEMPLATE PREFIX ARCH | stop PREFIX" >&2; exit 2 ;;
esac
