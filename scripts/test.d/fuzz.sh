#!/usr/bin/env bash
# Builds the engine's libFuzzer target with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on) and fuzzes for about a minute from the seed
# corpus. Fails on any crash, hang, leak, sanitizer report or broken engine
# contract; the input that caused it is left in build/fuzz/artifacts/.
source "$(dirname "${BASH_SOURCE[0]}")/../common.sh"

vornel_install_packages clang libclang-rt-14-dev

build="$VORNEL_ROOT/build/fuzz"
CC=clang CXX=clang++ cmake -S "$VORNEL_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVORNEL_WITH_QT=OFF -DVORNEL_BUILD_BENCH=OFF -DVORNEL_BUILD_TESTS=OFF -DVORNEL_FUZZ=ON >/dev/null
cmake --build "$build" --target vornel_fuzz --parallel "$(nproc)"

# New inputs go to a scratch folder, so the seed corpus stays as committed.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$build/artifacts"
"$build/bin/vornel_fuzz" -max_total_time="${VORNEL_FUZZ_SECONDS:-60}" -timeout=2 -rss_limit_mb=2048 \
    -dict="$VORNEL_ROOT/fuzz/vornel.dict" -artifact_prefix="$build/artifacts/" \
    -print_final_stats=1 "$scratch" "$VORNEL_ROOT/fuzz/corpus"
