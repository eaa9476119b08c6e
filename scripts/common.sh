# Shared by scripts/run and scripts/test: install what is missing, then build.
set -euo pipefail

VORNEL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

vornel_sudo() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs the packages named, or else every package of
# scripts/debian-packages.txt, that are not installed yet.
vornel_install_packages() {
    local wanted missing=()
    if [ $# -gt 0 ]; then
        wanted="$*"
    else
        wanted=$(grep -v '^#' "$VORNEL_ROOT/scripts/debian-packages.txt" | tr -s ' \n' '\n' | sed '/^$/d')
    fi
    for pkg in $wanted; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        vornel_sudo apt-get update -qq
        vornel_sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
    fi
}

# Configures and builds one CMake preset: all of it, or the targets named.
vornel_build() {
    local preset=$1
    shift
    cmake --preset "$preset" -S "$VORNEL_ROOT" >/dev/null
    cmake --build --preset "$preset" --parallel "$(nproc)" ${1:+--target "$@"}
}
