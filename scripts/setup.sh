#!/usr/bin/env bash
# Installs the Debian packages the editor, its tests and its benchmarks need, when any is missing.
set -euo pipefail

# Recommended packages are left out (134 packages and 140 MB of download fewer); the one among them
# that the tests need is named: clang++'s sanitizer and libFuzzer runtimes (libclang-rt-dev).
packages=(
    cmake g++ clang libclang-rt-dev make pkg-config clang-format
    libsdl2-dev libsdl2-ttf-dev libfontconfig-dev libgtk-3-dev librsvg2-common fonts-liberation
    libgif-dev libpng-dev zlib1g-dev libwebp-dev
    libavformat-dev libavcodec-dev libswscale-dev libswresample-dev libavutil-dev ffmpeg
    libgtest-dev libbenchmark-dev
    xvfb xdotool x11-utils x11-apps imagemagick desktop-file-utils man-db groff-base
    x11-xkb-utils
    dpkg-dev lintian appstream file gettext
    emscripten nodejs chromium
)
# Debian's nodejs comes without npm; other builds of node bring their own.
command -v npm > /dev/null || packages+=(npm)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
# The browser tests' clients, as pinned in their lockfile.
install_browser_clients() {
    local folder
    folder="$(dirname "$0")/../tests/browser"
    [ -d "$folder/node_modules" ] || (cd "$folder" && npm ci --no-audit --no-fund)
}

if [ ${#missing[@]} -eq 0 ]; then
    install_browser_clients
    exit 0
fi

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
install_browser_clients
