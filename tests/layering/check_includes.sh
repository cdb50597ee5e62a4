#!/usr/bin/env bash
# The folders include one another in one direction only: each folder may include the
# folders listed for it below and nothing else of the project. The order follows the
# data: module file -> player -> heard events -> demo state -> tick/frame -> GL.
# Usage: check_includes.sh SOURCE_DIR
set -u
cd "$1" || exit 2

declare -A allowed=(
    [base]=""
    [platform]="base"
    [sync]="base platform"
    [assets]="base"
    [authoring]="base"
    [effects]="base assets"
    [overlays]="base assets"
    [demo]="base platform sync assets effects overlays"
    [capture]="base platform sync assets effects overlays demo"
)

status=0
for folder in "${!allowed[@]}"; do
    while IFS=: read -r file _ include; do
        target=${include#*\"}
        target=${target%%/*}
        [ "$target" = "$folder" ] && continue
        case " ${allowed[$folder]} " in
        *" $target "*) ;;
        *)
            echo "$file includes $target/, which $folder/ may not include" >&2
            status=1
            ;;
        esac
    done < <(grep -rn --include='*.h' --include='*.cpp' '^#include "' "$folder")
done
[ "$status" = 0 ] && echo "every folder includes only the folders below it"
exit "$status"
