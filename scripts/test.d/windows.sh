#!/usr/bin/env bash
# Cross-builds the engine, the model, vornel.exe, vornel-eval.exe and their
# tests for 64-bit Windows with MinGW-w64 and runs the tests under Wine (the
# mingw preset; the Wine prefix lives in build/mingw/wine, no display is used).
# Then makes the installer and the zip, checks what they hold and that the
# programs need no DLL but Windows' own, and installs, starts and uninstalls
# the installer under Wine in a prefix of its own.
source "$(dirname "${BASH_SOURCE[0]}")/../common.sh"

vornel_install_packages g++-mingw-w64-x86-64-posix wine64 nsis
cd "$VORNEL_ROOT"
vornel_build mingw
ctest --preset mingw

build="$VORNEL_ROOT/build/mingw"
(cd "$build" && cpack >/dev/null)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
package="vornel-$version-win64"
expected="$package/LICENSE
$package/README.txt
$package/vornel-eval.exe
$package/vornel-help.html
$package/vornel.exe"
listed=$(cmake -E tar tf "$build/$package.zip" | sort)
if [ "$listed" != "$expected" ]; then
    printf '%s holds:\n%s\nexpected:\n%s\n' "$package.zip" "$listed" "$expected" >&2
    exit 1
fi
for program in vornel.exe vornel-eval.exe; do
    dlls=$(x86_64-w64-mingw32-objdump -p "$build/bin/$program" | sed -n 's/^\s*DLL Name: //p' |
        grep -viE '^(kernel32|msvcrt|advapi32|user32|gdi32|shell32|comctl32|comdlg32|version|ws2_32|dwmapi)\.dll$' || true)
    if [ -n "$dlls" ]; then
        echo "$program needs DLLs that Windows lacks: $dlls" >&2
        exit 1
    fi
done
bash "$VORNEL_ROOT/scripts/check-windows-installer.sh" "$build/$package.exe"
echo "$package.zip and $package.exe: ok"
