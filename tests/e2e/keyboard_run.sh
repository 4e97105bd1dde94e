#!/usr/bin/env bash
# A whole cycle with the keyboard only, in the real program under a real X server (Xvfb): type the
# login, Alt+N to load, Alt+N to delete, Enter on the question, Alt+F to finish. Then the database holds
# no duplicates any more and the backup lists every deleted record.
# With "keep", Alt+K on the review page's first row first: that copy stays and the first record of its
# group goes in its place.
# Usage: keyboard_run.sh BIN_FOLDER [keep]
set -euo pipefail
bin=$(cd "$1" && pwd)
mode=${2:-plain}

if ! command -v xvfb-run >/dev/null || ! command -v xdotool >/dev/null; then
    echo "xvfb-run and xdotool are needed (scripts/setup installs them)" >&2
    exit 1
fi

if [ -z "${KEYBOARD_RUN_ON_DISPLAY:-}" ]; then
    export KEYBOARD_RUN_ON_DISPLAY=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

home=$(mktemp -d)
trap 'kill "${app:-0}" 2>/dev/null || true; rm -rf "$home"' EXIT
export HOME=$home XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config QT_QPA_PLATFORM=xcb
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$home/Documents"
pad=$home/Documents/ACT/Demo/Databases/Demo.pad
"$bin/velloran-demo-db" --pad "$pad" --contacts 60 --events 20 --tasks 20 --notes 20 >/dev/null

scan() { "$bin/velloran-scan" --pad "$pad" --user Demo --password demo --csv | tail -n +2; }
found=$(scan)
[ -n "$found" ] || { echo "the demo database has no duplicates to delete" >&2; exit 1; }
expected=$found
if [ "$mode" = keep ]; then
    # The first listed copy (the review page's first row) and the record it duplicates trade places: the
    # copy stays, the first record goes, and the group's other copies now duplicate the copy.
    IFS=, read -r _ chosen first <<<"$(echo "$found" | head -n 1)"
    expected=$(echo "$found" | tail -n +2 | sed "s/^contacts,\([^,]*\),$first\$/contacts,\1,$chosen/")
    expected=$(printf '%s\ncontacts,%s,%s' "$expected" "$first" "$chosen")
fi
expected=$(echo "$expected" | sort)

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
# Only a window on screen takes the focus: one found before it is mapped makes the X server refuse
# (BadMatch), so the focus is retried until the window is there to take it.
focus() { wait_for 20 "the focus on $1" xdotool search --onlyvisible --name "$1" windowfocus --sync; }
key() { xdotool key --delay 50 "$@"; }

# The X11 keyboard library copies length-bounded names with strndup, which a sanitizer build's strict
# string checks take for an overrun; they stay on for our own code everywhere else.
ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}strict_string_checks=0" "$bin/velloran" &
app=$!
wait_for 20 "the main window" xdotool search --onlyvisible --name "^Velloran - Remove Duplicates"
# On X11 the desktop matches the window to its menu entry by the window's class.
window_class=$(xprop -id "$(xdotool search --onlyvisible --name "^Velloran - Remove Duplicates" | head -n 1)" WM_CLASS |
    sed -n 's/^WM_CLASS(STRING) = "[^"]*", "\(.*\)"$/\1/p')
entry_class=$(sed -n 's/^StartupWMClass=//p' "$(dirname "$0")/../../packaging/velloran.desktop")
if [ "$window_class" != "$entry_class" ]; then
    echo "the window's class \"$window_class\" is not the desktop entry's \"$entry_class\"" >&2
    exit 1
fi
focus "^Velloran - Remove Duplicates"
sleep 0.5

# The PAD edit has the focus; then the browse button and the PAD help link lie between it and the user.
xdotool type --delay 5 "$pad"
key Tab Tab Tab
xdotool type --delay 5 "Demo"
key Tab
xdotool type --delay 5 "demo"
key alt+n

data=$XDG_DATA_HOME/corvane/Velloran
wait_for 60 "the load" test -f "$data/ACTNote.dat"
sleep 1
focus "^Velloran - Remove Duplicates"
if [ "$mode" = keep ]; then
    key alt+k
fi
key alt+n
wait_for 20 "the question" xdotool search --name "^Confirmation$"
focus "^Confirmation$"
key Return

wait_for 120 "the end of the deletion" bash -c "ls '$home/Documents/Velloran Backups'/*/log.txt"
sleep 0.5
focus "^Velloran - Remove Duplicates"
key alt+f
wait_for 20 "the program to end" bash -c "! kill -0 $app"
wait "$app"

backup=$(ls -d "$home/Documents/Velloran Backups"/*/)
# deletions.csv: the rows velloran-scan listed, each with the outcome "deleted" and no reason; log.txt
# names each of them by its Record ID.
header=$(head -n 1 "$backup/deletions.csv")
if [ "$header" != "kind,record_id,kept_record_id,outcome,reason" ]; then
    echo "deletions.csv starts with \"$header\"" >&2
    exit 1
fi
rows=$(tail -n +2 "$backup/deletions.csv" | sort)
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
    database=$(dirname "$pad")/$(sed -n 's/^File=//p' "$pad")
    count() { sqlite3 "$database" "SELECT count(*) FROM contacts WHERE RecordID = '$1'"; }
    if [ "$(count "$chosen")" != 1 ] || [ "$(count "$first")" != 0 ]; then
        echo "the chosen record $chosen must stay and $first must go" >&2
        exit 1
    fi
fi
after=$(scan)
if [ -n "$after" ]; then
    echo "duplicates left after the run:" >&2
    echo "$after" >&2
    exit 1
fi
grep -q "Deletion succeeded." "$backup/log.txt"
if grep -q "Deletion failed." "$backup/log.txt"; then
    echo "a deletion failed:" >&2
    cat "$backup/log.txt" >&2
    exit 1
fi
# Each kind's file opens right in a spreadsheet: a byte-order mark, CR LF after every row (a quoted value
# keeps its own line breaks), Record ID first, no column under a data-file name, priorities as words.
for file in "$backup"/contacts.csv "$backup"/calendar.csv "$backup"/tasks.csv "$backup"/notes.csv; do
    [ -f "$file" ] || continue
    if [ "$(head -c 3 "$file" | od -An -tx1 | tr -d ' ')" != efbbbf ]; then
        echo "$file does not start with a byte-order mark" >&2
        exit 1
    fi
    LC_ALL=C awk -v file="$file" '
        function fail(why) { print file ": " why > "/dev/stderr"; bad = 1; exit 1 }
        # One row, split into cells by RFC 4180 rules.
        function cells(row, out,    n, i, c, cell, quoted) {
            n = 0; cell = ""; quoted = 0
            for (i = 1; i <= length(row); i++) {
                c = substr(row, i, 1)
                if (quoted && c == "\"" && substr(row, i + 1, 1) == "\"") { cell = cell c; i++ }
                else if (c == "\"") quoted = !quoted
                else if (!quoted && c == ",") { out[++n] = cell; cell = "" }
                else cell = cell c
            }
            out[++n] = cell
            return n
        }
        NR == 1 { sub(/^\357\273\277/, "") }
        {
            row = row (row == "" ? "" : "\n") $0
            quotes += gsub(/"/, "\"")
            if (quotes % 2) next
            if (row !~ /\r$/) fail("row " (++rows) " does not end in CR LF")
            sub(/\r$/, "", row)
            n = cells(row, cell)
            if (++rows == 1) {
                if (cell[1] != "Record ID") fail("the first column is " cell[1])
                for (i = 1; i <= n; i++) {
                    if (cell[i] ~ /[a-z][A-Z]|[A-Za-z][0-9]/) fail("a column is named " cell[i])
                    if (cell[i] == "Priority") priority = i
                }
            } else if (priority && cell[priority] !~ /^(High|Normal|Low)$/) {
                fail("the priority of row " rows " is " cell[priority])
            }
            row = ""
        }
        END { if (!bad && row != "") fail("the last row has no line end") }
    ' "$file"
done
if echo "$deleted" | grep -q '^tasks,' && ! head -n 1 "$backup/tasks.csv" | grep -q ',Priority,'; then
    echo "the tasks' file has no Priority column" >&2
    exit 1
fi

while IFS=, read -r _ id _; do
    grep -qxF "	Record ID: $id" "$backup/log.txt" || { echo "log.txt does not name the deleted record $id" >&2; exit 1; }
done <<<"$deleted"
echo "keyboard run: $(echo "$deleted" | wc -l) records deleted, backup in $backup"
