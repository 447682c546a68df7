#!/usr/bin/env bash
# Builds the Debian package from the build folder and checks it as a user gets it: lintian finds no
# error, it holds the program, its documents and its AppStream data, and the program unpacked from
# it answers --version. Arguments: the cpack program and the build folder.
set -u
cpack=$1
build=$2
work="$build/package-check"
rm -rf "$work"
mkdir -p "$work"
(cd "$build" && "$cpack" -G DEB -B "$work" >"$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log"; echo "FAILED: the package is built"; exit 1; }
package=$(ls "$work"/limbrado_*_amd64.deb 2>/dev/null | head -n 1)
[ -n "$package" ] || { echo "FAILED: limbrado_VERSION_amd64.deb is made"; exit 1; }

failures=0
check() { # description, command...
    local description=$1
    shift
    if "$@" >/dev/null 2>&1; then
        echo "ok: $description"
    else
        echo "FAILED: $description"
        failures=$((failures + 1))
    fi
}
lintian --no-tag-display-limit "$package" >"$work/lintian.txt" 2>&1
cat "$work/lintian.txt"
check "lintian reports no error" bash -c "! grep -q '^E: ' '$work/lintian.txt'"

files=$(dpkg-deb -c "$package")
for path in ./usr/bin/limbrado ./usr/share/man/man1/limbrado.1.gz \
    ./usr/share/doc/limbrado/copyright ./usr/share/doc/limbrado/changelog.gz \
    ./usr/share/applications/limbrado.desktop ./usr/share/metainfo/limbrado.metainfo.xml \
    ./usr/share/icons/hicolor/scalable/apps/limbrado.svg; do
    check "the package holds $path" grep -qE " $path\$" <<<"$files"
done
check "every file belongs to root" bash -c "! grep -v ' root/root ' <<<'$files'"
check "the package depends on SDL2" \
    bash -c "dpkg-deb -f '$package' Depends | grep -q libsdl2"
check "the copyright file names the MIT licence" grep -q '^License: MIT' \
    <(dpkg-deb --fsys-tarfile "$package" | tar -xO ./usr/share/doc/limbrado/copyright)

dpkg -x "$package" "$work/unpacked"
version=$("$work/unpacked/usr/bin/limbrado" --version)
check "the unpacked limbrado --version prints the version" \
    grep -qE '^limbrado [0-9]+\.[0-9]+\.[0-9]+$' <<<"$version"
check "the unpacked program is stripped" \
    bash -c "! file '$work/unpacked/usr/bin/limbrado' | grep -q 'not stripped'"
check "the unpacked AppStream data is valid" \
    appstreamcli validate --no-net "$work/unpacked/usr/share/metainfo/limbrado.metainfo.xml"
exit $((failures > 0))
