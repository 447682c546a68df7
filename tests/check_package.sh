#!/usr/bin/env bash
# Builds the Debian package from the build folder and checks it as a user gets it: lintian finds no
# error (which covers ownership and stripping), it holds the program, its documents, AppStream
# data and shipped figures, and the program unpacked from it answers --version. Arguments: cpack and the build folder.
set -u
work="$2/package-check"
rm -rf "$work" && mkdir -p "$work"
(cd "$2" && "$1" -G DEB -B "$work" >"$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log"; echo "FAILED: the package is built"; exit 1; }
package=$(ls "$work"/limbrado_*_amd64.deb 2>/dev/null | head -n 1)
[ -n "$package" ] || { echo "FAILED: limbrado_VERSION_amd64.deb is made"; exit 1; }

failures=0
check() { # description, command...
    if "${@:2}" >/dev/null 2>&1; then echo "ok: $1"; else
        echo "FAILED: $1"; failures=$((failures + 1)); fi
}
lintian --no-tag-display-limit "$package" | tee "$work/lintian.txt"
check "lintian reports no error" bash -c "! grep -q '^E: ' '$work/lintian.txt'"
files=$(dpkg-deb -c "$package")
for path in bin/limbrado share/man/man1/limbrado.1.gz share/doc/limbrado/copyright \
    share/doc/limbrado/changelog.gz share/applications/limbrado.desktop \
    share/metainfo/limbrado.metainfo.xml share/icons/hicolor/scalable/apps/limbrado.svg \
    share/locale/en/LC_MESSAGES/limbrado.mo share/limbrado/figures/person.txt \
    share/limbrado/figures/child.txt share/limbrado/figures/dog.txt \
    share/limbrado/figures/ball.txt share/limbrado/figures/stick.txt; do
    check "the package holds /usr/$path" grep -qE " \./usr/$path\$" <<<"$files"
done
check "the package depends on SDL2" bash -c "dpkg-deb -f '$package' Depends | grep -q libsdl2"
check "the copyright file names the MIT licence" grep -q '^License: MIT' \
    <(dpkg-deb --fsys-tarfile "$package" | tar -xO ./usr/share/doc/limbrado/copyright)
dpkg -x "$package" "$work/unpacked"
check "the unpacked limbrado --version prints the version" grep -qE \
    '^limbrado [0-9]+\.[0-9]+\.[0-9]+$' <<<"$("$work/unpacked/usr/bin/limbrado" --version)"
check "the unpacked AppStream data is valid" \
    appstreamcli validate --no-net "$work/unpacked/usr/share/metainfo/limbrado.metainfo.xml"
exit $((failures > 0))
