#!/usr/bin/env bash
# Cross-builds the engine, vornel-eval and their tests for 64-bit Windows with
# MinGW-w64 and runs the tests under Wine (the mingw preset). The Wine prefix
# lives in build/mingw/wine; no display is used.
source "$(dirname "${BASH_SOURCE[0]}")/../common.sh"

vornel_install_packages g++-mingw-w64-x86-64-posix wine64
cd "$VORNEL_ROOT"
vornel_build mingw
ctest --preset mingw
