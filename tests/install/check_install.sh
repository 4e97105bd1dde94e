#!/usr/bin/env bash
# Checks an installed Velloran as a user meets it: the layout (links in bin/, the program, its helpers and
# the help page in one folder), the scan command run through its link on a demo database made by the
# installed demo tool (so the helpers beside the program are found), the manual pages, the desktop entry,
# the icon, the metainfo and the copyright file.
#
# Usage: check_install.sh ROOT                      an installed tree (a prefix, or a package's usr/)
#        check_install.sh --from-build BUILD CMAKE  installs BUILD into a temporary prefix first
set -euo pipefail

fail() {
    echo "check_install: $*" >&2
    exit 1
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [ "${1:-}" = --from-build ]; then
    [ $# -eq 3 ] || fail "usage: check_install.sh --from-build BUILD CMAKE"
    "$3" --install "$2" --prefix "$work/prefix" >/dev/null
    root=$work/prefix
else
    [ $# -eq 1 ] || fail "usage: check_install.sh ROOT"
    root=$(cd "$1" && pwd)
fi

# The commands: links in bin/ that lead, inside the tree, to the one program folder.
folder=
for command in velloran velloran-scan velloran-demo-db; do
    link=$root/bin/$command
    [ -L "$link" ] || fail "$link is not a link"
    case $(readlink "$link") in
    /*) fail "$link is an absolute link: the tree would not work where it is unpacked" ;;
    esac
    real=$(readlink -f "$link")
    [ -f "$real" ] && [ -x "$real" ] || fail "$link leads to no executable"
    case $real in
    "$root"/*) ;;
    *) fail "$link leads out of the tree, to $real" ;;
    esac
    if [ -z "$folder" ]; then
        folder=$(dirname "$real")
    elif [ "$(dirname "$real")" != "$folder" ]; then
        fail "$command is not in the program folder $folder"
    fi
done
for helper in Corvane.ACTAddrUtil Corvane.ACTDateUtil Corvane.ACTTaskUtil Corvane.ACTNoteUtil; do
    [ -f "$folder/$helper" ] && [ -x "$folder/$helper" ] || fail "the helper $helper is not beside the program"
done

# The help page beside the program, where the Help button opens it, with the scan command's manual in it.
help=$folder/Velloran.html
[ -f "$help" ] || fail "no help page beside the program"
grep -q '<!-- manual:' "$help" && fail "the help page still holds a placeholder for a manual page"
grep -q 'id="scan"' "$help" || fail "the help page has no section on the scan command"

# A demo database made by the installed tool, scanned by the installed command through its link, from a
# folder that is neither the program's nor the tree's.
. "$(dirname "$0")/demo_scan.sh"
home=$work/home
mkdir -p "$home/data"
pad=$home/Documents/ACT/Demo/Databases/Demo.pad
run() { (cd / && HOME=$home XDG_DATA_HOME=$home/data "$@"); }
demo_scan run "$root/bin/velloran-demo-db" "$root/bin/velloran-scan" "$pad"

# The same scan in a copy of the tree that lacks one helper fails for that kind.
cp -a "$root" "$work/copy"
copied=$work/copy/${folder#"$root"/}
rm "$copied/Corvane.ACTNoteUtil"
scan_without_note_helper run "$work/copy/bin/velloran-scan" "$pad" "$work/err"

# Manual pages. Every option that the scan command's usage names is explained in its manual and in the
# help page.
for command in velloran velloran-scan velloran-demo-db; do
    [ -f "$root/share/man/man1/$command.1.gz" ] || fail "no manual page $command.1.gz"
done
manual=$root/share/man/man1/velloran-scan.1.gz
status=0
run "$root/bin/velloran-scan" 2>"$work/usage" || status=$?
[ "$status" -eq 2 ] || fail "velloran-scan without options ends with $status, not 2"
options=$(grep -o -- '--[a-z][a-z-]*' "$work/usage" | sort -u)
[ -n "$options" ] || fail "the usage of velloran-scan names no options"
explained=$(zcat "$manual" | sed 's/\\-/-/g')
for option in $options; do
    grep -q -- "$option" <<<"$explained" || fail "the manual page does not explain $option"
    grep -q -- "$option" "$help" || fail "the help page does not explain $option"
done
if command -v man >/dev/null; then
    for page in "$root"/share/man/man1/*.1.gz; do
        warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) || fail "man cannot show $page"
        [ -z "$warnings" ] || fail "man warns about $page: $warnings"
    done
fi

# Desktop integration: the entry starts a command of bin/ and names the icon that is installed.
desktop=$root/share/applications/velloran.desktop
[ -f "$desktop" ] || fail "no desktop entry"
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
[ -x "$root/bin/${exec_line%% *}" ] || fail "the desktop entry starts ${exec_line%% *}, which is not in bin/"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$root/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "the desktop entry's icon $icon is not installed"
metainfo=$(ls "$root"/share/metainfo/*.metainfo.xml 2>/dev/null) || fail "no metainfo"
grep -q '<launchable type="desktop-id">velloran.desktop</launchable>' "$metainfo" ||
    fail "the metainfo does not name the desktop entry"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the desktop entry"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$metainfo" >"$work/appstream" 2>&1 ||
        fail "appstreamcli rejects the metainfo: $(cat "$work/appstream")"
fi

# The licence in Debian's machine-readable copyright format: every line a field or a continuation of one,
# the format named first, all files under MIT by the holder LICENSE names, and the MIT terms exactly as
# LICENSE has them.
copyright=$root/share/doc/velloran/copyright
licence=$(cd "$(dirname "$0")/../.." && pwd)/LICENSE
[ -f "$copyright" ] || fail "no copyright file in share/doc/velloran"
bad=$(grep -nvE '^([A-Za-z-]+:( .*)?| .+)?$' "$copyright" || true)
[ -z "$bad" ] || fail "the copyright file has lines that are neither fields nor continuations: $bad"
[ "$(head -n 1 "$copyright")" = "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" ] ||
    fail "the copyright file does not start by naming its format"
holder=$(sed -n 's/^Copyright (c) //p' "$licence")
files=$(awk -v RS= '/^Files: \*\n/' "$copyright")
grep -qxF "Copyright: $holder" <<<"$files" && grep -qx 'License: MIT' <<<"$files" ||
    fail "the copyright file does not give every file to $holder under MIT: $files"
terms=$(awk -v RS= '/^License: MIT\n/' "$copyright" | sed -n '2,$p' | sed 's/^ //; s/^\.$//')
[ "$terms" = "$(sed '1,/^Copyright (c) /d' "$licence" | sed '/./,$!d')" ] ||
    fail "the MIT terms of the copyright file are not those of LICENSE"

echo "installed tree at $root: layout, scan command, manual pages and desktop files are fine"
