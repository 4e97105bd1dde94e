#!/usr/bin/env bash
# A whole cycle with the keyboard only in the real velloran.exe under Wine, on its Windows platform and in
# the Windows style, on the display scripts/test-windows runs everything on: Alt+N to load, Alt+N to
# delete, Enter on the question, Alt+F to finish. Then the database holds no duplicates any more, every
# other record is as it was, and the backup in the documents folder lists exactly the deleted records.
#
# Text typed into a line edit does not arrive under Wine on Xvfb, so the login is what a user who ticked
# "Save User Name" and "Save Password" last time finds filled in: the settings file in the data folder.
#
# Modes:
#   plain     the cycle as it comes;
#   keep      Alt+K on the review page's first row first: that copy stays and the first record of its
#             group goes in its place; the documents folder is C:\users\José-…\Documents too, and the
#             settings file an older one, with the stored PAD path in the single-byte encoding the
#             program wrote before, which must still read;
#   accented  the documents folder has a non-ASCII letter in its path (C:\users\José-…\Documents) and
#             the PAD field starts empty: the "..." button must find the database there by itself
#             (Enter takes the file the dialog offers), the load must read it and the backup must land
#             beside it;
#   cyrillic  a Windows of its own (a Wine prefix made for the run, with its own Wine server, deleted
#             afterwards) whose user has a Cyrillic name, which the system's code page cannot spell: the
#             database in that user's own documents folder, the stored PAD path in UTF-8; the data folder
#             and the backup must land in that user's folders. First, with the data folder's first level
#             a link to another place, velloran-scan must refuse it, say so, write nothing there and scan
#             all the same.
#
# In every mode the data folder is the user's local application data folder, nothing is written to the
# all-users one (C:\ProgramData), and no parameter file (it holds the CRM password) outlives its helper.
#
# With KEYBOARD_RUN_SHOTS set to a folder, a picture of the screen is saved there at each page, of the
# rules dialog and (accented) of the file dialog.
#
# Usage: keyboard_run_wine.sh BIN_FOLDER WINE [plain|keep|accented|cyrillic]
# Needs WINEPREFIX (with its Wine server running) and DISPLAY, as scripts/test-windows provides them; the
# cyrillic mode needs only DISPLAY.
set -euo pipefail
bin=$(cd "$1" && pwd)
wine=$2
mode=${3:-plain}
shots=${KEYBOARD_RUN_SHOTS:-}

for tool in xdotool sqlite3 iconv; do
    command -v "$tool" >/dev/null || { echo "$tool is needed (scripts/test-windows installs it)" >&2; exit 1; }
done
case $mode in plain | keep | accented | cyrillic) ;; *) echo "unknown mode $mode" >&2; exit 1 ;; esac
if { [ -z "${WINEPREFIX:-}" ] && [ "$mode" != cyrillic ]; } || [ -z "${DISPLAY:-}" ]; then
    echo "WINEPREFIX and DISPLAY must be set (run through scripts/test-windows)" >&2
    exit 1
fi

# Wine's console programs end their lines with CR LF; a CSV written on Windows may too, after a BOM.
unix_lines() { tr -d '\r' | sed '1s/^\xEF\xBB\xBF//'; }
fail() { echo "$*" >&2; exit 1; }

scratch=
cleanup() {
    if [ -n "${app:-}" ] && kill -0 "$app" 2>/dev/null; then
        kill "$app" 2>/dev/null || true
    fi
    rm -f "${marker:-}"
    if [ -n "$scratch" ]; then
        # The run's own Windows goes whole, with its server and whatever still runs in it.
        "$wineserver" -k >/dev/null 2>&1 || true
        "$wineserver" -w >/dev/null 2>&1 || true
        rm -rf "$scratch"
        return
    fi
    if [ -n "${shell_folders:-}" ]; then
        if [ -n "${old_personal:-}" ]; then
            "$wine" reg add "$shell_folders" /v Personal /t REG_EXPAND_SZ /d "$old_personal" /f >/dev/null 2>&1 || true
        else
            "$wine" reg delete "$shell_folders" /v Personal /f >/dev/null 2>&1 || true
        fi
    fi
    rm -rf "${user_folder:-}" "${made:-}"
    [ -n "${data_set_aside:-}" ] && rm -rf "$data"
    if [ -n "${data_aside:-}" ]; then
        mv "$data_aside/Velloran" "$data" 2>/dev/null || true
        rm -rf "$data_aside"
    fi
}
trap cleanup EXIT

if [ "$mode" = cyrillic ]; then
    # The Wine server of the wine given, which keeps the prefix up for the whole run, as
    # scripts/test-windows does for its own.
    wineserver=
    for candidate in "$(dirname "$wine")/wineserver64" "$(dirname "$wine")/wineserver" "$(command -v wineserver || true)"; do
        if [ -n "$candidate" ] && [ -x "$candidate" ]; then wineserver=$candidate; break; fi
    done
    [ -n "$wineserver" ] || fail "no wineserver beside $wine"
    # Wine names the profile folder after USER when it makes the prefix, and takes the user's folders
    # from it on every start.
    scratch=$(mktemp -d "${TMPDIR:-/tmp}/velloran-cyrillic-XXXX")
    export WINEPREFIX=$scratch/prefix USER=Пётр WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    "$wine" wineboot --init >/dev/null 2>&1
    "$wineserver" -w
    # Its output goes nowhere: CTest would wait for the server to let go of the test's output.
    "$wineserver" -p >/dev/null 2>&1
    "$wine" wineboot >/dev/null 2>&1
fi

drive_c=$WINEPREFIX/drive_c
# Windows paths of folders under drive_c.
windows_path() { local p=${1#"$drive_c"}; echo "C:${p//\//\\}"; }
# The Unix path of a folder the system names by an environment variable; cmd expands it, so that a name
# outside the console's code page reaches winepath intact.
system_folder() {
    local p
    p=$("$wine" cmd /c winepath -u "%$1%" | unix_lines)
    case $p in "$WINEPREFIX/dosdevices/c:"/*) p=$drive_c${p#"$WINEPREFIX/dosdevices/c:"} ;; esac
    [ -d "$p" ] || fail "%$1% is $p, not a folder"
    echo "$p"
}

# The data folder the program uses: the user's local application data folder.
local_appdata=$(system_folder LOCALAPPDATA)
data=$local_appdata/corvane/Velloran
# Anything the run writes into the all-users folder is newer than this.
marker=$(mktemp)
programdata_new() { find "$drive_c/ProgramData/corvane" -newer "$marker" 2>/dev/null || true; }

if [ "$mode" = cyrillic ]; then
    # The user's own documents folder, as the system names it. Wine links the profile's folders to the
    # Unix home: they become folders of the prefix, so that the run stays inside it.
    profile=$(system_folder USERPROFILE)
    name=$(basename "$profile")
    if iconv -f UTF-8 -t CP1252 <<<"$name" >/dev/null 2>&1; then
        fail "Wine named the profile folder $name, which the system's code page can spell: nothing to try"
    fi
    for folder in "$profile"/*; do
        if [ -L "$folder" ]; then rm "$folder" && mkdir "$folder"; fi
    done
    documents=$profile/Documents
    [ -d "$documents" ] || fail "$(windows_path "$profile") has no Documents folder"
    if [ "$local_appdata" != "$profile/AppData/Local" ]; then
        fail "the local application data folder is $(windows_path "$local_appdata"), not in $(windows_path "$profile")"
    fi
else
    # The documents folder: one of this run's own, so that nothing of the prefix's user is read or
    # changed, named through the registry where the system looks it up.
    shell_folders='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders'
    old_personal=$("$wine" reg query "$shell_folders" /v Personal 2>/dev/null | unix_lines |
        sed -n 's/^ *Personal *REG_[A-Z_]*SZ *//p' || true)
    if [ "$mode" = accented ] || [ "$mode" = keep ]; then
        user_folder=$(mktemp -d "$drive_c/users/José-XXXX")
    else
        user_folder=$(mktemp -d "$drive_c/users/velloran-kb-XXXX")
    fi
    documents=$user_folder/Documents
    mkdir -p "$documents"
    "$wine" reg add "$shell_folders" /v Personal /t REG_EXPAND_SZ /d "$(windows_path "$documents")" /f >/dev/null

    # The program's data folder belongs to the prefix's user; what other tests left there is put back
    # afterwards.
    data_aside=
    if [ -e "$data" ]; then
        data_aside=$(mktemp -d "$local_appdata/corvane/aside-XXXX")
        mv "$data" "$data_aside/"
    fi
    data_set_aside=1
fi

pad_unix=$documents/ACT/Demo/Databases/Demo.pad
pad=$(windows_path "$pad_unix")
# The demo tool is not what is tried here: it makes the database where the path is plain and the database
# is moved into place (the PAD file names it relative to itself).
made=$(mktemp -d "$drive_c/users/velloran-kb-made-XXXX")
"$wine" "$bin/velloran-demo-db.exe" --pad "$(windows_path "$made")\\Demo.pad" --contacts 60 --events 20 \
    --tasks 20 --notes 20 >/dev/null
mkdir -p "$(dirname "$pad_unix")"
mv "$made"/* "$(dirname "$pad_unix")/"
rmdir "$made"
[ -f "$pad_unix" ] || { echo "velloran-demo-db.exe made no database at $pad" >&2; exit 1; }
database=$(dirname "$pad_unix")/$(sed -n 's/^File=//p' "$pad_unix" | tr -d '\r')

scan() { "$wine" "$bin/velloran-scan.exe" --pad "$pad" --user Demo --password demo --csv | unix_lines | tail -n +2; }
if [ "$mode" = cyrillic ]; then
    # Someone has put a link where the data folder's first level goes (Wine shows a Unix link as a
    # junction): the scan must refuse the folder, say which and why, write nothing through the link, and
    # scan all the same.
    company=$local_appdata/corvane
    [ ! -e "$company" ] || fail "$(windows_path "$company") is there before the program ever ran"
    elsewhere=$scratch/elsewhere
    mkdir "$elsewhere"
    ln -s "$elsewhere" "$company"
    refused=$("$wine" "$bin/velloran-scan.exe" --pad "$pad" --user Demo --password demo --csv 2>"$scratch/stderr" |
        unix_lines | tail -n +2) || fail "velloran-scan failed beside the refused data folder: $(cat "$scratch/stderr")"
    said=$(unix_lines <"$scratch/stderr")
    if ! grep -qF "$(windows_path "$company")\\ is a link or a junction to another place" <<<"$said"; then
        fail "velloran-scan does not say that it refuses $(windows_path "$company")\\; it says: $said"
    fi
    [ -z "$(ls -A "$elsewhere")" ] || fail "velloran-scan wrote through the link: $(ls -A "$elsewhere")"
    rm "$company"
fi
found=$(scan)
[ -n "$found" ] || { echo "the demo database has no duplicates to delete" >&2; exit 1; }
if [ "$mode" = cyrillic ] && [ "$refused" != "$found" ]; then
    fail "beside the refused data folder velloran-scan listed other duplicates: $(diff <(echo "$found") <(echo "$refused"))"
fi
expected=$found
if [ "$mode" = keep ]; then
    # The first listed copy (the review page's first row) and the record it duplicates trade places: the
    # copy stays, the first record goes, and the group's other copies now duplicate the copy.
    IFS=, read -r _ chosen first <<<"$(echo "$found" | head -n 1)"
    expected=$(echo "$found" | tail -n +2 | sed "s/^contacts,\([^,]*\),$first\$/contacts,\1,$chosen/")
    expected=$(printf '%s\ncontacts,%s,%s' "$expected" "$first" "$chosen")
fi
expected=$(echo "$expected" | sort)

# Every record of every kind, each line led by its Record ID (unique across the kinds), to tell
# afterwards that only the expected ones went and nothing else changed.
tables=$(sqlite3 "$database" "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT IN ('users', 'expected_duplicates')")
snapshot() {
    local table fields
    for table in $tables; do
        # Every field as an SQL literal, line breaks spelled out: one line per record.
        fields=$(sqlite3 "$database" \
            "SELECT group_concat('quote(\"' || name || '\")', ' || '','' || ') FROM pragma_table_info('$table')")
        sqlite3 "$database" "SELECT RecordID || ',' || replace(replace($fields, char(13), '\\r'), char(10), '\\n')
                             FROM \"$table\""
    done | sort
}
before=$(snapshot)

# The login as saved by the program itself (the password in Base64). The PAD path in UTF-8 as the
# program writes it now; in the single-byte encoding of the older files in the keep and accented runs,
# which must still read; in the accented run without the PAD, which the browse button has to find.
mkdir -p "$data"
pad_setting=$pad
[ "$mode" = accented ] && pad_setting=
settings() {
    printf '[Velloran]\r\nPadName=%s\r\nUserName=Demo\r\nSaveUser=1\r\nSavePassword=1\r\nPassword=%s\r\nAppFlag=15\r\n' \
        "$pad_setting" "$(printf demo | base64)"
}
if [ "$mode" = accented ] || [ "$mode" = keep ]; then
    settings | iconv -f UTF-8 -t CP1252 >"$data/corvane.ini"
else
    settings >"$data/corvane.ini"
fi

# Polls until the command succeeds; fails the test after `seconds`.
wait_for() {
    local seconds=$1 what=$2
    shift 2
    for _ in $(seq $((seconds * 10))); do
        if "$@" >/dev/null 2>&1; then return 0; fi
        sleep 0.1
    done
    echo "timed out waiting for $what" >&2
    exit 1
}
window() { xdotool search --onlyvisible --name "$1" | head -n 1; }
has_window() { [ -n "$(window "$1")" ]; }
# Wine takes keys sent to its window, not ones pressed on the display's keyboard.
key() {
    local target=$1
    shift
    # xdotool asks for the focused window first and complains that Xvfb has none.
    xdotool key --window "$(window "$target")" --delay 80 "$@" 2> >(grep -v XGetInputFocus >&2)
}
shot() {
    if [ -n "$shots" ]; then
        mkdir -p "$shots"
        sleep 0.5
        import -window root "$shots/$1.png"
    fi
}
main="^Velloran - Remove Duplicates"

started=$SECONDS
# Qt's own windows, not its offscreen platform the other Windows tests use.
(cd "$bin" && exec env -u QT_QPA_PLATFORM "$wine" velloran.exe) &
app=$!
wait_for 60 "the main window" has_window "$main"
sleep 1
shot 1-source

if [ -n "$shots" ]; then
    # The rules button sits eleven Tabs after the PAD field, which has the focus.
    key "$main" Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab space
    wait_for 20 "the rules dialog" has_window "^Set Velloran Options$"
    shot 2-rules
    key "^Set Velloran Options$" Escape
    wait_for 20 "the rules dialog to close" bash -c "! xdotool search --onlyvisible --name '^Set Velloran Options$'"
    # The focus goes back to the rules button; Shift+Tab eleven times brings it back to the PAD field.
    key "$main" shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab \
        shift+Tab shift+Tab
fi

if [ "$mode" = accented ]; then
    # The browse button follows the PAD field; its dialog offers the database it found.
    key "$main" Tab space
    # Wine's file dialog has no title on X: it is the program's other visible window.
    file_dialog() { xdotool search --onlyvisible --class "velloran.exe" | grep -vx "$(window "$main")"; }
    wait_for 20 "the file dialog" file_dialog
    sleep 1
    shot 1-browse
    xdotool key --window "$(file_dialog | head -n 1)" Return 2> >(grep -v XGetInputFocus >&2)
    wait_for 20 "the file dialog to close" bash -c "! $(declare -f window file_dialog); main='$main'; file_dialog"
    sleep 0.5
    shot 1-source-found
fi

key "$main" alt+n
load_over() { [ -f "$data/ACTNote.dat" ] || has_window "^Error$" || has_window "^Confirm$"; }
wait_for 120 "the load" load_over
if has_window "^Error$" || has_window "^Confirm$"; then
    shot load-failed
    echo "the load failed; the program's log:" >&2
    cat "$data/appdebug.log" >&2 2>/dev/null || true
    exit 1
fi
sleep 1
shot 3-review
if [ "$mode" = keep ]; then
    key "$main" alt+k
fi
key "$main" alt+n
wait_for 30 "the question" has_window "^Confirmation$"
shot 3-question
key "^Confirmation$" Return

backups=$documents/Velloran\ Backups
wait_for 120 "the end of the deletion" bash -c "ls '$backups'/*/log.txt"
sleep 1
shot 4-clean
# The parameter files hold the CRM password: each goes when its helper has ended, not when the program
# does.
param_files() { find "$data" -maxdepth 1 -name '*Param*.dat*' | sed 's|.*/||'; }
left=$(param_files)
[ -z "$left" ] || fail "parameter files left in the data folder after the deletion: $left"
key "$main" alt+f
wait_for 30 "the program to end" bash -c "! kill -0 $app"
wait "$app" || true
app=
took=$((SECONDS - started))
left=$(param_files)
[ -z "$left" ] || fail "parameter files left in the data folder after the program ended: $left"

# The settings went back, with the PAD path in UTF-8, to the user's own data folder and nowhere else.
if ! unix_lines <"$data/corvane.ini" | grep -qxF "PadName=$pad"; then
    fail "$(windows_path "$data")\\corvane.ini does not hold PadName=$pad: $(grep -a PadName "$data/corvane.ini")"
fi
written=$(programdata_new)
[ -z "$written" ] || fail "the run wrote into the all-users data folder: $written"
if [ "$mode" = cyrillic ] && [ -e "$drive_c/ProgramData/corvane" ]; then
    fail "C:\\ProgramData\\corvane is there: $(find "$drive_c/ProgramData/corvane")"
fi

backup=$(ls -d "$backups"/*/)
# deletions.csv: the rows velloran-scan listed, each with the outcome "deleted" and no reason; log.txt
# names each of them by its Record ID.
header=$(head -n 1 "$backup/deletions.csv" | unix_lines)
if [ "$header" != "kind,record_id,kept_record_id,outcome,reason" ]; then
    echo "deletions.csv starts with \"$header\"" >&2
    exit 1
fi
rows=$(tail -n +2 "$backup/deletions.csv" | unix_lines | sort)
if grep -v ',deleted,$' <<<"$rows" >&2; then
    echo "these records of deletions.csv are not reported deleted" >&2
    exit 1
fi
deleted=$(sed 's/,deleted,$//' <<<"$rows")
if [ "$deleted" != "$expected" ]; then
    echo "the backup does not list exactly the records expected to go:" >&2
    diff <(echo "$expected") <(echo "$deleted") >&2 || true
    exit 1
fi
if [ "$mode" = keep ]; then
    count() { sqlite3 "$database" "SELECT count(*) FROM contacts WHERE RecordID = '$1'"; }
    if [ "$(count "$chosen")" != 1 ] || [ "$(count "$first")" != 0 ]; then
        echo "the chosen record $chosen must stay and $first must go" >&2
        exit 1
    fi
fi
# What is left is what was there, less exactly the deleted records, every field as it was.
gone=$(echo "$deleted" | cut -d, -f2)
remaining=$(echo "$before" | awk -F, 'NR == FNR { gone[$1] = 1; next } !($1 in gone)' <(echo "$gone") -)
if [ "$(snapshot)" != "$remaining" ]; then
    echo "the database differs from what it held less the deleted records:" >&2
    diff <(echo "$remaining") <(snapshot) | head -n 20 >&2 || true
    exit 1
fi
after=$(scan)
if [ -n "$after" ]; then
    echo "duplicates left after the run:" >&2
    echo "$after" >&2
    exit 1
fi
log=$(unix_lines <"$backup/log.txt")
if ! grep -q "Deletion succeeded." <<<"$log" || grep -q "Deletion failed." <<<"$log"; then
    echo "the cleaning log does not report a successful deletion:" >&2
    echo "$log" >&2
    exit 1
fi
while IFS=, read -r _ id _; do
    grep -qxF "	Record ID: $id" <<<"$log" || { echo "log.txt does not name the deleted record $id" >&2; exit 1; }
done <<<"$deleted"
echo "keyboard run under Wine ($mode): $(echo "$deleted" | wc -l) records deleted in ${took}s, backup in $(windows_path "$backup")"
