#!/usr/bin/env bash
# Puts exprtk.hpp (exprtk 0.0.3, MIT licence) into DIR for the compiled
# benchmark: configure with -DVORNEL_BENCH_EXPRTK_DIR=DIR. exprtk is not
# packaged for Debian; the npm package exprtk.js carries the header, which
# is fetched here at build time and never kept in the repository.
#   bench/fetch-exprtk.sh DIR
#
# exprtk.js ships the header with its own patch applied (support for integer
# value types; the double code is unchanged). The patch is reversed here, so
# DIR receives the header as exprtk released it, checked against its hash.
set -euo pipefail
source "$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/scripts/common.sh"

package=exprtk.js@2.2.1
header_sha256=8b5d235f18488f910864ce0acf176c0857efc79c30526b074cc30ff74dcd8631

if [ $# -ne 1 ]; then
    echo "usage: $0 DIR" >&2
    exit 2
fi
mkdir -p "$1"
dir=$(cd "$1" && pwd)

command -v npm >/dev/null || vornel_install_packages nodejs npm
command -v patch >/dev/null || vornel_install_packages patch

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && npm pack --silent "$package" >/dev/null)
tar -xzf "$work"/exprtk.js-*.tgz -C "$work" package/deps/exprtk/exprtk.hpp \
    package/deps/patches/exprtk.hpp.patch
(cd "$work/package/deps" &&
    patch --quiet -R -p0 --no-backup-if-mismatch <patches/exprtk.hpp.patch)
echo "$header_sha256  $work/package/deps/exprtk/exprtk.hpp" | sha256sum --check --quiet
cp "$work/package/deps/exprtk/exprtk.hpp" "$dir/exprtk.hpp"
echo "exprtk.hpp from $package in $dir"
