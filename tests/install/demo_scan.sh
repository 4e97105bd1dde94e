# The scan a user would try first, as tests/install/check_install.sh (Linux) and scripts/package-windows
# (under Wine) run it on what they installed. Sourced; the caller defines fail MESSAGE.

# demo_scan RUN DEMO_DB SCAN PAD: a demo database made at PAD by the installed demo tool and scanned by the
# installed scan command, both started through the command RUN. Every kind has duplicates, so every helper
# beside the scan command must run and answer.
demo_scan() {
    local run=$1 demo_db=$2 scan=$3 pad=$4 found
    "$run" "$demo_db" --pad "$pad" --contacts 60 --events 30 --tasks 30 --notes 30 >/dev/null ||
        fail "the installed velloran-demo-db failed"
    # Windows ends its lines with CR LF.
    found=$("$run" "$scan" --pad "$pad" --user Demo --password demo --csv | tr -d '\r') ||
        fail "the installed velloran-scan failed"
    for kind in contacts calendar tasks notes; do
        grep -q "^$kind," <<<"$found" || fail "the installed velloran-scan found no duplicate $kind"
    done
}

# scan_without_note_helper RUN SCAN PAD ERRORS: the scan of notes by a scan command whose folder lacks the
# note helper must fail and name it (in the file ERRORS), so it cannot have used a helper found elsewhere.
scan_without_note_helper() {
    local run=$1 scan=$2 pad=$3 errors=$4
    if "$run" "$scan" --pad "$pad" --user Demo --password demo --kinds notes >/dev/null 2>"$errors"; then
        fail "a scan without the note helper beside it succeeded"
    fi
    grep -q Corvane.ACTNoteUtil "$errors" || fail "a scan without the note helper does not name it: $(cat "$errors")"
}
