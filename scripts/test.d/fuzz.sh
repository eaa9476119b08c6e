#!/usr/bin/env bash
# Builds the engine's libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on) and fuzzes each for about a minute from the
# seed corpus: vornel_fuzz evaluates texts, vornel_fuzz_compiled compiles each
# once and evaluates it over several tables of values. Fails on any crash,
# hang, leak, sanitizer report or broken engine contract; the input that
# caused it is left in build/fuzz/artifacts/.
source "$(dirname "${BASH_SOURCE[0]}")/../common.sh"

vornel_install_packages clang libclang-rt-14-dev

build="$VORNEL_ROOT/build/fuzz"
CC=clang CXX=clang++ cmake -S "$VORNEL_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVORNEL_WITH_QT=OFF -DVORNEL_BUILD_BENCH=OFF -DVORNEL_BUILD_TESTS=OFF -DVORNEL_FUZZ=ON \
    -DVORNEL_STDLIB_ASSERTIONS=ON >/dev/null
cmake --build "$build" --target vornel_fuzz vornel_fuzz_compiled --parallel "$(nproc)"

# New inputs go to a scratch folder, so the seed corpus stays as committed.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$build/artifacts"
for fuzzer in vornel_fuzz vornel_fuzz_compiled; do
    mkdir -p "$scratch/$fuzzer"
    "$build/bin/$fuzzer" -max_total_time="${VORNEL_FUZZ_SECONDS:-60}" -timeout=2 \
        -rss_limit_mb=2048 -dict="$VORNEL_ROOT/fuzz/vornel.dict" \
        -artifact_prefix="$build/artifacts/$fuzzer-" -print_final_stats=1 \
        "$scratch/$fuzzer" "$VORNEL_ROOT/fuzz/corpus"
done
