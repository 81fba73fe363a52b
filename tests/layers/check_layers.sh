#!/usr/bin/env bash
# The layers keep their direction: no layer includes a header of one above it
# (nor the modules loaded later, guide and check, from below the core), and a
# widget's header does not compile in a layer that must not see the window.
# Arguments: the source root, the build folder.
set -uo pipefail
src="$1/src"
build="$2"
status=0

# layer: the layers it must not include.
declare -A above=(
    [platform]="sources engine core ui app guide check"
    [sources]="engine core ui app guide check"
    [engine]="sources core ui app guide check"
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

# No layer's files include one another in a circle (a header and its source
# counted as one), and the window's files do not see the program's state.
for layer in platform sources engine core guide check ui app; do
    if ! python3 "$(dirname "$0")/include_cycles.py" "$src/$layer" "$layer/"; then
        status=1
    fi
done
if found=$(grep -rn '#include ".*ProgramState.h"' "$src/ui"); then
    echo "the window includes the program's state:"
    echo "$found"
    status=1
fi
# The views name what they use: the open hub they once shared stays gone.
if found=$(grep -rn "HandlerContext" "$src" "$1/bench" "$1/tests" --exclude-dir=layers); then
    echo "the handlers' shared context is back:"
    echo "$found"
    status=1
fi
# The window reaches what plays through the controller only: no ui unit
# holds the session, a player or their transport (the engine's value types,
# a track or a failure's reason, it may word).
if found=$(grep -rnE '#include "engine/(PlaybackSession|PlayerTransport|PlayerBank|VlcPlayer|Preopener|LiveChannel|TimeShiftBuffer|BackgroundRecording|OpenerThread)\.h"|\b(PlaybackSession|PlayerTransport|MediaPlayer|PlayerBank)[[:space:]]*[&*]' "$src/ui"); then
    echo "the window reaches past the controller:"
    echo "$found"
    status=1
fi
# The desktop's media controls are a client of the core, not of the window.
if found=$(grep -n '#include "ui/' "$src/app/DesktopMediaControls.cpp" "$src/app/DesktopMediaControls.h"); then
    echo "the desktop's media controls include the window:"
    echo "$found"
    status=1
fi
# Sentences for the user are the window's: the layers below it (and the
# composition root) give typed states and reasons. What may stay, and why, is
# listed in user_texts_allowed.txt.
for layer in platform sources engine core guide check app; do
    if ! found=$(python3 "$(dirname "$0")/user_texts.py" "$src/$layer" "$(dirname "$0")/user_texts_allowed.txt" "$src"); then
        echo "$layer holds a sentence for the user:"
        echo "$found"
        status=1
    fi
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
