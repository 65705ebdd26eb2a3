#!/usr/bin/env bash
# Fails when a source file includes a header from a layer above its own.
# Layers point down only: platform < core < media, catalog < filmdb < scan, sync, export < app < cli.
# Layers of the same rank do not include each other. A ui/ folder sits on top of its own
# layer (it may include that layer and any lower ui/ folder); nothing outside a ui/ folder
# includes from one.
set -euo pipefail
cd "$(dirname "$0")/../${1:-src}" 2>/dev/null || cd "$1"

declare -A rank=([platform]=0 [core]=1 [media]=2 [catalog]=2 [filmdb]=3 [scan]=4 [sync]=4 [export]=4
                 [app]=5 [cli]=6)

status=0
while IFS= read -r -d '' file; do
    layer=${file%%/*}
    [[ -v rank[$layer] ]] || { echo "$file: folder '$layer' is not a known layer"; status=1; continue; }
    own=${rank[$layer]}
    in_ui=0; [[ $file == */ui/* ]] && in_ui=1
    lineno=0
    while IFS= read -r line; do
        lineno=$((lineno + 1))
        [[ $line =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^\"]+)\" ]] || continue
        target=${BASH_REMATCH[1]}
        tlayer=${target%%/*}
        [[ $target == */* && -v rank[$tlayer] ]] || continue   # generated or local header
        theirs=${rank[$tlayer]}
        bad=""
        if [[ $target == */ui/* && $in_ui -eq 0 ]]; then
            bad="a window header outside a ui/ folder"
        elif [[ $tlayer != "$layer" ]] && ((theirs >= own)); then
            bad="layer '$tlayer' is not below '$layer'"
        fi
        if [[ -n $bad ]]; then
            echo "$file:$lineno: includes \"$target\": $bad"
            status=1
        fi
    done <"$file"
done < <(find . -type f \( -name '*.h' -o -name '*.cpp' \) -printf '%P\0' | sort -z)

((status == 0)) && echo "Layers: every include points down."
exit $status
