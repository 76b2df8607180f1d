# Sourced by every script that starts Wine: decides once how Wine is started here.
#
# Sets and exports
#   MNEMORA_WINE        the loader that runs a Windows program ("$MNEMORA_WINE" prog.exe)
#   MNEMORA_WINESERVER  the matching server (for -k, -w, -p)
#   MNEMORA_RUN_ARCHS   the architectures whose programs can run here: "i686 x86_64" or "x86_64"
#   MNEMORA_NO32_REASON empty when 32-bit programs run, else why they cannot
#
# Debian's /usr/bin/wine always picks the 32-bit loader when wine32 is installed, so on a
# kernel without 32-bit support every `wine` call fails, 64-bit programs included. There
# the 64-bit loader is called directly and i686 programs are not started.
# MNEMORA_NO_32BIT=1 takes that path on any machine, so it can be checked anywhere.

if [ -z "${MNEMORA_WINE:-}" ] || [ "${MNEMORA_WINE_FORCED:-}" != "${MNEMORA_NO_32BIT:-}" ]; then
    MNEMORA_NO32_REASON=
    if [ -n "${MNEMORA_NO_32BIT:-}" ] && [ "${MNEMORA_NO_32BIT}" != 0 ]; then
        MNEMORA_NO32_REASON="forced by MNEMORA_NO_32BIT=${MNEMORA_NO_32BIT}"
    elif ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
        MNEMORA_NO32_REASON="this machine cannot run 32-bit Linux programs (Wine's 32-bit loader /usr/lib/wine/wine does not start; the kernel's 32-bit support is off)"
    fi
    if [ -z "$MNEMORA_NO32_REASON" ]; then
        MNEMORA_WINE=wine
        MNEMORA_WINESERVER=wineserver
        MNEMORA_RUN_ARCHS="i686 x86_64"
    else
        MNEMORA_WINE=/usr/lib/wine/wine64
        MNEMORA_WINESERVER=/usr/lib/wine/wineserver64
        MNEMORA_RUN_ARCHS="x86_64"
        # Child processes and the server are started through these.
        export WINELOADER=$MNEMORA_WINE WINESERVER=$MNEMORA_WINESERVER
    fi
    MNEMORA_WINE_FORCED=${MNEMORA_NO_32BIT:-}
    export MNEMORA_WINE MNEMORA_WINESERVER MNEMORA_RUN_ARCHS MNEMORA_NO32_REASON MNEMORA_WINE_FORCED
fi

# True when programs of the architecture ($1: i686 or x86_64) can run here.
mnemora_can_run() {
    case " $MNEMORA_RUN_ARCHS " in *" $1 "*) return 0 ;; *) return 1 ;; esac
}
