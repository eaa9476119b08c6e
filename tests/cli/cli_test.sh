#!/usr/bin/env bash
# Checks vornel-eval against the golden expressions and its command-line
# interface: options, standard input, files, messages and exit statuses.
# cli_test.sh VORNEL-EVAL GOLDEN.TSV [RUNNER...] (see common.sh)
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

while IFS=$'\t' read -r expected expression; do
    [[ -z "$expected" || "$expected" == \#* ]] && continue
    text=$(printf '%b' "$expression")
    out=$(vornel_eval "${VARS[@]}" -- "$text" 2>"$WORK/err")
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
    check "$expression (stdin)" "$out" "$(printf '%s' "$text" | vornel_eval "${VARS[@]}" 2>/dev/null)"
done < "$GOLDEN"

# The place of a failure: the line holding it, "^" under it and the cause on
# stderr after the first line; the same as one JSON object with --json.
while IFS=$'\t' read -r expression marked json; do
    [[ -z "$expression" || "$expression" == \#* ]] && continue
    text=$(printf '%b' "$expression")
    [[ "$marked" == "-" ]] && marked=""
    check "$expression (place)" "$(printf '%b' "$marked")" \
        "$(vornel_eval "${VARS[@]}" --quiet -- "$text" 2>&1 >/dev/null | tail -n +2)"
    check "$expression (json)" "$json" \
        "$(vornel_eval "${VARS[@]}" --json -- "$text" 2>/dev/null | sed 's/, "notes": \[.*\]}$/}/')"
done < "$(dirname "$GOLDEN")/places.tsv"
# A byte that is not UTF-8 is shown as \x9b. It reaches the engine only in an
# argument on Linux: Windows passes arguments in UTF-16, and files and standard
# input are decoded.
# Tried: a lead byte past F4, an overlong form and a surrogate.
not_utf8=$'\x9b\xff\xf9\x80\x80\x80\xe0\x80\x80\xed\xbf\xbf1/0'
[ -z "$WINDOWS" ] && check "bytes not UTF-8" \
    "$(printf '%s\n%50s' '\x9b\xff\xf9\x80\x80\x80\xe0\x80\x80\xed\xbf\xbf1/0' '^')" \
    "$(vornel_eval "$not_utf8" 2>&1 >/dev/null | sed -n 2,3p)"
check "json status" "1" "$(vornel_eval --json 1/0 >/dev/null 2>&1; echo $?)"
check "raw with json" "2" "$(vornel_eval --raw --json 1 >/dev/null 2>&1; echo $?)"
# Notes (what the rules skipped or assumed) follow the value on stderr: see
# notes_test.sh. Without notes --strict changes nothing; --quiet keeps failures.
check "strict without notes" $'3.000000000000000\nstatus 0' "$(vornel_eval --strict 1+2; echo "status $?")"
check "quiet failure" $'Error Number-11: Invalid Expression!\nstatus 1' \
    "$(vornel_eval --quiet 1/0 2>&1 >/dev/null | head -n 1; echo "status ${PIPESTATUS[0]}")"

# Under --json every answer is JSON, also a usage error or input that cannot be
# read (status 2), wherever --json stands; the message goes to stderr too.
json_error() { printf '{"error": "%s", "status": 2}\nstatus 2' "$1"; }
while IFS='|' read -r arguments message; do
    # shellcheck disable=SC2086
    check "json: $arguments" "$(json_error "$message")" \
        "$(vornel_eval $arguments 2>/dev/null </dev/null; echo "status $?")"
done <<EOF_ROWS
--json --bogus 1|unknown option --bogus
--bogus --json 1|unknown option --bogus
--raw --json 1|give either --raw or --json, not both
--json -v A 1|-v expects NAME=VALUE, got \\"A\\"
--json 1 2|give one expression only (quote it if it holds spaces)
--json -f $WORK/missing|Can not open the file: $WORK/missing
--json -f|-f needs an argument
EOF_ROWS
check "json: usage on stderr" "vornel-eval: unknown option --bogus" \
    "$(vornel_eval --json --bogus 1 2>&1 >/dev/null | head -n 1)"
# A control character in a message is shown, and escaped in JSON.
check "message with a control character" "vornel-eval: Can not open the file: ␛[2J" \
    "$(vornel_eval -f $'\e[2J' 2>&1)"
check "json with a control character" "$(json_error 'Can not open the file: \u001b[2J')" \
    "$(vornel_eval --json -f $'\e[2J' 2>/dev/null; echo "status $?")"

# Raw output and standard input, byte for byte.
check "raw stdin" "7" "$(printf '  7  ' | vornel_eval --raw)"
check "raw third" "0.3333333333333333" "$(vornel_eval --raw 1/3)"
check "negative expression argument" "-2.000000000000000" "$(vornel_eval -5+3)"
check "expression after --" "1" "$(vornel_eval -v A=2 -- -A >/dev/null 2>&1; echo $?)"
check "expression -(" "1" "$(vornel_eval '-(2)' >/dev/null 2>&1; echo $?)"

# Variables: names trimmed and upper-cased, values read with "." in any locale.
check "variable case" "1.500000000000000" "$(LC_ALL=de_DE.UTF-8 vornel_eval -v ' rate =1.5' 'RATE')"
check "variable exponent" "1,000.000000000000000" "$(vornel_eval -v X=1e3 X)"
# Every -v past the 33rd is refused, also past the 16-bit slot numbers (32768
# would become -32768, 65536 slot 0 again). A Windows command line holds at
# most 32,767 characters, so there only the 34th is tried.
counts=(34 65537)
[ -n "$WINDOWS" ] && counts=(34)
for count in "${counts[@]}"; do
    args=()
    for ((i = 1; i <= count; i++)); do args+=(-v "V$i=$i"); done
    left=$((count - 33)) && [ $left -eq 1 ] && left="1 variable" || left="$left variables"
    check "$count variables: message" "Vornel: Max number is32 ($left left out)" \
        "$(vornel_eval "${args[@]}" 'V1+V33*2' 2>&1 >/dev/null)"
    check "$count variables: failure first" "Error Number-11: Invalid Expression!" \
        "$(vornel_eval "${args[@]}" 'V1/0' 2>&1 >/dev/null | head -n 1)"
    check "$count variables: value" "67.000000000000000" "$(vornel_eval "${args[@]}" 'V1+V33*2' 2>/dev/null)"
    vornel_eval "${args[@]}" 'V1' >/dev/null 2>&1
    check "$count variables: status" "0" "$?"
done

# Usage errors exit 2.
for bad in "--bogus 1" "-v A 1" "-v A=x 1" "-v A=nan 1" "-f" "1 2" "-f $WORK/missing"; do
    # shellcheck disable=SC2086
    vornel_eval $bad >/dev/null 2>&1 </dev/null
    check "usage error: $bad" "2" "$?"
done
check "help" "0" "$(vornel_eval --help >/dev/null; echo $?)"

# -v refuses a name that no formula can reach; a number too small for a double
# is 0, as in a formula, and one too large is refused.
for name in "" " " "A B" "é" "1A" "Max" "True" "ElseIf" "PTHEN" "IFA"; do
    check "variable name \"$name\"" "2" "$(vornel_eval -v "$name=1" 1 >/dev/null 2>&1; echo $?)"
done
check "variable name message" \
    'vornel-eval: -v A B=1: "A B" cannot be a variable name: a name holds only letters (A to Z), digits and "_"' \
    "$(vornel_eval -v 'A B=1' 1 2>&1)"
check "variable name _1" "3" "$(vornel_eval --raw -v _1=2 _1+1)"
check "variable underflow" $'0\nstatus 0' "$(vornel_eval --raw -v A=1e-400 -v B=-0.1E-999 A+B; echo "status $?")"
check "variable with a \"+\" exponent" "vornel-eval: the value of A is too large" \
    "$(vornel_eval -v "A=0.$(printf '0%.0s' {1..499})1e+900" A 2>&1 | cut -d: -f1-2)"
for value in "" "-" "+" "." " "; do
    check "variable value \"$value\"" "2" "$(vornel_eval -v "A=$value" 1 >/dev/null 2>&1; echo $?)"
done
check "variable overflow" $'vornel-eval: the value of A is too large: "1e400"\nstatus 2' \
    "$(vornel_eval -v A=1e400 A 2>&1; echo "status $?")"

# Files: the 65000-byte limit and the Windows-1252 / UTF-8 rules.
printf 'If (A>1) Then\r\n  A*2\r\nElse\r\n  0\r\nEndIf' > "$WORK/block.txt"
check "file block" "200.000000000000000" "$(vornel_eval -v A=100 -f "$WORK/block.txt")"
# Standard input has the same limit as a file.
{ printf '1'; head -c 64999 /dev/zero | tr '\0' ' '; } > "$WORK/at-limit.txt"
{ printf '1'; head -c 65000 /dev/zero | tr '\0' ' '; } > "$WORK/over-limit.txt"
for how in -f "<"; do
    run() { if [ "$how" == -f ]; then vornel_eval -f "$1"; else vornel_eval < "$1"; fi; }
    check "65000 bytes $how" "1.000000000000000" "$(run "$WORK/at-limit.txt" 2>&1)"
    check "65001 bytes $how" "vornel-eval: The file is too large, can not be opened." \
        "$(run "$WORK/over-limit.txt" 2>&1)"
    run "$WORK/over-limit.txt" >/dev/null 2>&1
    check "65001 bytes $how status" "2" "$?"
done
check "json: too large" "$(json_error "The file is too large, can not be opened.")" \
    "$(vornel_eval --json < "$WORK/over-limit.txt" 2>/dev/null; echo "status $?")"
check "missing file" "vornel-eval: Can not open the file: $WORK/nope.txt" "$(vornel_eval -f "$WORK/nope.txt" 2>&1)"

# Names outside ASCII, in arguments, files and messages.
printf 'A*2' > "$WORK/Ausdrücke.txt"
check "non-ASCII file name" "200.000000000000000" "$(vornel_eval -v A=100 -f "$WORK/Ausdrücke.txt")"
check "non-ASCII name in message" "vornel-eval: Can not open the file: $WORK/Ausdrücke-fehlt.txt" \
    "$(vornel_eval -f "$WORK/Ausdrücke-fehlt.txt" 2>&1)"

# Line ends: "\r\n" on Windows, as its programs write them; "\n" elsewhere.
if [ -n "$WINDOWS" ]; then nl=$'\r\n'; else nl=$'\n'; fi
bytes() { od -An -tx1 | xargs; }
check "line end" "$(printf '7%s' "$nl" | bytes)" "$("${RUNNER[@]}" "$EVAL" --raw 7 | bytes)"
check "line end of messages" "$(printf 'Error Number-11: Invalid Expression!%s' "$nl" | bytes)" \
    "$("${RUNNER[@]}" "$EVAL" 1/0 2>&1 >/dev/null | head -n 1 | bytes)"

# Files are read in the ANSI code page: on Windows the system's (under Wine it
# follows the locale), elsewhere always Windows-1252. Byte 0x80 is the euro
# sign in code page 1252 and a Cyrillic letter, before 0xC0, in 1251.
printf 'If ("\x80" > "\xC0") Then 1 Else 2 EndIf' > "$WORK/ansi.txt"
check "code page 1252" "1.000000000000000" "$(vornel_eval -f "$WORK/ansi.txt")"
if [ -n "$WINDOWS" ]; then in_1251="2.000000000000000"; else in_1251="1.000000000000000"; fi
check "code page of a Russian locale" "$in_1251" "$(LC_ALL=ru_RU.UTF-8 vornel_eval -f "$WORK/ansi.txt")"

# A value that cannot be written is a failure, with the system's reason. The
# file-size limit must not kill the program. (These are POSIX devices and
# limits: not tried on Windows.)
targets=(full closed limit)
[ -n "$WINDOWS" ] && targets=()
for target in "${targets[@]}"; do
    case $target in
        full) "$EVAL" 1+2 >/dev/full 2>"$WORK/err" ;;
        closed) "$EVAL" 1+2 >&- 2>"$WORK/err" ;;
        limit) # the message goes through a pipe, which the limit does not stop
            (ulimit -f 0 && exec "$EVAL" 1+2 >"$WORK/out") 2>&1 | cat >"$WORK/err"
            (exit "${PIPESTATUS[0]}") ;;
    esac
    check "write to $target: status" "3" "$?"
    check "write to $target: message" "vornel-eval: cannot write the output:" "$(cut -d' ' -f1-5 "$WORK/err")"
done
[ -z "$WINDOWS" ] &&
    check "write to limit: reason" "vornel-eval: cannot write the output: File too large" "$(cat "$WORK/err")"

finish
