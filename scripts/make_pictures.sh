#!/usr/bin/env bash
# Makes the README's pictures from the sample scene (docs/sample/scene.txt) by the program's own
# drawing, all without a display: the editor on the scene's frame 5 in German and in English
# (docs/editor.png, docs/editor-en.png) on the headless backend, and the browser build's page on
# the same frame in headless Chromium (docs/web.png). It builds what it needs, as `make bench` and
# `make web` do, into BUILD (build/release unless set) with JOBS jobs (all cores unless set).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build/release}
jobs=${JOBS:-$(nproc)}
frame=5
scene=docs/sample/scene.txt

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLIMBRADO_BENCHMARKS=ON > /dev/null
cmake --build "$build" -j "$jobs" --target editor_picture translations
# The language comes from the locale variables alone; the catalogs lie in the build folder.
for picture in de_DE:docs/editor.png en_US:docs/editor-en.png; do
    env -u LANGUAGE -u LC_ALL -u LC_MESSAGES LANG="${picture%%:*}.UTF-8" \
        "$build/editor_picture" "$scene" "$frame" "${picture#*:}"
done

make web RELEASE="$build" JOBS="$jobs"
[ -d tests/browser/node_modules ] || (cd tests/browser && npm ci --no-audit --no-fund --silent)
node tools/web_screenshot.mjs build/web docs/web.png "$scene" "$frame" de
echo "pictures: docs/editor.png docs/editor-en.png docs/web.png"
