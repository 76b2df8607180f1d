#!/usr/bin/env bash
# Fails when a source folder includes a header of a folder above it.
#   ui < app < hwinfo < probes < optimizer < procmgr, svcmgr, cache < startup < mainwnd
# Folders of one rank do not include each other either.
set -uo pipefail
src=${1:-$(cd "$(dirname "$0")/../src" && pwd)}
declare -A rank=([ui]=0 [app]=1 [hwinfo]=2 [probes]=3 [optimizer]=4 [procmgr]=5 [svcmgr]=5 [cache]=5
                 [startup]=6 [mainwnd]=7)
bad=0
while IFS= read -r -d '' file; do
    rel=${file#"$src"/}
    dir=${rel%%/*}
    [ -n "${rank[$dir]+x}" ] || continue
    while IFS= read -r inc; do
        target=${inc%%/*}
        [ -n "${rank[$target]+x}" ] && [ "$target" != "$dir" ] || continue
        if [ "${rank[$target]}" -ge "${rank[$dir]}" ]; then
            echo "$rel includes $inc (${target} is not below ${dir})"
            bad=1
        fi
    done < <(sed -nE 's/^[[:space:]]*#[[:space:]]*include[[:space:]]+"([a-z]+\/[^"]+)".*/\1/p' "$file")
done < <(find "$src" -mindepth 2 \( -name '*.cpp' -o -name '*.h' \) -print0)
[ $bad -eq 0 ] && echo "layers: every include points down"
exit $bad
