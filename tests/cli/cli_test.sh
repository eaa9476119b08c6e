#!/usr/bin/env bash
# Checks vornel-eval against the golden expressions and its command-line
# interface: options, standard input, files, messages and exit statuses.
set -u
EVAL=$1
GOLDEN=$2
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
failures=0
passed=0

check() {  # check NAME EXPECTED ACTUAL
    if [ "$2" == "$3" ]; then
        passed=$((passed + 1))
    else
        failures=$((failures + 1))
        printf 'FAIL %s\n  expected: %q\n  actual:   %q\n' "$1" "$2" "$3"
    fi
}

VARS=(-v A=100 -v B=200 -v C=300 -v D=400 -v E=500)
while IFS=$'\t' read -r expected expression; do
    [[ -z "$expected" || "$expected" == \#* ]] && continue
    text=$(printf '%b' "$expression")
    out=$("$EVAL" "${VARS[@]}" -- "$text" 2>"$WORK/err")
    status=$?
    if [[ "$expected" == ERROR* ]]; then
        number=${expected#ERROR }
        check "$expression (stderr)" "Error Number-$number: Invalid Expression!" "$(head -n 1 "$WORK/err")"
        check "$expression (status)" "1" "$status"
        check "$expression (value)" "0.000000000000000" "$out"
    else
        check "$expression" "$expected" "$out"
        check "$expression (status)" "0" "$status"
    fi
    # The same text piped in must give the same answer.
    check "$expression (stdin)" "$out" "$(printf '%s' "$text" | "$EVAL" "${VARS[@]}" 2>/dev/null)"
done < "$GOLDEN"

# The place of a failure: the line holding it, "^" under it and the cause on
# stderr after the first line; the same as one JSON object with --json.
while IFS=$'\t' read -r expression marked json; do
    [[ -z "$expression" || "$expression" == \#* ]] && continue
    text=$(printf '%b' "$expression")
    [[ "$marked" == "-" ]] && marked=""
    check "$expression (place)" "$(printf '%b' "$marked")" \
        "$("$EVAL" "${VARS[@]}" -- "$text" 2>&1 >/dev/null | tail -n +2)"
    check "$expression (json)" "$json" "$("$EVAL" "${VARS[@]}" --json -- "$text" 2>/dev/null)"
done < "$(dirname "$GOLDEN")/places.tsv"
check "json status" "1" "$("$EVAL" --json 1/0 >/dev/null 2>&1; echo $?)"
check "raw with json" "2" "$("$EVAL" --raw --json 1 >/dev/null 2>&1; echo $?)"

# Raw output and standard input, byte for byte.
check "raw stdin" "7" "$(printf '  7  ' | "$EVAL" --raw)"
check "raw third" "0.3333333333333333" "$("$EVAL" --raw 1/3)"
check "negative expression argument" "-2.000000000000000" "$("$EVAL" -5+3)"

# Variables: names trimmed and upper-cased, values read with "." in any locale.
check "variable case" "1.500000000000000" "$(LC_ALL=de_DE.UTF-8 "$EVAL" -v ' rate =1.5' 'RATE')"
check "variable exponent" "1,000.000000000000000" "$("$EVAL" -v X=1e3 X)"
args=()
for i in $(seq 1 34); do args+=(-v "V$i=$i"); done
check "34th variable message" "Vornel: Max number is32" "$("$EVAL" "${args[@]}" 'V33*2' 2>&1 >/dev/null)"
check "34th variable value" "66.000000000000000" "$("$EVAL" "${args[@]}" 'V33*2' 2>/dev/null)"
"$EVAL" "${args[@]}" 'V1' >/dev/null 2>&1
check "34th variable status" "0" "$?"

# Usage errors exit 2.
for bad in "--bogus 1" "-v A 1" "-v A=x 1" "-v A=nan 1" "-f" "1 2" "-f $WORK/missing"; do
    # shellcheck disable=SC2086
    "$EVAL" $bad >/dev/null 2>&1 </dev/null
    check "usage error: $bad" "2" "$?"
done
check "help" "0" "$("$EVAL" --help >/dev/null; echo $?)"

# Files: the 65000-byte limit and the Windows-1252 / UTF-8 rules.
printf 'If (A>1) Then\r\n  A*2\r\nElse\r\n  0\r\nEndIf' > "$WORK/block.txt"
check "file block" "200.000000000000000" "$("$EVAL" -v A=100 -f "$WORK/block.txt")"
{ printf '1'; head -c 64999 /dev/zero | tr '\0' ' '; } > "$WORK/at-limit.txt"
check "65000 bytes" "1.000000000000000" "$("$EVAL" -f "$WORK/at-limit.txt" 2>&1)"
{ printf '1'; head -c 65000 /dev/zero | tr '\0' ' '; } > "$WORK/over-limit.txt"
check "65001 bytes" "vornel-eval: The file is too large, can not be opened." \
    "$("$EVAL" -f "$WORK/over-limit.txt" 2>&1)"
"$EVAL" -f "$WORK/over-limit.txt" >/dev/null 2>&1
check "65001 bytes status" "2" "$?"
check "missing file" "vornel-eval: Can not open the file: $WORK/nope.txt" "$("$EVAL" -f "$WORK/nope.txt" 2>&1)"

echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
