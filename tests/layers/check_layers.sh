#!/usr/bin/env bash
# The layers keep their direction: no layer includes a header of one above it,
# and a widget's header does not compile in a layer that must not see the
# window. Arguments: the source root, the build folder.
set -uo pipefail
src="$1/src"
build="$2"
status=0

# layer: the layers it must not include.
declare -A above=(
    [platform]="sources engine core ui app"
    [sources]="engine core ui app"
    [engine]="sources core ui app"
    [core]="ui app guide check"
    [guide]="sources engine ui app check"
    [check]="sources engine ui app guide"
    [ui]="app"
)
for layer in "${!above[@]}"; do
    for other in ${above[$layer]}; do
        if found=$(grep -rn "#include \"$other/" "$src/$layer"); then
            echo "$layer includes $other:"
            echo "$found"
            status=1
        fi
    done
done

for layer in platform sources engine core guide check; do
    output=$(cmake --build "$build" --target "widget_probe_$layer" 2>&1)
    if [[ $? -eq 0 ]]; then
        echo "a widget's header compiles in $layer"
        status=1
    elif ! grep -q "QWidget: No such file" <<<"$output"; then
        echo "the probe of $layer failed for another reason:"
        echo "$output" | tail -20
        status=1
    fi
done
[[ $status -eq 0 ]] && echo "layers kept apart"
exit $status
