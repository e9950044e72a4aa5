#!/usr/bin/env bash
# Installs the build into a staging prefix and checks what arrived: exactly the
# expected files, a valid desktop entry and metainfo, icons of their folder's
# size, manual pages that format without warnings, and a CLI page that names
# every option the program's --help lists.
#   check_install.sh BUILD_DIR STAGING_DIR WITH_GUI(0|1) EXPECTED_LIST
set -euo pipefail
build="$1" staging="$2" with_gui="$3" expected_list="$4"

need() {
    for tool in "$@"; do
        command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (scripts/setup.sh installs it)"; exit 77; }
    done
}
need man file
if [ "$with_gui" = 1 ]; then need desktop-file-validate appstreamcli; fi

rm -rf "$staging"
cmake --install "$build" --prefix "$staging" >/dev/null

expected=$(grep -v '^#' "$expected_list" | while read -r first rest; do
    if [ "$first" != gui ]; then
        echo "$first"
    elif [ "$with_gui" = 1 ]; then
        echo "$rest"
    fi
done | sort)
actual=$(cd "$staging" && find . -type f | sed 's|^\./||' | sort)
if [ "$expected" != "$actual" ]; then
    echo "The installed files differ from the expected list (- expected, + installed):"
    diff <(echo "$expected") <(echo "$actual") || true
    exit 1
fi
echo "installed: $(echo "$actual" | wc -l) files as expected"

for program in "$staging"/bin/*; do
    [ -x "$program" ] || { echo "not executable: $program"; exit 1; }
done
gzip -t "$staging"/share/man/man1/*.gz "$staging/share/doc/kestovar3gp/changelog.Debian.gz"
head -1 "$staging/share/doc/kestovar3gp/copyright" |
    grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/'

# Manual pages: no formatting warnings.
for page in "$staging"/share/man/man1/*.1.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || { echo "$page: $warnings"; exit 1; }
done
# The footers keep the version apart from the date.
for page in "$staging"/share/man/man1/*.1.gz; do
    footer=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$page" 2>/dev/null | tail -1)
    grep -qE '[0-9]+\.[0-9]+\.[0-9]+ {2,}[A-Z][a-z]+ [0-9]{4} {2,}' <<<"$footer" ||
        { echo "$page: footer runs together: $footer"; exit 1; }
done
# Every long option of the CLI's --help is described in its page.
page_text=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$staging/share/man/man1/kestovar3gp-cli.1.gz" 2>/dev/null)
options=$("$staging/bin/kestovar3gp-cli" --help | grep -oE -- '--[a-z][a-z-]+' | sort -u)
for option in $options; do
    grep -qE -- "$option([^a-z-]|\$)" <<<"$page_text" || { echo "kestovar3gp-cli(1) does not describe $option"; exit 1; }
done
echo "kestovar3gp-cli(1) names all $(echo "$options" | wc -l) options of --help"

[ "$with_gui" = 1 ] || exit 0

desktop="$staging/share/applications/example.brenholt_soft.Kestovar3GP.desktop"
desktop-file-validate "$desktop"
grep -qx 'Exec=kestovar3gp %F' "$desktop"
grep -qx 'StartupWMClass=Kestovar 3GP Video Converter' "$desktop"
for type in video/mp4 video/x-matroska video/webm video/mp2t video/x-msvideo video/3gpp; do
    grep -q "^MimeType=.*$type;" "$desktop" || { echo "the desktop entry does not claim $type"; exit 1; }
done
appstreamcli validate --no-net "$staging/share/metainfo/example.brenholt_soft.Kestovar3GP.metainfo.xml"

for dir in "$staging"/share/icons/hicolor/*x*; do
    size=${dir##*/}
    file "$dir/apps/kestovar3gp.png" | grep -q "PNG image data, ${size%x*} x ${size#*x}," ||
        { echo "$dir/apps/kestovar3gp.png is not $size"; exit 1; }
done
echo "desktop entry, metainfo and icons valid"
