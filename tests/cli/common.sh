# Shared by the tests of vornel-eval: sourced with the arguments
# VORNEL-EVAL DATA.TSV [RUNNER...]. A cross-built vornel-eval.exe runs through
# RUNNER (Wine); its output must match the Linux build's once its "\r\n" line
# ends are read as "\n".
set -u
EVAL=$1
GOLDEN=$2
shift 2
RUNNER=("$@")
WINDOWS=
[[ "$EVAL" == *.exe ]] && WINDOWS=1
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
failures=0
passed=0

vornel_eval() {  # runs the program under test; standard input passes through
    if [ -z "$WINDOWS" ]; then
        "$EVAL" "$@"
        return
    fi
    local status
    "${RUNNER[@]}" "$EVAL" "$@" >"$WORK/out.crlf" 2>"$WORK/err.crlf"
    status=$?
    sed 's/\r$//' "$WORK/out.crlf"
    sed 's/\r$//' "$WORK/err.crlf" >&2
    return $status
}

check() {  # check NAME EXPECTED ACTUAL
    if [ "$2" == "$3" ]; then
        passed=$((passed + 1))
    else
        failures=$((failures + 1))
        printf 'FAIL %s\n  expected: %q\n  actual:   %q\n' "$1" "$2" "$3"
    fi
}

VARS=(-v A=100 -v B=200 -v C=300 -v D=400 -v E=500)

finish() {  # the closing line, and the status
    echo "$passed passed, $failures failed"
    [ "$failures" -eq 0 ]
}
