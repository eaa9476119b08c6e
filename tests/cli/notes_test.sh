#!/usr/bin/env bash
# Checks the notes vornel-eval prints after the value: what the rules skipped
# or assumed, each as "note: " and its sentence on stderr, then its place, as
# a failure's place is shown; in JSON as "notes"; --strict and --quiet.
# notes_test.sh VORNEL-EVAL NOTES.TSV [RUNNER...] (see common.sh)
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

while IFS=$'\t' read -r expression shown json; do
    [[ -z "$expression" || "$expression" == \#* ]] && continue
    text=$(printf '%b' "$expression")
    [[ "$shown" == "-" ]] && shown=""
    check "$expression (stderr)" "$(printf '%b' "$shown")" \
        "$(vornel_eval "${VARS[@]}" -- "$text" 2>&1 >/dev/null)"
    check "$expression (json)" "$json" "$(vornel_eval "${VARS[@]}" --json -- "$text" 2>/dev/null)"
done < "$GOLDEN"

# --strict: a formula with notes is invalid, its value still printed. --quiet:
# no notes, also under --strict; the JSON answer keeps them.
check "strict" $'3.000000000000000\nstatus 1' "$(vornel_eval --strict 2^3 2>/dev/null; echo "status $?")"
check "quiet" $'3.000000000000000\nstatus 0' "$(vornel_eval --quiet 2^3 2>&1; echo "status $?")"
check "quiet strict" $'3.000000000000000\nstatus 1' \
    "$(vornel_eval --quiet --strict 2^3 2>&1; echo "status $?")"
check "quiet strict json" \
    $'{"value": 3, "failure": 0, "begin": null, "end": null, "message": null, "notes": [{"begin": 0, "end": 1, "message": "\\"2\\" takes no part: no operator joins it to the result"}, {"begin": 1, "end": 2, "message": "\\"^\\" is not used in arithmetic and is skipped"}]}\nstatus 1' \
    "$(vornel_eval --quiet --strict --json 2^3 2>&1; echo "status $?")"

# At most 20 notes are shown, each with its line; --json lists them all.
many="$(printf '1%%+%.0s' {1..25})1"
vornel_eval "$many" 2>"$WORK/err" >/dev/null
check "many notes: shown" "21" "$(grep -c '^note: ' "$WORK/err")"
check "many notes: the rest" "note: 5 more notes are not shown; --json lists them all" \
    "$(tail -n 1 "$WORK/err")"
check "many notes: json" "25" "$(vornel_eval --json "$many" | grep -o '"message": "\\"%\\" is' | wc -l)"

finish
