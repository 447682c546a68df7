#!/usr/bin/env bash
# The files and their encoders in src/storage/ take records and pixels and never draw: no header of
# figure/ or of the editor may appear there, except the model record (editor/editor_state.h) that
# the animation, export and backup files read and write.
set -u
root=${1:-.}
hits=$(grep -rnE '#\s*include\s*"(figure|editor)/' "$root/src/storage" --include='*.cpp' --include='*.h' \
    | grep -vE '#\s*include\s*"editor/editor_state\.h"')
if [ -n "$hits" ]; then
    echo "storage/ reaches up into figure/ or the editor:"
    echo "$hits"
    exit 1
fi
echo "storage/: no figure/ or editor header beside the model record"
