#!/usr/bin/env bash
# The source folders form a stack, runtime <- model <- storage <- figure <- editor: a file may
# include headers of its own folder and of the folders below it, never of one above.
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
[ $status -eq 0 ] && echo "layers: every include points down the stack"
exit $status
