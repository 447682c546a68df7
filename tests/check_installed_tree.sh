#!/usr/bin/env bash
# Installs the build into a fresh prefix inside the build folder and checks the installed tree:
# the program answers --version, the desktop entry and the AppStream data are valid, the icon is
# there, the manual page can be read, every translation is installed as a catalog and every shipped
# figure as it is. Arguments: the cmake program and the build folder.
set -u
cmake=$1
build=$2
prefix="$build/installed-tree"
rm -rf "$prefix"
"$cmake" --install "$build" --prefix "$prefix" >/dev/null || { echo "install failed"; exit 1; }

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
version=$("$prefix/bin/limbrado" --version)
check "bin/limbrado --version prints the version" grep -qE '^limbrado [0-9]+\.[0-9]+\.[0-9]+$' <<<"$version"
check "desktop entry is valid" desktop-file-validate "$prefix/share/applications/limbrado.desktop"
check "desktop entry starts the installed program" \
    grep -qx 'Exec=limbrado %f' "$prefix/share/applications/limbrado.desktop"
check "icon is an SVG picture" \
    grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/limbrado.svg"
manual=$(MANWIDTH=100 man -l "$prefix/share/man/man1/limbrado.1.gz" 2>&1)
check "manual page names the program" grep -q 'limbrado - stick-figure animation editor' <<<"$manual"
check "manual page lists the keys with their labels" grep -q 'Speichern' <<<"$manual"
check "AppStream data is valid" \
    appstreamcli validate --no-net "$prefix/share/metainfo/limbrado.metainfo.xml"
check "AppStream data launches the installed desktop entry" grep -q \
    '<launchable type="desktop-id">limbrado.desktop</launchable>' \
    "$prefix/share/metainfo/limbrado.metainfo.xml"
check "manual page names the backup file" grep -q 'STEM_autosave.txt' <<<"$manual"
for po in "$(dirname "$0")"/../po/*.po; do
    language=$(basename "$po" .po)
    catalog="$prefix/share/locale/$language/LC_MESSAGES/limbrado.mo"
    check "the $language translation is installed as a catalog" msgunfmt "$catalog"
done
for figure in "$(dirname "$0")"/../data/figures/*.txt; do
    name=$(basename "$figure")
    check "the shipped figure $name is installed" cmp "$figure" "$prefix/share/limbrado/figures/$name"
done
check "the English catalog says \"Saved\" for \"Gespeichert\"" grep -qx 'msgstr "Saved"' \
    <(msgunfmt "$prefix/share/locale/en/LC_MESSAGES/limbrado.mo" | grep -A1 -x 'msgid "Gespeichert"')
exit $((failures > 0))
