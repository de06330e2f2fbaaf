#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, and only those
# that are missing; with --bench also those of the benchmarks (Pillow, SciPy,
# scikit-image's sample photos, matplotlib). Needs root (apt-get); does
# nothing when all are present.
set -euo pipefail

packages=(
    build-essential cmake pkg-config dpkg-dev
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    qt6-base-dev qt6-charts-dev libqt6opengl6-dev libgl-dev qt6-qpa-plugins fonts-dejavu-core
    qt6-image-formats-plugins
    clang libclang-rt-14-dev libomp-14-dev
    time
    python3 python3-numpy glslang-tools
    libhwy-dev libeigen3-dev
)
if [ "${1:-}" = "--bench" ]; then
    packages+=(python3-pil python3-scipy python3-skimage python3-matplotlib)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
    echo "error: installing packages needs root (run as root, or install them yourself)" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
