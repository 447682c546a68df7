#!/usr/bin/env bash
# Platform libraries are reached only through the backends in src/runtime/: no other source file
# may include an SDL, SDL_ttf, fontconfig, GTK, GLib, X11 or emscripten header.
set -u
root=${1:-.}
pattern='#\s*include\s*[<"](SDL|SDL2/|fontconfig/|gtk/|gdk/|glib|X11/|emscripten)'
hits=$(grep -rnE "$pattern" "$root/src" "$root/tests/unit" "$root/bench" --include='*.cpp' --include='*.h' \
    | grep -vE "^$root/src/runtime/(backend_sdl|backend_web|font_raster)[^/]*\.(cpp|h):" \
    | grep -vE "^$root/bench/pacing_probe\.cpp:")
if [ -n "$hits" ]; then
    echo "platform headers outside the backends:"
    echo "$hits"
    exit 1
fi
echo "platform headers: only in the backends"
