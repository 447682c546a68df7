#!/usr/bin/env bash
# The source folders form a stack, runtime <- model <- storage <- figure <- editor: a file may
# include headers of its own folder and of the folders below it, never of one above. Below the
# editor nothing reaches the editor's one state: the layers take the animation, its frames and the
# view they work on as arguments, so only the state's own file names it.
set -u
root=${1:-.}
layers=(runtime model storage figure editor)
status=0
for index in "${!layers[@]}"; do
    layer=${layers[$index]}
    above=("${layers[@]:index+1}")
    [ ${#above[@]} -eq 0 ] && continue
    pattern="#[[:space:]]*include[[:space:]]*\"($(IFS='|'; echo "${above[*]}"))/"
    hits=$(grep -rnE "$pattern" "$root/src/$layer" --include='*.cpp' --include='*.h')
    if [ -n "$hits" ]; then
        echo "src/$layer/ includes a header of a layer above it:"
        echo "$hits"
        status=1
    fi
done
hits=$(grep -rnE '#[[:space:]]*include[[:space:]]*"model/editor_state\.h"|\<editor\.(animation|session)\>|\<EditorState\>' \
    "$root/src/runtime" "$root/src/model" "$root/src/storage" "$root/src/figure" \
    --include='*.cpp' --include='*.h' | grep -v "^$root/src/model/editor_state\.")
if [ -n "$hits" ]; then
    echo "below the editor, a file reaches the editor's state instead of taking what it works on:"
    echo "$hits"
    status=1
fi
[ $status -eq 0 ] && echo "layers: every include points down the stack, and only the editor holds its state"
exit $status
