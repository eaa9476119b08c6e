#!/usr/bin/env bash
# Cross-builds the engine, vornel-eval and their tests for 64-bit Windows with
# MinGW-w64 and runs the tests under Wine (the mingw preset; the Wine prefix
# lives in build/mingw/wine, no display is used). Then makes the zip and checks
# that it holds what it should and that the program needs no DLL but Windows'
# own.
source "$(dirname "${BASH_SOURCE[0]}")/../common.sh"

vornel_install_packages g++-mingw-w64-x86-64-posix wine64
cd "$VORNEL_ROOT"
vornel_build mingw
ctest --preset mingw

build="$VORNEL_ROOT/build/mingw"
(cd "$build" && cpack >/dev/null)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
zip="$build/vornel-eval-$version-win64.zip"
expected="vornel-eval-$version-win64/LICENSE
vornel-eval-$version-win64/README.txt
vornel-eval-$version-win64/vornel-eval.exe"
listed=$(cmake -E tar tf "$zip" | sort)
if [ "$listed" != "$expected" ]; then
    printf '%s holds:\n%s\nexpected:\n%s\n' "$zip" "$listed" "$expected" >&2
    exit 1
fi
dlls=$(x86_64-w64-mingw32-objdump -p "$build/bin/vornel-eval.exe" | sed -n 's/^\s*DLL Name: //p' |
    grep -viE '^(kernel32|msvcrt|advapi32|user32|shell32|ws2_32)\.dll$' || true)
if [ -n "$dlls" ]; then
    echo "vornel-eval.exe needs DLLs that Windows lacks: $dlls" >&2
    exit 1
fi
echo "$zip: ok"
