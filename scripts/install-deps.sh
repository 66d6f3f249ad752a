#!/usr/bin/env bash
# Installs the Debian packages that building and testing Pictavo needs.
# Idempotent: packages already present are not touched, and apt is only called when
# something is missing.
set -euo pipefail

packages=(
    # toolchain
    build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev clang-format
    # libraries the programs link
    libmagickwand-6.q16-dev libmagickcore-6.q16-6-extra libheif-dev
    libcurl4-openssl-dev libssl-dev ca-certificates libjsoncpp-dev zlib1g-dev libminizip-dev
    libpugixml-dev libgtk-3-dev libwebkit2gtk-4.1-dev libayatana-appindicator3-dev
    fonts-wqy-microhei
    # the desktop opener behind "打开目录" and "查看"
    xdg-utils
    # tests and benchmarks
    libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev
    xvfb xauth xdotool x11-utils openbox wmctrl trayer imagemagick libheif-examples libgs-common unzip zip python3 openssl
    # the setup's desktop entries are checked with the desktop's own tools
    desktop-file-utils libglib2.0-bin xdg-user-dirs
    # tests run in a network namespace of their own (scripts/offline.sh)
    iproute2 util-linux
    # benchmark peers only: the product never links libvips
    libvips-tools
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "install-deps: all ${#packages[@]} packages present"
    exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
